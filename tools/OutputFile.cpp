#include "tools/OutputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <csignal>

#include <QFile>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <new>
#include <random>
#include <utility>

namespace morvik {

namespace {

constexpr std::size_t kBufferBytes = std::size_t{1} << 20;

// The system's reason in English, as the tool's other messages are,
// whatever language the session's locale would give it.
std::string Reason(int error) {
    const char* description = strerrordesc_np(error);
    return description != nullptr ? description : "error " + std::to_string(error);
}

std::string Folder(const std::string& path) {
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
        path = target.starts_with('/') ? target : Folder(path) + "/" + target;
    }
    return path;
}

// The new files not yet in place, for a signal that ends the process to
// remove: a run cut short leaves no half-written file behind.
std::array<std::atomic<const char*>, 8> unfinished{};

void Track(const std::string& path) {
    for (std::atomic<const char*>& slot : unfinished) {
        const char* empty = nullptr;
        if (slot.compare_exchange_strong(empty, path.c_str())) return;
    }
}

void Untrack(const std::string& path) {
    for (std::atomic<const char*>& slot : unfinished) {
        const char* mine = path.c_str();
        slot.compare_exchange_strong(mine, nullptr);
    }
}

extern "C" void RemoveUnfinishedAndStop(int signal) {
    for (std::atomic<const char*>& slot : unfinished) {
        if (const char* path = slot.load(); path != nullptr) unlink(path);
    }
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

// A new file beside `target`, made by this call: hidden, named after it.
int MakeFileBeside(const std::string& target, std::string& made) {
    std::random_device seed;
    std::mt19937_64 names(seed());
    for (int attempt = 0; attempt < 100; ++attempt) {
        // The name cut short, so that the longest one a folder takes still
        // leaves room for the dot and the number.
        made = Folder(target) + "/." + BaseName(target).substr(0, 200) + "." +
               std::to_string(names() % 1000000000);
        const int descriptor =
            open(made.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
        if (descriptor >= 0 || errno != EEXIST) return descriptor;
    }
    return -1;
}

}  // namespace

std::string ShownName(const QString& name) {
    return name == "-" ? std::string("standard output") : name.toLocal8Bit().toStdString();
}

EOutputError::EOutputError(const QString& name, const std::string& reason)
    : std::runtime_error("cannot write " + ShownName(name) + ": " + reason) {}

OutputFile::OutputFile(const QString& name) : name_(name) {
    if (name == "-") {
        if (isatty(STDOUT_FILENO)) Fail("it is a terminal, and the file is binary");
        kind_ = Kind::kDirect;
        descriptor_ = STDOUT_FILENO;
        return;
    }
    target_ = FollowLinks(QFile::encodeName(name).toStdString());
    struct stat status {};
    const bool exists = stat(target_.c_str(), &status) == 0;
    if (!exists && errno != ENOENT) FailWithErrno();
    if (exists && S_ISDIR(status.st_mode)) Fail(Reason(EISDIR));
    if (exists && S_ISSOCK(status.st_mode)) Fail("it is a socket");
    if (exists && !S_ISREG(status.st_mode)) {
        kind_ = Kind::kDirect;
        descriptor_ = open(target_.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
        if (descriptor_ < 0) FailWithErrno();
        return;
    }
    descriptor_ = MakeFileBeside(target_, staged_);
    if (descriptor_ < 0) {
        const int error = errno;
        staged_.clear();
        if (!exists || (error != EACCES && error != EPERM)) {
            errno = error;
            FailWithErrno();
        }
        // A folder the user may not write to: the file itself, in place,
        // once everything else has been done.
        kind_ = Kind::kInPlace;
        descriptor_ = open(target_.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
        if (descriptor_ < 0) FailWithErrno();
        return;
    }
    Track(staged_);
    // The new file keeps the old one's owner where it may (as root) and its
    // permissions; an owner it cannot keep is no reason to fail.
    if (exists) {
        const bool owned = geteuid() != 0 || fchown(descriptor_, status.st_uid, status.st_gid) == 0;
        fchmod(descriptor_, status.st_mode & (owned ? 07777 : 0777));
    }
}

OutputFile::~OutputFile() {
    if (descriptor_ >= 0 && descriptor_ != STDOUT_FILENO) close(descriptor_);
    if (!committed_ && !staged_.empty()) unlink(staged_.c_str());
    Untrack(staged_);
}

void OutputFile::Fail(const std::string& reason) const { throw EOutputError(name_, reason); }

void OutputFile::FailWithErrno() const { Fail(Reason(errno)); }

void OutputFile::WriteAll(int descriptor, std::span<const uint8_t> bytes) const {
    while (!bytes.empty()) {
        const ssize_t written =
            write(descriptor, bytes.data(), std::min(bytes.size(), kBufferBytes));
        if (written < 0 && errno == EINTR) continue;
        if (written < 0) FailWithErrno();
        if (written == 0) Fail(Reason(ENOSPC));
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
            if (rename(staged_.c_str(), target_.c_str()) != 0) FailWithErrno();
            Untrack(staged_);
            break;
        case Kind::kInPlace:
            if (ftruncate(descriptor_, 0) != 0) FailWithErrno();
            [[fallthrough]];
        case Kind::kDirect:
            WriteAll(descriptor_, pending_);
            pending_ = {};
            if (descriptor_ != STDOUT_FILENO && close(std::exchange(descriptor_, -1)) != 0 &&
                errno != EINTR) {
                FailWithErrno();
            }
            break;
    }
    committed_ = true;
}

void RemoveUnfinishedFilesOnSignals() {
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) std::signal(signal, RemoveUnfinishedAndStop);
}

void CommitTogether(std::span<OutputFile* const> files) {
    for (OutputFile* file : files) file->Finish();
    for (const bool staged : {false, true}) {
        for (OutputFile* file : files) {
            if (file->IsStaged() == staged) file->Commit();
        }
    }
}

namespace {

// What tells a file apart: its device and inode once it exists, else the
// full path it would be made at.
std::string Identity(const QString& name) {
    if (name == "-") return "-";
    const std::string path = FollowLinks(QFile::encodeName(name).toStdString());
    struct stat status {};
    if (stat(path.c_str(), &status) == 0) {
        return std::to_string(status.st_dev) + ":" + std::to_string(status.st_ino);
    }
    char folder[PATH_MAX];
    if (realpath(Folder(path).c_str(), folder) == nullptr) return path;
    return std::string(folder) + "/" + BaseName(path);
}

}  // namespace

bool NameTheSameFile(const QString& first, const QString& second) {
    return Identity(first) == Identity(second);
}

}  // namespace morvik
