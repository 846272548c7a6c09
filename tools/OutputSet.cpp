#include "tools/OutputSet.h"

#include <sys/file.h>
#include <sys/stat.h>

#include <cerrno>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace morvik {

namespace {

// The files replaced in a folder, by folder: each folder once, by its device
// and inode, and all in one order.
using FilesByFolder = std::map<std::pair<dev_t, ino_t>, std::vector<const OutputFile*>>;
FilesByFolder ByFolder(const std::vector<std::unique_ptr<OutputFile>>& files) {
    FilesByFolder folders;
    for (const auto& file : files) {
        struct stat status {};
        if (file->Folder() >= 0 && fstat(file->Folder(), &status) == 0) {
            folders[std::pair(status.st_dev, status.st_ino)].push_back(file.get());
        }
    }
    return folders;
}

// Exclusive locks on folders, each taken once and all in one order, so that
// two runs that lock the same folders cannot wait for each other; released
// when it goes. A folder that can only be searched, not read, takes no lock.
class FolderLocks {
  public:
    explicit FolderLocks(const FilesByFolder& folders) {
        for (const auto& [identity, files] : folders) {
            const int folder = files.front()->Folder();
            int result = 0;
            do {
                result = flock(folder, LOCK_EX);
            } while (result != 0 && errno == EINTR);
            if (result == 0) locked_.push_back(folder);
        }
    }
    ~FolderLocks() {
        for (const int folder : locked_) flock(folder, LOCK_UN);
    }
    FolderLocks(const FolderLocks&) = delete;
    FolderLocks& operator=(const FolderLocks&) = delete;

  private:
    std::vector<int> locked_;
};

// A signal came while the set was being put in place: it is put back, and
// the signal then ends the process.
struct Stopped {};

}  // namespace

OutputFile& OutputSet::Open(std::string name) {
    files_.push_back(std::unique_ptr<OutputFile>(new OutputFile(std::move(name))));
    return *files_.back();
}

void OutputSet::Commit() {
    for (const auto& file : files_) file->Finish();
    // A pipe may wait for its reader, who may be another run wanting these
    // folders: pipes and devices first, without the locks.
    for (const auto& file : files_) {
        if (file->kind_ == OutputFile::Kind::kDirect) file->WriteThrough();
    }
    const FilesByFolder folders = ByFolder(files_);
    const FolderLocks locks(folders);
    const SignalsDeferred deferred;
    std::vector<OutputFile*> done;
    try {
        for (const OutputFile::Kind kind :
             {OutputFile::Kind::kStaged, OutputFile::Kind::kInPlace}) {
            for (const auto& file : files_) {
                if (file->kind_ != kind) continue;
                if (SignalsDeferred::SignalWaiting()) throw Stopped{};
                if (kind == OutputFile::Kind::kStaged) {
                    file->Place();
                } else {
                    file->Rewrite();
                }
                done.push_back(file.get());
            }
        }
    } catch (...) {
        for (auto file = done.rbegin(); file != done.rend(); ++file) (*file)->PutBack();
        // The signal waiting ends the process as `deferred` goes.
        if (SignalsDeferred::SignalWaiting()) return;
        throw;
    }
    for (OutputFile* file : done) file->DropOld();
    // What runs killed outright left beside the set's files, each folder
    // read once, under its lock.
    for (const auto& [identity, files] : folders) {
        std::set<std::string> targets;
        for (const OutputFile* file : files) {
            if (file->kind_ == OutputFile::Kind::kStaged) targets.insert(file->targetName_);
        }
        if (!targets.empty()) RemoveUnfinished(files.front()->Folder(), targets);
    }
}

}  // namespace morvik
