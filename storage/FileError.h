// A file that cannot be read or written, or a snapshot that is refused; the message names
// the file and the reason in Russian.
#pragma once

#include <string>

#include "core/UserError.h"

class FileError : public UserError {
  public:
    /// action: what failed ("Не удалось записать файл"); reason: why ("нет места на диске").
    FileError(const std::string& action, const std::string& path, const std::string& reason)
        : UserError(action + " «" + path + "»: " + reason + "."), path_(path), reason_(reason) {}
    const std::string& path() const { return path_; }
    const std::string& reason() const { return reason_; }

  private:
    std::string path_;
    std::string reason_;
};

/// The Russian reason for an errno value of a failed file operation.
std::string ReasonForErrno(int error);
