#pragma once

#include <memory>
#include <string>
#include <vector>

#include "tools/OutputFile.h"
#include "tools/UnfinishedFiles.h"

namespace morvik {

// Every file of a run, put in place all or none: each is written beside its
// place, then all take their places together; if any step fails, every file
// already replaced is put back as it was and every new one removed.
//
// What cannot be undone goes first (devices, FIFOs, standard output, written
// through), then the staged files take their places, the old ones kept
// until all have, then the files rewritten in place, their old content kept
// until all are. Each folder a file is replaced in is locked (flock)
// meanwhile, so that runs writing the same names at once each put their
// whole set in place, one after the other; and a signal that would end the
// process waits until the set is in place or put back.
class OutputSet {
  public:
    OutputSet() = default;
    // Without a commit, removes every new file and leaves the old ones.
    ~OutputSet() = default;
    OutputSet(const OutputSet&) = delete;
    OutputSet& operator=(const OutputSet&) = delete;

    // A file of the set, opened at once, so that one that cannot be written
    // is known before any work is done; it lives as long as the set.
    // Throws EOutputError.
    OutputFile& Open(std::string name);

    // Throws EOutputError, with every file as it was. Once the set is in
    // place, the new files that runs killed outright left beside its files
    // go.
    void Commit();

  private:
    std::vector<std::unique_ptr<OutputFile>> files_;
};

}  // namespace morvik
