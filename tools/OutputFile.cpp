#include "tools/OutputFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <random>
#include <set>
#include <string_view>
#include <utility>
#include <vector>

#include "tools/StandardStreams.h"
#include "tools/SystemText.h"
#include "tools/UnfinishedFiles.h"

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

// What a hidden name beside a target holds: a new file being written,
// which a run cut short leaves, or the old file kept until the set is in
// place.
constexpr std::string_view kUnfinished = ".morvik-unfinished.";
constexpr std::string_view kKept = ".";

// The start of the hidden names beside `target`: the name cut short, so
// that the longest one a folder takes still leaves room for the rest.
std::string HiddenStart(const std::string& target, std::string_view what) {
    return std::string(1, '.').append(target, 0, 200).append(what);
}

// A hidden name in a folder beside `target`, named after it and what it
// holds, tried by `make` until it does not find the name taken (EEXIST).
// Names within the folder keep every path as short as its target's, however
// long that is.
template <typename Make>
int MakeNameBeside(const std::string& target, std::string_view what, std::string& made,
                   const Make& make) {
    std::random_device seed;
    std::mt19937_64 names(seed());
    for (int attempt = 0; attempt < 100; ++attempt) {
        made = HiddenStart(target, what) + std::to_string(names() % 1000000000);
        const int result = make(made.c_str());
        if (result >= 0 || errno != EEXIST) return result;
    }
    return -1;
}

// The signals that end the process, held back while a new file is made and
// tracked, so that none is left untracked.
class SignalsHeld {
  public:
    SignalsHeld() {
        sigset_t held;
        sigemptyset(&held);
        for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGXFSZ, SIGABRT}) {
            sigaddset(&held, signal);
        }
        pthread_sigmask(SIG_BLOCK, &held, &before_);
    }
    ~SignalsHeld() { pthread_sigmask(SIG_SETMASK, &before_, nullptr); }
    SignalsHeld(const SignalsHeld&) = delete;
    SignalsHeld& operator=(const SignalsHeld&) = delete;

  private:
    sigset_t before_{};
};

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

