#include "search/read_ahead.h"

#include <limits>
#include <new>
#include <stdexcept>

#include "search/byte_source.h"

namespace quillow::search {

void RecordedArchive::Add(Kind kind, std::string_view text, uint16_t date, uint16_t time,
                          uint32_t size, uint32_t packed) {
  // Names are cut to the member-name buffer and messages are short: an archive can only
  // outgrow the 32-bit offsets by telling billions of members, and it is told in full
  // before any of them is replayed.
  if (text_.size() > std::numeric_limits<uint32_t>::max() - text.size()) throw std::bad_alloc();
  events_.push_back({kind, date, time, size, packed, static_cast<uint32_t>(text_.size()),
                     static_cast<uint32_t>(text.size())});
  text_ += text;
}

void RecordedArchive::Report(std::string_view name, uint16_t date, uint16_t time, uint32_t size,
                             uint32_t packed) {
  Add(Kind::kDated, name, date, time, size, packed);
}

void RecordedArchive::ReportUndated(std::string_view name, uint32_t size, uint32_t packed) {
  Add(Kind::kUndated, name, 0, 0, size, packed);
}

void RecordedArchive::Warn(std::string_view message) { Add(Kind::kWarning, message, 0, 0, 0, 0); }

void RecordedArchive::Replay(ReaderContext& to) const {
  const std::string_view text = text_;
  for (const Event& e : events_) {
    const std::string_view s = text.substr(e.at, e.length);
    switch (e.kind) {
      case Kind::kDated: to.Report(s, e.date, e.time, e.size, e.packed); break;
      case Kind::kUndated: to.ReportUndated(s, e.size, e.packed); break;
      case Kind::kWarning: to.Warn(s); break;
    }
  }
}

void ReadAhead::End() {
  if (!worker_.joinable()) return;
  {
    std::lock_guard<std::mutex> hold(lock_);
    quit_ = true;
  }
  queued_.notify_one();
  worker_.join();
  quit_ = false;
  jobs_.clear();
  done_ = held_ = 0;
  urged_ = false;
}

void ReadAhead::Push(std::unique_ptr<Job> job) {
  if (jobs_.size() >= depth_) throw std::logic_error("read-ahead queue over its depth");
  bool wake = false;
  {
    std::lock_guard<std::mutex> hold(lock_);
    jobs_.push_back(std::move(job));
    wake = jobs_.size() - done_ >= batch_;
  }
  if (!worker_.joinable()) worker_ = std::thread([this] { Work(); });
  if (wake) queued_.notify_one();
}

std::unique_ptr<ReadAhead::Job> ReadAhead::Pop(bool wait) {
  std::unique_lock<std::mutex> hold(lock_);
  if (wait && done_ == 0 && !jobs_.empty()) {
    urged_ = true;
    queued_.notify_one();
    read_.wait(hold, [this] { return done_ > 0 || jobs_.empty(); });
  }
  if (done_ == 0) return nullptr;
  std::unique_ptr<Job> job = std::move(jobs_.front());
  jobs_.pop_front();
  --done_;
  held_ -= job->record.Bytes();
  hold.unlock();
  queued_.notify_one();  // it may wait for room
  return job;
}

void ReadAhead::DropWaiting() {
  std::lock_guard<std::mutex> hold(lock_);
  const size_t keep = done_ + (reading_ ? 1 : 0);  // the records read stay counted
  if (jobs_.size() > keep) jobs_.resize(keep);
}

void ReadAhead::Work() {
  std::unique_lock<std::mutex> hold(lock_);
  for (;;) {
    queued_.wait(hold, [this] {
      return quit_ || (done_ < jobs_.size() && (urged_ || jobs_.size() - done_ >= batch_) &&
                       (done_ == 0 || held_ < heldLimit_));
    });
    if (quit_) return;
    Job& job = *jobs_[done_];
    reading_ = true;
    hold.unlock();
    try {
      ByteSource src(*job.file);
      job.reader(src, job.record);
    } catch (...) {
      job.failure = std::current_exception();
    }
    job.file.reset();
    hold.lock();
    reading_ = false;
    ++done_;
    held_ += job.record.Bytes();
    if (done_ == jobs_.size()) urged_ = false;
    read_.notify_one();
  }
}

}  // namespace quillow::search
