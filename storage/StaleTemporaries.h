// Temporary names of the atomic writer, the folder lock under which a named temporary is
// created, and the removal of the temporaries that killed writers left behind.
#pragma once

#include <string>

#include "storage/Descriptor.h"

/// A fresh temporary name beside target: ".NAME.xxxxxxxx.tmp", x from 0-9 and a-z.
std::string TemporaryNameFor(const std::string& target);

/// Held by a writer from before it creates a named temporary until the temporary holds its
/// in-use lock: meanwhile no cleaner of the folder judges any temporary, since this one is
/// visible and not yet locked. Best effort where the folder cannot be opened or locked.
class CreatingTemporary {
  public:
    explicit CreatingTemporary(const std::string& folder);

  private:
    Descriptor folder_;
};

/// Removes the temporaries of target whose writer has ended; best effort, never fails.
void RemoveStaleTemporaries(const std::string& target);

/// Removes the temporaries of every file in folder whose writer has ended; best effort.
void RemoveStaleTemporariesIn(const std::string& folder);
