// Archive directories read on a second thread while the walk goes on. Unpacking a compressed
// directory (7z) costs as much as walking a whole folder; the walk hands such an archive,
// already open, to the reading thread and walks on, and the search tells what the reader
// found once it is its turn, so every row and warning keeps the order of a walk that read
// each archive on the spot. Only the search thread ever talks to the host.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/fs.h"
#include "search/reader.h"

namespace quillow::search {

// A reader's members and warnings, kept as told, to be told again later.
class RecordedArchive final : public ReaderContext {
 public:
  using ReaderContext::ReaderContext;
  void Report(std::string_view name, uint16_t date, uint16_t time, uint32_t size,
              uint32_t packed) override;
  void ReportUndated(std::string_view name, uint32_t size, uint32_t packed) override;
  void Warn(std::string_view message) override;

  // Tells `to` everything recorded, in the order it came.
  void Replay(ReaderContext& to) const;
  // The memory the record holds.
  size_t Bytes() const { return text_.size() + events_.size() * sizeof(Event); }

 private:
  enum class Kind : uint8_t { kDated, kUndated, kWarning };
  struct Event {
    Kind kind;
    uint16_t date, time;
    uint32_t size, packed;
    uint32_t at, length;  // the name or message in text_
  };
  void Add(Kind kind, std::string_view text, uint16_t date, uint16_t time, uint32_t size,
           uint32_t packed);

  std::string text_;
  std::vector<Event> events_;
};

class ReadAhead {
 public:
  struct Job {
    Job(std::unique_ptr<platform::ReadFile> f, ReaderFn r, std::string container, uint16_t date,
        uint16_t time)
        : file(std::move(f)), reader(r), record(std::move(container), date, time) {}
    std::unique_ptr<platform::ReadFile> file;  // closed once read
    ReaderFn reader;
    RecordedArchive record;
    std::exception_ptr failure;  // what the reader threw, after what it recorded
  };

  // At most `depth` archives are queued at a time. The reading thread is woken once
  // `batch` archives wait, or when the search waits for one: waking a sleeping thread on
  // another processor costs more than reading a small directory, so it is done seldom. It
  // reads no further while the records read and not yet told hold `held` bytes or more
  // (a folder of archives with a million members each would otherwise all be in memory).
  ReadAhead(size_t depth, size_t batch, size_t held)
      : depth_(depth), batch_(batch), heldLimit_(held) {}
  ~ReadAhead() { End(); }
  ReadAhead(const ReadAhead&) = delete;
  ReadAhead& operator=(const ReadAhead&) = delete;

  // Archives queued, read or not.
  size_t Size() const { return jobs_.size(); }
  // Queues an archive for reading; the reading thread starts with the first. No more than
  // the depth may be queued.
  void Push(std::unique_ptr<Job> job);
  // The oldest archive once it has been read, else nullptr; `wait` waits for it, unless
  // nothing is queued.
  std::unique_ptr<Job> Pop(bool wait);
  // Drops the archives whose reading has not begun (a stop).
  void DropWaiting();
  // Ends the reading thread once the archive it reads is done, and drops what is queued:
  // the search is over.
  void End();

 private:
  void Work();

  const size_t depth_;
  const size_t batch_;
  const size_t heldLimit_;
  // jobs_ is the search thread's, but for its lock-guarded entries: the first done_ are read,
  // the next one is being read while reading_ is set.
  std::deque<std::unique_ptr<Job>> jobs_;
  std::mutex lock_;
  std::condition_variable queued_, read_;
  size_t done_ = 0;
  size_t held_ = 0;  // bytes of the records read
  bool reading_ = false;
  bool urged_ = false;  // the search waits: read whatever waits, however few
  bool quit_ = false;
  std::thread worker_;
};

}  // namespace quillow::search
