#include "app/ui_task_queue.h"

#include <exception>
#include <memory>
#include <vector>

namespace quillow::app {

using Clock = std::chrono::steady_clock;

UiTaskQueue::UiTaskQueue(std::function<void()> wake, std::chrono::milliseconds stateInterval)
    : wake_(std::move(wake)), stateInterval_(stateInterval) {}

void UiTaskQueue::WakeLocked(bool urgent) {
  // An awake queue is run again on the window's timer; an ordered step does not wait for
  // that tick but asks for a run of its own, once until the next run starts.
  if (awake_ && (!urgent || messageWaiting_)) return;
  awake_ = true;
  messageWaiting_ = true;
  wake_();
}

void UiTaskQueue::PushLocked(Entry entry) {
  entry.seq = ++seq_;
  const bool urgent = entry.after == After::kState;
  tasks_.push_back(std::move(entry));
  WakeLocked(urgent);
}

void UiTaskQueue::Post(Task task, After after) {
  std::lock_guard lock(mutex_);
  if (closed_) return;
  PushLocked({std::move(task), 0, after});
}

void UiTaskQueue::PostState(size_t slot, Task task) {
  Task overtaken;  // destroyed outside the lock
  std::lock_guard lock(mutex_);
  if (closed_ || slot >= kStateSlots) return;
  Slot& s = slots_[slot];
  overtaken = std::move(s.task);
  s.task = std::move(task);
  s.seq = ++seq_;
  WakeLocked(false);
}

bool UiTaskQueue::Call(Task task) {
  auto done = std::make_shared<bool>(false);  // guarded by mutex_
  std::unique_lock lock(mutex_);
  if (closed_) return false;
  PushLocked({[this, done, task = std::move(task)] {
                // The waiting worker is answered whatever the task does, or it would wait
                // forever.
                struct Answer {
                  UiTaskQueue& queue;
                  std::shared_ptr<bool> done;
                  ~Answer() {
                    std::lock_guard lock(queue.mutex_);
                    *done = true;
                    queue.ran_.notify_all();
                  }
                } answer{*this, done};
                task();
              },
              0, After::kState});
  ran_.wait(lock, [&] { return *done || closed_; });
  return *done;
}

std::vector<UiTaskQueue::Task> UiTaskQueue::TakeStateLocked(uint64_t before, bool dueOnly,
                                                            Clock::time_point now) {
  std::vector<Task> taken;
  for (Slot& s : slots_) {
    if (!s.task || s.seq >= before) continue;
    if (dueOnly && now - s.lastRun < stateInterval_) continue;
    taken.push_back(std::move(s.task));
    s.task = nullptr;
    s.lastRun = now;
  }
  return taken;
}

uint64_t UiTaskQueue::FirstOrderedLocked() const {
  for (const Entry& e : tasks_)
    if (e.after == After::kState) return e.seq;
  return UINT64_MAX;
}

bool UiTaskQueue::StateWaitingLocked() const {
  for (const Slot& s : slots_)
    if (s.task) return true;
  return false;
}

bool UiTaskQueue::Run(std::chrono::milliseconds budget, const std::function<bool()>& yield) {
  // A task that runs a modal loop (a message box) brings the timer in again; the outer run
  // carries on with whatever has been queued meanwhile, in order.
  if (running_) return false;
  running_ = true;
  struct Reset {
    bool& flag;
    ~Reset() { flag = false; }
  } reset{running_};

  // A run does what was queued when it began. Work posted meanwhile waits for the next run:
  // a window that took each row as it came would spend its whole budget in step with the
  // search, a row at a time, and slow the search down with it.
  uint64_t last;
  {
    std::lock_guard lock(mutex_);
    messageWaiting_ = false;
    last = seq_;
  }
  const Clock::time_point deadline = Clock::now() + budget;
  std::exception_ptr failure;
  bool ranAny = false;
  auto runOne = [&](Task& task) {
    ranAny = true;
    try {
      task();
    } catch (...) {
      if (!failure) failure = std::current_exception();
    }
  };
  bool yielded = false;
  for (;;) {
    Entry entry;
    std::vector<Task> before;
    {
      std::lock_guard lock(mutex_);
      if (closed_ || tasks_.empty() || tasks_.front().seq > last) break;
      entry = std::move(tasks_.front());
      tasks_.pop_front();
      if (entry.after == After::kState) before = TakeStateLocked(entry.seq, false, Clock::now());
    }
    for (Task& t : before) runOne(t);
    runOne(entry.task);
    if (Clock::now() >= deadline || (yield && yield())) {
      yielded = true;
      break;
    }
  }
  if (!yielded) {
    std::vector<Task> due;
    {
      std::lock_guard lock(mutex_);
      // Never a text posted after an ordered step still waiting: it would be overwritten.
      if (!closed_) due = TakeStateLocked(FirstOrderedLocked(), true, Clock::now());
    }
    for (Task& t : due) runOne(t);
  }
  bool idle;
  {
    std::lock_guard lock(mutex_);
    idle = closed_ || (!ranAny && tasks_.empty() && !StateWaitingLocked());
    if (idle) awake_ = false;
  }
  if (failure) std::rethrow_exception(failure);
  return idle;
}

void UiTaskQueue::Close() {
  std::deque<Entry> dropped;
  std::array<Slot, kStateSlots> droppedState{};
  {
    std::lock_guard lock(mutex_);
    closed_ = true;
    dropped.swap(tasks_);
    droppedState.swap(slots_);
    ran_.notify_all();
  }
}

bool UiTaskQueue::Closed() const {
  std::lock_guard lock(mutex_);
  return closed_;
}

}  // namespace quillow::app