void RemoveUnfinished(int folder, const std::set<std::string>& targets) {
    std::set<std::string> starts;
    for (const std::string& target : targets) starts.insert(HiddenStart(target, kUnfinished));
    const int listing = openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listing < 0) return;
    DIR* entries = fdopendir(listing);
    if (entries == nullptr) {
        close(listing);
        return;
    }
    std::vector<std::string> left;
    while (const dirent* entry = readdir(entries)) {
        const std::string_view name = entry->d_name;
        const std::size_t number = name.rfind(kUnfinished);
        if (number == std::string_view::npos) continue;
        const std::size_t digits = number + kUnfinished.size();
        if (digits < name.size() &&
            name.find_first_not_of("0123456789", digits) == std::string_view::npos &&
            starts.contains(std::string(name.substr(0, digits)))) {
            left.emplace_back(name);
        }
    }
    closedir(entries);
    for (const std::string& name : left) unlinkat(folder, name.c_str(), 0);
}

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
    {
        const SignalsHeld held;
        descriptor_ = MakeNameBeside(targetName_, kUnfinished, stagedName_, [&](const char* made) {
            return openat(folder_, made, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
        });
        if (descriptor_ >= 0) unfinished_ = TrackUnfinished(folder_, stagedName_);
    }
    if (descriptor_ < 0) {
        const int error = errno;
        stagedName_.clear();
        if (!exists || (error != EACCES && error != EPERM)) {
            errno = error;
            FailWithErrno();
        }
        // A folder the user may not write to: the file itself, in place,
        // once everything else has been done; read first, to be put back.
        kind_ = Kind::kInPlace;
        descriptor_ = openat(folder_, targetName_.c_str(), O_RDWR | O_CLOEXEC | O_NOCTTY);
        readable_ = descriptor_ >= 0;
        if (!readable_) {
            descriptor_ = openat(folder_, targetName_.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
        }
        if (descriptor_ < 0) FailWithErrno();
        return;
    }
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
    UntrackUnfinished(std::exchange(unfinished_, nullptr));
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

void OutputFile::WriteThrough() {
    WriteAll(descriptor_, pending_);
    pending_ = {};
    if (close(std::exchange(descriptor_, -1)) != 0 && errno != EINTR) FailWithErrno();
    committed_ = true;
}

void OutputFile::Place() {
    Finish();
    const char* staged = stagedName_.c_str();
    const char* target = targetName_.c_str();
    // Exchanged, the old file waits under the new one's name until the
    // whole set is in place.
    if (renameat2(folder_, staged, folder_, target, RENAME_EXCHANGE) == 0) {
        placed_ = Placed::kExchanged;
        return;
    }
    if (errno == ENOENT && renameat2(folder_, staged, folder_, target, RENAME_NOREPLACE) == 0) {
        placed_ = Placed::kNew;
        return;
    }
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) FailWithErrno();
    PlaceWithoutExchange();
}

// Where the file system cannot exchange two names: the old file linked to
// a hidden name of its own (moved there where it cannot be linked), then
// replaced.
void OutputFile::PlaceWithoutExchange() {
    const char* target = targetName_.c_str();
    struct stat status {};
    if (fstatat(folder_, target, &status, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno != ENOENT) FailWithErrno();
        if (renameat(folder_, stagedName_.c_str(), folder_, target) != 0) FailWithErrno();
        placed_ = Placed::kNew;
        return;
    }
    bool linked = true;
    const int kept = MakeNameBeside(targetName_, kKept, backupName_, [&](const char* made) {
        if (linkat(folder_, target, folder_, made, 0) == 0) return 0;
        if (errno == EEXIST) return -1;
        // No hard links here: moved aside, to a name free under the lock.
        linked = false;
        if (fstatat(folder_, made, &status, AT_SYMLINK_NOFOLLOW) == 0) {
            errno = EEXIST;
            return -1;
        }
        return renameat(folder_, target, folder_, made);
    });
    if (kept != 0) {
        backupName_.clear();
        FailWithErrno();
    }
    if (renameat(folder_, stagedName_.c_str(), folder_, target) != 0) {
        const int error = errno;
        if (linked) {
            unlinkat(folder_, backupName_.c_str(), 0);
        } else {
            renameat(folder_, backupName_.c_str(), folder_, target);
        }
        backupName_.clear();
        errno = error;
        FailWithErrno();
    }
    placed_ = Placed::kBackedUp;
}

void OutputFile::Rewrite() {
    struct stat status {};
    if (fstat(descriptor_, &status) != 0) FailWithErrno();
    if (readable_) {
        old_.resize(static_cast<std::size_t>(status.st_size));
        for (std::size_t done = 0; done < old_.size();) {
            const ssize_t read = pread(descriptor_, old_.data() + done, old_.size() - done,
                                       static_cast<off_t>(done));
            if (read < 0 && errno == EINTR) continue;
            if (read < 0) FailWithErrno();
            if (read == 0) old_.resize(done);
            done += static_cast<std::size_t>(read);
        }
    }
    rewritten_ = true;
    try {
        // The room taken first, so that a full disk or a file size limit is
        // met before a byte of the old file changes.
        const auto size = static_cast<off_t>(pending_.size());
        if (size > status.st_size && fallocate(descriptor_, 0, 0, size) != 0 &&
            errno != EOPNOTSUPP && errno != ENOSYS) {
            FailWithErrno();
        }
        if (lseek(descriptor_, 0, SEEK_SET) != 0) FailWithErrno();
        WriteAll(descriptor_, pending_);
        if (ftruncate(descriptor_, size) != 0 || fsync(descriptor_) != 0) FailWithErrno();
    } catch (...) {
        Restore();
        throw;
    }
}

void OutputFile::Restore() noexcept {
    if (!std::exchange(rewritten_, false) || !readable_) return;
    std::span<const uint8_t> old(old_);
    for (off_t at = 0; !old.empty();) {
        const ssize_t written = pwrite(descriptor_, old.data(), old.size(), at);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) break;
        old = old.subspan(static_cast<std::size_t>(written));
        at += written;
    }
    if (ftruncate(descriptor_, static_cast<off_t>(old_.size())) == 0) fsync(descriptor_);
}

void OutputFile::PutBack() noexcept {
    const char* target = targetName_.c_str();
    switch (std::exchange(placed_, Placed::kNot)) {
        case Placed::kExchanged:
            renameat2(folder_, stagedName_.c_str(), folder_, target, RENAME_EXCHANGE);
            break;
        case Placed::kNew:
            unlinkat(folder_, target, 0);
            break;
        case Placed::kBackedUp:
            renameat(folder_, backupName_.c_str(), folder_, target);
            backupName_.clear();
            break;
        case Placed::kNot:
            break;
    }
    Restore();
}

void OutputFile::DropOld() noexcept {
    if (placed_ == Placed::kExchanged) unlinkat(folder_, stagedName_.c_str(), 0);
    if (placed_ == Placed::kBackedUp) unlinkat(folder_, backupName_.c_str(), 0);
    UntrackUnfinished(std::exchange(unfinished_, nullptr));
    placed_ = Placed::kNot;
    rewritten_ = false;
    old_ = {};
    pending_ = {};
    committed_ = true;
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
