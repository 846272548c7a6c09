#include "tools/UnfinishedFiles.h"

#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstring>

namespace morvik {

// One tracked file. Nodes are never freed, only taken again, so that a
// handler walking the list never meets freed memory; the list only grows,
// at its head.
struct Unfinished {
    enum State { kFree, kTaking, kTracked };
    std::atomic<int> state{kTaking};
    int folder = -1;
    bool isFolder = false;
    char name[NAME_MAX + 1] = {};
    Unfinished* next = nullptr;
};

namespace {

std::atomic<Unfinished*> tracked{nullptr};

// Where the process stands: a signal while files are put in place waits
// for them; one while another is ending the process waits for its end.
enum Phase { kRunning, kCommitting, kStopping };
std::atomic<int> phase{kRunning};
std::atomic<int> waiting{0};

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGXFSZ, SIGABRT};

// Only what a signal handler may call.
[[noreturn]] void RemoveAndEnd(int signal) {
    // The files first, so that the folders made for them are empty.
    for (const bool folders : {false, true}) {
        for (Unfinished* file = tracked.load(); file != nullptr; file = file->next) {
            if (file->state.load() != Unfinished::kTracked || file->isFolder != folders) continue;
            unlinkat(file->folder, file->name, folders ? AT_REMOVEDIR : 0);
        }
    }
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
    raise(signal);
    sigset_t unblocked;
    sigemptyset(&unblocked);
    sigaddset(&unblocked, signal);
    pthread_sigmask(SIG_UNBLOCK, &unblocked, nullptr);
    _exit(128 + signal);
}

[[noreturn]] void WaitForTheEnd() {
    for (;;) pause();
}

bool SentByOtherProcess(const siginfo_t* info) {
    return info->si_code == SI_USER && info->si_pid != getpid();
}

extern "C" void OnSignal(int signal, siginfo_t* info, void*) {
    // The kernel's answer to a write past `ulimit -f`: that write fails too
    // (EFBIG), and is reported as any other.
    if (signal == SIGXFSZ && info->si_code == SI_USER && info->si_pid == getpid()) return;
    int now = kRunning;
    if (phase.compare_exchange_strong(now, kStopping)) RemoveAndEnd(signal);
    if (now == kStopping) WaitForTheEnd();
    // Committing. An abort of our own cannot wait: glibc ends the process
    // as soon as this returns.
    if (signal == SIGABRT && !SentByOtherProcess(info)) return;
    int none = 0;
    waiting.compare_exchange_strong(none, signal);
}

}  // namespace

Unfinished* TrackUnfinished(int folder, std::string_view name, bool isFolder) {
    Unfinished* file = nullptr;
    for (Unfinished* old = tracked.load(); old != nullptr && file == nullptr; old = old->next) {
        int free = Unfinished::kFree;
        if (old->state.compare_exchange_strong(free, Unfinished::kTaking)) file = old;
    }
    if (file == nullptr) {
        file = new Unfinished;
        file->next = tracked.load();
        while (!tracked.compare_exchange_weak(file->next, file)) {
        }
    }
    file->folder = folder;
    file->isFolder = isFolder;
    const std::size_t length = std::min(name.size(), sizeof file->name - 1);
    std::memcpy(file->name, name.data(), length);
    file->name[length] = '\0';
    file->state.store(Unfinished::kTracked);
    return file;
}

void UntrackUnfinished(Unfinished* file) noexcept {
    if (file != nullptr) file->state.store(Unfinished::kFree);
}

void RemoveUnfinishedFilesOnSignals() {
    struct sigaction action {};
    action.sa_sigaction = OnSignal;
    action.sa_flags = SA_SIGINFO | SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (const int signal : kSignals) sigaddset(&action.sa_mask, signal);
    for (const int signal : kSignals) {
        struct sigaction old {};
        if (sigaction(signal, nullptr, &old) == 0 && old.sa_handler == SIG_IGN) continue;
        sigaction(signal, &action, nullptr);
    }
}

SignalsDeferred::SignalsDeferred() {
    int now = kRunning;
    while (!phase.compare_exchange_weak(now, kCommitting)) {
        if (now == kStopping) WaitForTheEnd();
        now = kRunning;
    }
}

SignalsDeferred::~SignalsDeferred() {
    // A signal that comes after the check but before the phase changes is
    // still taken as waiting, so look again once it has.
    for (int pass = 0; pass < 2; ++pass) {
        if (const int signal = waiting.load(); signal != 0) {
            int now = pass == 0 ? kCommitting : kRunning;
            if (!phase.compare_exchange_strong(now, kStopping)) WaitForTheEnd();
            RemoveAndEnd(signal);
        }
        if (pass == 0) phase.store(kRunning);
    }
}

bool SignalsDeferred::SignalWaiting() { return waiting.load() != 0; }

}  // namespace morvik
