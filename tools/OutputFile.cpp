#include "tools/OutputFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <map>
#include <new>
#include <random>
#include <string_view>
#include <utility>

#include "tools/StandardStreams.h"
#include "tools/SystemText.h"

namespace morvik {

namespace {

constexpr std::size_t kBufferBytes = std::size_t{1} << 20;

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string BaseName(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The path a chain of symbolic links ends at, whether anything is there or
// not; the path itself when it is no link. Stops at the system's limit of
// links, where opening the path would report the loop.
std::string FollowLinks(std::string path) {
    for (int links = 0; links < 40; ++links) {
        struct stat status {};
        if (lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) break;
        std::string target(static_cast<std::size_t>(status.st_size) + 1, '\0');
        const ssize_t length = readlink(path.c_str(), target.data(), target.size());
        if (length < 0 || static_cast<std::size_t>(length) >= target.size()) break;
        target.resize(static_cast<std::size_t>(length));
        path = target.starts_with('/') ? target : FolderOf(path) + "/" + target;
    }
    return path;
}

// The new files not yet in place, by folder and name, for a signal that
// ends the process to remove: a run cut short leaves no half-written file
// behind.
struct Unfinished {
    std::atomic<int> folder{-1};
    std::atomic<const char*> name{nullptr};
};
std::array<Unfinished, 8> unfinished{};

// A slot taken, its folder not yet set: the name is published last.
constexpr const char* kTaking = "";

void Track(int folder, const std::string& name) {
    for (Unfinished& slot : unfinished) {
        const char* empty = nullptr;
        if (slot.name.compare_exchange_strong(empty, kTaking)) {
            slot.folder = folder;
            slot.name = name.c_str();
            return;
        }
    }
}

void Untrack(const std::string& name) {
    for (Unfinished& slot : unfinished) {
        const char* mine = name.c_str();
        slot.name.compare_exchange_strong(mine, nullptr);
    }
}

extern "C" void RemoveUnfinishedAndStop(int signal) {
    for (Unfinished& slot : unfinished) {
        // The name first: its folder was set before it.
        if (const char* name = slot.name.load(); name != nullptr && name != kTaking) {
            unlinkat(slot.folder.load(), name, 0);
        }
    }
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

// A new file in `folder` beside `target`, made by this call: hidden, named
// after it. Names within the folder keep every path as short as its
// target's, however long that is.
int MakeFileBeside(int folder, const std::string& target, std::string& made) {
    std::random_device seed;
    std::mt19937_64 names(seed());
    for (int attempt = 0; attempt < 100; ++attempt) {
        // The name cut short, so that the longest one a folder takes still
        // leaves room for the dot and the number.
        made.assign(1, '.').append(target, 0, 200).append(1, '.');
        made += std::to_string(names() % 1000000000);
        const int descriptor =
            openat(folder, made.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
        if (descriptor >= 0 || errno != EEXIST) return descriptor;
    }
    return -1;
}

// The folder open for files to be made in it, and read, so that it can be
// locked; only searched where it cannot be read.
int OpenFolder(const std::string& path) {
    const int folder = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0 || errno != EACCES) return folder;
    return open(path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
}

}  // namespace

std::string ShownName(const std::string& name) {
    return name == "-" ? std::string("standard output") : name;
}

EOutputError::EOutputError(const std::string& name, const std::string& reason)
    : std::runtime_error("cannot write " + ShownName(name) + ": " + reason) {}

OutputFile::OutputFile(std::string name) : name_(std::move(name)) {
    try {
        Open();
    } catch (...) {
        Release();
        throw;
    }
}

void OutputFile::Open() {
    // Standard output and the tool's other open files by name: written
    // through their descriptors, where they stand, as a shell set them up
    // (appending, say), whatever they are.
    if (const std::optional<int> given = DescriptorNamed(name_)) {
        if (!WasOpenAtStart(*given)) Fail(SystemReason(EBADF));
        if (isatty(*given)) Fail("it is a terminal, and the file is binary");
        kind_ = Kind::kDirect;
        descriptor_ = fcntl(*given, F_DUPFD_CLOEXEC, 3);
        if (descriptor_ < 0) FailWithErrno();
        return;
    }
    // What is there, links followed.
    struct stat status {};
    const bool exists = stat(name_.c_str(), &status) == 0;
    if (!exists && errno != ENOENT) FailWithErrno();
    if (exists && S_ISDIR(status.st_mode)) Fail(SystemReason(EISDIR));
    if (exists && S_ISSOCK(status.st_mode)) Fail("it is a socket");
    if (exists && !S_ISREG(status.st_mode)) {
        kind_ = Kind::kDirect;
        descriptor_ = open(name_.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
        if (descriptor_ < 0) FailWithErrno();
        return;
    }
    const std::string target = FollowLinks(name_);
    folder_ = OpenFolder(FolderOf(target));
    if (folder_ < 0) FailWithErrno();
    targetName_ = BaseName(target);
    descriptor_ = MakeFileBeside(folder_, targetName_, stagedName_);
    if (descriptor_ < 0) {
        const int error = errno;
        stagedName_.clear();
        if (!exists || (error != EACCES && error != EPERM)) {
            errno = error;
            FailWithErrno();
        }
        // A folder the user may not write to: the file itself, in place,
        // once everything else has been done.
        kind_ = Kind::kInPlace;
        descriptor_ = openat(folder_, targetName_.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
        if (descriptor_ < 0) FailWithErrno();
        return;
    }
    Track(folder_, stagedName_);
    // The new file keeps the old one's owner where it may (as root) and its
    // permissions; an owner it cannot keep is no reason to fail.
    if (exists) {
        const bool owned = geteuid() != 0 || fchown(descriptor_, status.st_uid, status.st_gid) == 0;
        fchmod(descriptor_, status.st_mode & (owned ? 07777 : 0777));
    }
}

OutputFile::~OutputFile() { Release(); }

void OutputFile::Release() noexcept {
    if (descriptor_ >= 0) close(std::exchange(descriptor_, -1));
    if (!committed_ && !stagedName_.empty()) unlinkat(folder_, stagedName_.c_str(), 0);
    Untrack(stagedName_);
    if (folder_ >= 0) close(std::exchange(folder_, -1));
}

void OutputFile::Fail(const std::string& reason) const { throw EOutputError(name_, reason); }

void OutputFile::FailWithErrno() const { Fail(SystemReason(errno)); }

void OutputFile::WriteAll(int descriptor, std::span<const uint8_t> bytes) const {
    while (!bytes.empty()) {
        const ssize_t written =
            write(descriptor, bytes.data(), std::min(bytes.size(), kBufferBytes));
        if (written < 0 && errno == EINTR) continue;
        if (written < 0) FailWithErrno();
        if (written == 0) Fail(SystemReason(ENOSPC));
        bytes = bytes.subspan(static_cast<std::size_t>(written));
    }
}

void OutputFile::Flush() {
    WriteAll(descriptor_, pending_);
    pending_.clear();
}

void OutputFile::Write(std::span<const uint8_t> bytes) {
    if (kind_ == Kind::kStaged && pending_.size() + bytes.size() > kBufferBytes) {
        Flush();
        if (bytes.size() >= kBufferBytes) {
            WriteAll(descriptor_, bytes);
            return;
        }
    }
    try {
        pending_.insert(pending_.end(), bytes.begin(), bytes.end());
    } catch (const std::bad_alloc&) {
        Fail("out of memory");
    }
}

void OutputFile::Finish() {
    if (kind_ != Kind::kStaged || descriptor_ < 0) return;
    Flush();
    if (fsync(descriptor_) != 0) FailWithErrno();
    const int descriptor = std::exchange(descriptor_, -1);
    if (close(descriptor) != 0) FailWithErrno();
}

void OutputFile::Commit() {
    switch (kind_) {
        case Kind::kStaged:
            Finish();
            if (renameat(folder_, stagedName_.c_str(), folder_, targetName_.c_str()) != 0) {
                FailWithErrno();
            }
            Untrack(stagedName_);
            break;
        case Kind::kInPlace:
            if (ftruncate(descriptor_, 0) != 0) FailWithErrno();
            [[fallthrough]];
        case Kind::kDirect:
            WriteAll(descriptor_, pending_);
            pending_ = {};
            if (close(std::exchange(descriptor_, -1)) != 0 && errno != EINTR) FailWithErrno();
            break;
    }
    committed_ = true;
}

void RemoveUnfinishedFilesOnSignals() {
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) std::signal(signal, RemoveUnfinishedAndStop);
}

namespace {

// Exclusive locks on folders, each taken once and all in one order, so that
// two runs that lock the same folders cannot wait for each other; released
// when it goes. A folder that can only be searched, not read, takes no lock.
class FolderLocks {
  public:
    explicit FolderLocks(std::span<OutputFile* const> files) {
        std::map<std::pair<dev_t, ino_t>, int> folders;
        for (const OutputFile* file : files) {
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

}  // namespace

void CommitTogether(std::span<OutputFile* const> files) {
    for (OutputFile* file : files) file->Finish();
    // A pipe may wait for its reader, who may be another run wanting these
    // folders: pipes and devices first, without the locks.
    for (OutputFile* file : files) {
        if (file->Folder() < 0) file->Commit();
    }
    const FolderLocks locks(files);
    for (const bool staged : {false, true}) {
        for (OutputFile* file : files) {
            if (file->Folder() >= 0 && file->IsStaged() == staged) file->Commit();
        }
    }
}

namespace {

// What tells a file apart: its device and inode once it exists, else the
// full path it would be made at.
std::string Identity(const std::string& name) {
    struct stat status {};
    const std::optional<int> given = DescriptorNamed(name);
    if (given && fstat(*given, &status) != 0) return "descriptor " + std::to_string(*given);
    if (given || stat(name.c_str(), &status) == 0) {
        return std::to_string(status.st_dev) + ":" + std::to_string(status.st_ino);
    }
    const std::string path = FollowLinks(name);
    char folder[PATH_MAX];
    if (realpath(FolderOf(path).c_str(), folder) == nullptr) return path;
    return std::string(folder) + "/" + BaseName(path);
}

}  // namespace

bool NameTheSameFile(const std::string& first, const std::string& second) {
    return Identity(first) == Identity(second);
}

bool IsStandardOutput(const std::string& name) {
    if (DescriptorNamed(name) == STDOUT_FILENO) return true;
    struct stat named {};
    struct stat output {};
    return stat(name.c_str(), &named) == 0 && fstat(STDOUT_FILENO, &output) == 0 &&
           named.st_dev == output.st_dev && named.st_ino == output.st_ino;
}

bool IsWrittenThrough(const std::string& name) {
    struct stat status {};
    return DescriptorNamed(name) || (stat(name.c_str(), &status) == 0 && !S_ISREG(status.st_mode));
}

std::optional<int> DescriptorNamed(const std::string& name) {
    if (name == "-" || name == "/dev/stdout") return STDOUT_FILENO;
    if (name == "/dev/stderr") return STDERR_FILENO;
    for (const std::string& folder : {std::string("/dev/fd/"), std::string("/proc/self/fd/"),
                                      "/proc/" + std::to_string(getpid()) + "/fd/"}) {
        if (!name.starts_with(folder)) continue;
        const std::optional<int64_t> descriptor = WholeNumber(name.substr(folder.size()));
        if (descriptor && *descriptor >= 0 && *descriptor <= INT_MAX) {
            return static_cast<int>(*descriptor);
        }
    }
    return std::nullopt;
}

}  // namespace morvik
