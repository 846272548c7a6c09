#include "tools/OutputSet.h"

#include <sys/file.h>
#include <sys/stat.h>

#include <cerrno>
#include <map>
#include <set>
#include <string>
#include <utility>

namespace morvik {

namespace {

// Exclusive locks on folders, each taken once and all in one order, so that
// two runs that lock the same folders cannot wait for each other; released
// when it goes. A folder that can only be searched, not read, takes no lock.
class FolderLocks {
  public:
    explicit FolderLocks(const std::vector<std::unique_ptr<OutputFile>>& files) {
        std::map<std::pair<dev_t, ino_t>, int> folders;
        for (const auto& file : files) {
            struct stat status {};
            if (file->Folder() >= 0 && fstat(file->Folder(), &status) == 0) {
                folders.emplace(std::pair(status.st_dev, status.st_ino), file->Folder());
            }
        }
        for (const auto& [identity, folder] : folders) {
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
    const FolderLocks locks(files_);
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
    RemoveLeftovers();
}

// What runs killed outright left beside the set's files, each folder read
// once, under its lock.
void OutputSet::RemoveLeftovers() const {
    std::map<std::pair<dev_t, ino_t>, std::pair<int, std::set<std::string>>> folders;
    for (const auto& file : files_) {
        struct stat status {};
        if (file->kind_ == OutputFile::Kind::kStaged && fstat(file->Folder(), &status) == 0) {
            auto& [folder, targets] = folders[std::pair(status.st_dev, status.st_ino)];
            folder = file->Folder();
            targets.insert(file->targetName_);
        }
    }
    for (const auto& [identity, found] : folders) RemoveUnfinished(found.first, found.second);
}

}  // namespace morvik
