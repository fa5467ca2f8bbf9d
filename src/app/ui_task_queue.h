// Work that other threads hand to the user-interface thread, as closures run there in the
// order they were posted.
//
// A worker never touches a window: it posts a task, and the window runs the queue. The
// first task into an idle queue calls `wake` (which posts one window message); from then on
// the window owes the queue a run and comes back on its own timer until a run finds nothing
// to do. Rows and status texts wait for that timer, so the window does their work (drawing
// the list and the status bar) a bounded number of times a second however fast they come;
// an ordered step (the end of a search) wakes the window at once. The message loop never
// holds more than one wake-up of ours, and input and painting, which the system hands out
// before timer messages, always get their turn.
//
// Two kinds of task besides plain ordered ones:
// - State tasks (progress and status texts) live in a numbered slot: a newer one replaces
//   the one still waiting, and a slot runs at most once per `stateInterval`. An ordered task
//   runs only after the state tasks posted before it, unless it is posted `kAnyTime` (rows,
//   which pour in and say nothing about the status texts around them).
// - Calls wait until the window has run them, for a worker that needs an answer.
// Once the queue is closed (the window is going) nothing is queued or run any more, and
// waiting calls return at once.
#pragma once

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>

namespace quillow::app {

class UiTaskQueue {
 public:
  using Task = std::function<void()>;
  static constexpr size_t kStateSlots = 8;
  enum class After : uint8_t { kState, kAnyTime };

  // `wake` runs on the posting thread under the queue's lock: it must only post a message.
  explicit UiTaskQueue(std::function<void()> wake,
                       std::chrono::milliseconds stateInterval = std::chrono::milliseconds(50));
  UiTaskQueue(const UiTaskQueue&) = delete;
  UiTaskQueue& operator=(const UiTaskQueue&) = delete;

  // Posting side, any thread.
  void Post(Task task, After after = After::kState);
  void PostState(size_t slot, Task task);
  // Posts `task` and waits until it has run (true) or the queue was closed first (false).
  // A task that throws has still run: the caller is answered either way.
  bool Call(Task task);

  // User-interface side. Runs what was queued before the run began until nothing of it is
  // left, `budget` is spent or `yield` says input is waiting. True when the run found the queue
  // idle: the caller may stop its timer, the next post wakes it. False: the caller runs the queue
  // again soon. The first failure of a task is rethrown after the run; the tasks after it still
  // ran.
  bool Run(std::chrono::milliseconds budget, const std::function<bool()>& yield = {});
  void Close();
  bool Closed() const;

 private:
  struct Entry {
    Task task;
    uint64_t seq = 0;
    After after = After::kState;
  };
  struct Slot {
    Task task;
    uint64_t seq = 0;
    std::chrono::steady_clock::time_point lastRun{};
  };

  void WakeLocked(bool urgent);
  void PushLocked(Entry entry);
  // Takes the waiting state tasks posted before `seq` (all of them for UINT64_MAX), or only
  // the due ones when `dueOnly`.
  std::vector<Task> TakeStateLocked(uint64_t before, bool dueOnly,
                                    std::chrono::steady_clock::time_point now);
  bool StateWaitingLocked() const;
  uint64_t FirstOrderedLocked() const;  // UINT64_MAX when none waits

  const std::function<void()> wake_;
  const std::chrono::milliseconds stateInterval_;
  mutable std::mutex mutex_;
  std::condition_variable ran_;
  std::deque<Entry> tasks_;
  std::array<Slot, kStateSlots> slots_{};
  uint64_t seq_ = 0;
  bool awake_ = false;
  bool messageWaiting_ = false;  // a wake-up has been posted and no run has started since
  bool closed_ = false;
  bool running_ = false;  // user-interface thread only
};

}  // namespace quillow::app
