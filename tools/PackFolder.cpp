#include "tools/PackFolder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "tools/OutputFile.h"
#include "tools/SystemText.h"

namespace morvik {

PackFolder::PackFolder(std::string name) : name_(std::move(name)) {
    if (name_.empty()) return;
    if (mkdir(name_.c_str(), 0777) == 0) {
        made_ = true;
        return;
    }
    struct stat status {};
    if (errno == EEXIST && stat(name_.c_str(), &status) == 0 && S_ISDIR(status.st_mode)) return;
    throw EOutputError(name_,
                       errno == EEXIST ? std::string("it is no folder") : SystemReason(errno));
}

PackFolder::~PackFolder() {
    if (made_) rmdir(name_.c_str());
}

}  // namespace morvik
