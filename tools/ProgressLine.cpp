#include "tools/ProgressLine.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <new>
#include <system_error>
#include <utility>

namespace morvik {

namespace {

void WriteToTerminal(const std::string& text) {
    // Nothing to be done if the terminal has gone.
    if (write(STDERR_FILENO, text.data(), text.size()) < 0) return;
}

// The terminal's width, so that the line never wraps: a wrapped line could
// not be drawn over.
std::size_t Columns() {
    winsize size{};
    if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 1) return size.ws_col;
    return 80;
}

}  // namespace

// A line that cannot have its thread is not drawn: the run goes on without.
ProgressLine::ProgressLine(bool shown) : shown_(shown) {
    if (!shown_) return;
    try {
        drawer_ = std::jthread([this](std::stop_token stop) { Draw(stop); });
    } catch (const std::system_error&) {
        shown_ = false;
    }
}

bool ProgressLine::StandardErrorIsTerminal() { return isatty(STDERR_FILENO) != 0; }

ProgressLine::Task ProgressLine::Start(std::string text) {
    if (!shown_) return Task(this, 0);
    const std::lock_guard lock(mutex_);
    std::size_t slot = 0;
    while (slot < slots_.size() && slots_[slot]) ++slot;
    if (slot == slots_.size()) slots_.emplace_back();
    slots_[slot] = std::move(text);
    dirty_ = true;
    return Task(this, slot);
}

void ProgressLine::Set(std::size_t slot, std::optional<std::string> text) {
    if (!shown_) return;
    const std::lock_guard lock(mutex_);
    slots_[slot] = std::move(text);
    dirty_ = true;
}

void ProgressLine::Clear() {
    if (!drawer_.joinable()) return;
    drawer_.request_stop();
    drawer_.join();
    WriteToTerminal("\r\033[K");
}

// A line that cannot be built (no memory for it) is no reason to stop the
// run: the drawing stops instead.
void ProgressLine::Draw(std::stop_token stop) try {
    using namespace std::chrono_literals;
    std::unique_lock lock(mutex_);
    while (!stop.stop_requested()) {
        if (dirty_) {
            std::string line = "morvik-batch:";
            for (const std::optional<std::string>& text : slots_) {
                if (text) line += (line.back() == ':' ? " " : ", ") + *text;
            }
            dirty_ = false;
            lock.unlock();
            line.resize(std::min(line.size(), Columns() - 1));
            WriteToTerminal("\r" + line + "\033[K");
            lock.lock();
        }
        // Woken early only to stop.
        wakeup_.wait_for(lock, stop, 100ms, [] { return false; });
    }
} catch (const std::bad_alloc&) {
}

ProgressLine::Task::Task(Task&& other) noexcept
    : line_(std::exchange(other.line_, nullptr)), slot_(other.slot_) {}

ProgressLine::Task::~Task() {
    if (line_ != nullptr) line_->Set(slot_, std::nullopt);
}

void ProgressLine::Task::Show(std::string text) { line_->Set(slot_, std::move(text)); }

void ProgressLine::Task::Show(const std::string& text, double share) {
    if (!line_->shown_) return;
    Show(text + " " + std::to_string(static_cast<int>(std::floor(share * 100))) + "%");
}

}  // namespace morvik
