#pragma once

namespace morvik {

// What a command-line tool of ours sets up first: a reader that goes away
// is a write error to report, like any other, not a silent end; the
// standard streams are known open or made safe; and the signals that end
// the process take its unfinished files with them.
void PrepareToolProcess();

}  // namespace morvik
