// Where a layout's bytes go. The layouts append to `text()` and call RowDone() after each
// row; a sink with a spill function hands the text over (and empties it) whenever it holds a
// chunk, so that a million rows go to a file through one small, warm buffer instead of a
// string of hundreds of megabytes. A sink without one keeps everything in the string.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <utility>

namespace quillow::output {

class TextSink {
 public:
  // Takes the bytes handed over; false when they could not be kept (a full disk), which
  // ends the layout early.
  using Spill = std::function<bool(std::string_view)>;

  static constexpr size_t kChunk = size_t{1} << 20;

  explicit TextSink(std::string& text) : text_(text) {}
  TextSink(std::string& text, Spill spill) : text_(text), spill_(std::move(spill)) {}
  TextSink(const TextSink&) = delete;
  TextSink& operator=(const TextSink&) = delete;

  std::string& text() { return text_; }

  // Makes room for what the layout will write, `whole()` bytes in all: for a spilling sink
  // only one chunk and a row's worth, without asking for the whole size.
  template <typename WholeSize>
  void Reserve(WholeSize whole) {
    text_.reserve(text_.size() + (spill_ ? kChunk + 64 * 1024 : whole()));
  }

  // False once a spill has failed: the layout stops, since nothing more can be kept.
  bool RowDone() { return text_.size() < kChunk || !spill_ || Flush(); }

  // Hands over whatever is held; for a sink without a spill function, does nothing.
  bool Flush() {
    if (failed_) return false;
    if (!spill_ || text_.empty()) return true;
    failed_ = !spill_(text_);
    text_.clear();
    return !failed_;
  }

  bool failed() const { return failed_; }

 private:
  std::string& text_;
  Spill spill_;
  bool failed_ = false;
};

}  // namespace quillow::output
