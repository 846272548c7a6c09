#include "tools/PackFolder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "tools/OutputFile.h"
#include "tools/SystemText.h"

namespace morvik {

PackFolder::PackFolder(const std::string& name) {
    if (name.empty()) return;
    // By its parent's descriptor and its own name, as a signal's clean-up
    // removes it.
    std::string path = name;
    while (path.size() > 1 && path.ends_with('/')) path.pop_back();
    const std::size_t slash = path.rfind('/');
    const std::string parent =
        slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    const std::string own = slash == std::string::npos ? path : path.substr(slash + 1);
    const int folder = open(parent.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0) throw EOutputError(name, SystemReason(errno));
    if (mkdirat(folder, own.c_str(), 0777) == 0) {
        parent_ = folder;
        name_ = own;
        tracked_ = TrackUnfinished(parent_, name_, true);
        return;
    }
    const int error = errno;
    struct stat status {};
    const bool isFolder =
        error == EEXIST && fstatat(folder, own.c_str(), &status, 0) == 0 && S_ISDIR(status.st_mode);
    close(folder);
    if (isFolder) return;
    throw EOutputError(
        name, error == EEXIST ? std::string("it is a file, not a folder") : SystemReason(error));
}

void PackFolder::Keep() {
    UntrackUnfinished(tracked_);
    tracked_ = nullptr;
    if (parent_ >= 0) close(parent_);
    parent_ = -1;
}

PackFolder::~PackFolder() {
    if (parent_ < 0) return;
    unlinkat(parent_, name_.c_str(), AT_REMOVEDIR);
    UntrackUnfinished(tracked_);
    close(parent_);
}

}  // namespace morvik
