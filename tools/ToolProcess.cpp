#include "tools/ToolProcess.h"

#include <csignal>

#include "tools/StandardStreams.h"
#include "tools/UnfinishedFiles.h"

namespace morvik {

void PrepareToolProcess() {
    std::signal(SIGPIPE, SIG_IGN);
    GuardStandardStreams();
    RemoveUnfinishedFilesOnSignals();
}

}  // namespace morvik
