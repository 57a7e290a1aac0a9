// Following a chain of symbolic links to the file that a write should replace.
#pragma once

#include <string>

struct LinkTarget {
    std::string path;           // the final name, not a symbolic link; may not exist yet
    int error = 0;              // errno when the chain cannot be followed (ELOOP for a cycle)
    std::string missingFolder;  // set when a link points into a folder that does not exist
};

/// Follows path while it names a symbolic link (relative targets are taken from the link's
/// own folder), at most 40 links deep.
LinkTarget FollowLinks(const std::string& path);
