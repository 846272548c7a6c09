#pragma once

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace morvik {

// One line on standard error, while a run lasts, that says what it is doing
// and how far it has got. A thread of its own redraws it ten times a second
// at most, so that telling it costs the work nothing; it is cleared at the
// end. Nothing at all is drawn unless it is shown.
class ProgressLine {
  public:
    explicit ProgressLine(bool shown);
    ~ProgressLine() { Clear(); }
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    // One part of the run; parts that run at once share the line.
    class Task {
      public:
        Task(Task&& other) noexcept;
        ~Task();
        Task(const Task&) = delete;
        Task& operator=(const Task&) = delete;
        Task& operator=(Task&&) = delete;

        void Show(std::string text);
        void Show(const std::string& text, double share);  // "text 42%"

      private:
        friend class ProgressLine;
        Task(ProgressLine* line, std::size_t slot) : line_(line), slot_(slot) {}
        ProgressLine* line_;
        std::size_t slot_;
    };

    Task Start(std::string text);

    // Stops drawing and clears the line, for the lines that follow it.
    void Clear();

    // Whether a run's progress belongs on standard error: a terminal only.
    static bool StandardErrorIsTerminal();

  private:
    void Set(std::size_t slot, std::optional<std::string> text);
    void Draw(std::stop_token stop);

    bool shown_;
    std::mutex mutex_;
    std::condition_variable_any wakeup_;
    std::vector<std::optional<std::string>> slots_;
    bool dirty_ = false;
    std::jthread drawer_;
};

}  // namespace morvik
