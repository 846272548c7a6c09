#pragma once

#include <string>

#include "tools/UnfinishedFiles.h"

namespace morvik {

// The folder a pack's files go in: made when it is not there yet (its
// parent must be), and removed again, if still empty, unless the run keeps
// it, so that a failed or interrupted run leaves no folder behind. Nothing
// for no name.
class PackFolder {
  public:
    // Throws EOutputError.
    explicit PackFolder(const std::string& name);
    ~PackFolder();
    PackFolder(const PackFolder&) = delete;
    PackFolder& operator=(const PackFolder&) = delete;

    void Keep();

  private:
    int parent_ = -1;   // made: the folder it was made in, open
    std::string name_;  // ... and its name there
    Unfinished* tracked_ = nullptr;
};

}  // namespace morvik
