#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace morvik {

// How messages name a file: "standard output" for "-", else its name as
// given.
std::string ShownName(const std::string& name);

// Told what share of a file is written, 0..1.
using WritingReport = std::function<void(double share)>;

// A file that could not be written; the message is "cannot write NAME:
// REASON", with the system's reason where it gave one.
class EOutputError : public std::runtime_error {
  public:
    EOutputError(const std::string& name, const std::string& reason);
};

struct Unfinished;

// Removes from a folder, open, the new files that runs killed outright left
// beside these targets (names within it), and nothing else: an old file a
// run kept aside while it put its set in place stays.
void RemoveUnfinished(int folder, const std::set<std::string>& targets);

// One file of an OutputSet, which opens it and puts it in place with the
// rest of the set.
//
// A regular file, or a name not yet taken, is written to a new file beside
// it (beside the file a symbolic link leads to), which takes its place only
// when the set is committed: until then any old file stays as it was.
// Anything else, a device or a FIFO, and the tool's own open files by name
// ("-" or /dev/stdout for standard output, /dev/fd/N), cannot be replaced
// and is written directly, on commit, from what was written to it in
// memory; so is a writable file in a folder where no file can be made
// beside it, in place, its old content kept meanwhile. A socket, a folder,
// or a terminal is refused.
class OutputFile {
  public:
    // Without a commit, removes the new file and leaves the old one.
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    const std::string& Name() const { return name_; }

    // Throws EOutputError.
    void Write(std::span<const uint8_t> bytes);

    // Every byte is written: a new file is flushed to the disk and closed.
    // Throws EOutputError.
    void Finish();

    // The folder the file is replaced in (open, for a lock on it); -1 for a
    // device, a FIFO or standard output.
    int Folder() const { return folder_; }

  private:
    friend class OutputSet;
    enum class Kind { kStaged, kDirect, kInPlace };
    // How a staged file took its place, so that it can be undone.
    enum class Placed { kNot, kExchanged, kNew, kBackedUp };

    // Opens the file or its stand-in at once, so that a file that cannot be
    // written is known before any work is done. Throws EOutputError.
    explicit OutputFile(std::string name);

    // The steps of a commit, each throwing EOutputError: a direct file
    // written through, a staged file put in place with the old one kept,
    // a file rewritten in place with its old content kept.
    void WriteThrough();
    void Place();
    void Rewrite();
    // The old file back, where a step above was taken.
    void PutBack() noexcept;
    // What was kept of the old file let go: the new one stays.
    void DropOld() noexcept;

    void Open();
    void PlaceWithoutExchange();
    void Restore() noexcept;
    void Release() noexcept;
    [[noreturn]] void Fail(const std::string& reason) const;
    [[noreturn]] void FailWithErrno() const;
    void WriteAll(int descriptor, std::span<const uint8_t> bytes) const;
    void Flush();

    std::string name_;
    Kind kind_ = Kind::kStaged;
    int folder_ = -1;                   // staged or in place: the target's folder
    std::string targetName_;            // ... and the target's name within it, links followed
    std::string stagedName_;            // kStaged: the new file beside it, within the folder
    Unfinished* unfinished_ = nullptr;  // ... known to the signals meanwhile
    Placed placed_ = Placed::kNot;
    std::string backupName_;  // kBackedUp: the old file, while the set is put in place
    int descriptor_ = -1;
    bool readable_ = false;  // kInPlace: its old content can be kept
    bool rewritten_ = false;
    std::vector<uint8_t> old_;  // kInPlace: the old content, while the set is put in place
    bool committed_ = false;
    std::vector<uint8_t> pending_;  // kStaged: a buffer; else all of it, till the commit
};

// Whether two names lead to the same file, whether it exists yet or not.
bool NameTheSameFile(const std::string& first, const std::string& second);

// Whether a name leads to the process's standard output ("-" among them).
bool IsStandardOutput(const std::string& name);

// Whether a name is written through, never replaced: a descriptor by name
// (below), or something there that is no plain file (a device, a FIFO).
bool IsWrittenThrough(const std::string& name);

// The descriptor a name stands for: 1 for "-" and /dev/stdout, 2 for
// /dev/stderr, N for /dev/fd/N and the process's /proc/.../fd/N; none for
// any other name.
std::optional<int> DescriptorNamed(const std::string& name);

}  // namespace morvik
