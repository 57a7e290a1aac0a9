// A folder for the runner's periodic files that could not be made ready: not created, a
// file in its place, or no file can be written in it. The path is the folder's.
#pragma once

#include "core/FileError.h"

enum class FolderProblem {
    NotCreated,   ///< the reason holds the errno of creating it
    NotAFolder,   ///< something other than a folder has the name
    NotWritable,  ///< the reason holds why a file in it could not be created
};

class OutputFolderError : public FileError {
  public:
    OutputFolderError(FolderProblem problem, const std::string& folder, const FileReason& reason)
        : FileError(FileAction::Write, folder, reason), problem_(problem) {}
    FolderProblem problem() const { return problem_; }

  private:
    FolderProblem problem_;
};
