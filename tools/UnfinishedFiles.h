#pragma once

#include <string_view>

namespace morvik {

// The staged files of a run, known to the signals that end it: a run cut
// short leaves none of them behind, however many there are.
struct Unfinished;

// Tracks a new file by its folder and name within it until untracked; or
// a new folder, removed (if empty) after the files.
Unfinished* TrackUnfinished(int folder, std::string_view name, bool isFolder = false);
void UntrackUnfinished(Unfinished* file) noexcept;

// Ctrl-C, a kill, a closed terminal, an abort or a file size limit met by a
// kill removes every tracked file, then the process ends as the signal
// asks. A signal ignored when the tool started (nohup) stays ignored; one
// the tool's own write past the file size limit raises only fails that
// write (EFBIG).
void RemoveUnfinishedFilesOnSignals();

// While one lives, files are being put in place: a signal that would end
// the process waits, and ends it (with its clean-up) as this one goes.
class SignalsDeferred {
  public:
    SignalsDeferred();
    ~SignalsDeferred();
    SignalsDeferred(const SignalsDeferred&) = delete;
    SignalsDeferred& operator=(const SignalsDeferred&) = delete;

    // Whether a signal is waiting: what is left is better undone.
    static bool SignalWaiting();
};

}  // namespace morvik
