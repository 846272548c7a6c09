#pragma once

#include <string>

namespace morvik {

// The folder a pack's files go in: made when it is not there yet (its
// parent must be), and removed again, if still empty, unless the run keeps
// it, so that a failed run leaves no folder behind. Nothing for no name.
class PackFolder {
  public:
    // Throws EOutputError.
    explicit PackFolder(std::string name);
    ~PackFolder();
    PackFolder(const PackFolder&) = delete;
    PackFolder& operator=(const PackFolder&) = delete;

    void Keep() { made_ = false; }

  private:
    std::string name_;
    bool made_ = false;
};

}  // namespace morvik
