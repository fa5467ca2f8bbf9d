// Writing a file so that a failure part of the way never harms what was there.
#pragma once

#include <string>
#include <string_view>

namespace quillow::platform {

// Replacing writes into a new file beside the target, which takes the target's place only
// once it is completely written; appending adds to the end of the target (creating it when
// missing) and, should anything fail, cuts it back to the length it had. Whatever is not
// committed is undone when the writer goes, so the old file is always as it was unless the
// new bytes are all there. Every failure leaves the system's words in error().
class SafeFileWriter {
 public:
  enum class Mode { kReplace, kAppend };

  SafeFileWriter() = default;
  ~SafeFileWriter() { Abandon(); }
  SafeFileWriter(const SafeFileWriter&) = delete;
  SafeFileWriter& operator=(const SafeFileWriter&) = delete;

  bool Open(const std::string& path, Mode mode);
  bool Write(std::string_view bytes);
  bool Commit();

  const std::string& error() const { return error_; }

 private:
  bool Fail(unsigned long code);
  void Abandon();

  void* file_ = nullptr;  // the open handle, null when there is none
  Mode mode_ = Mode::kReplace;
  std::wstring target_, temp_;
  long long appendAt_ = 0;  // the target's length before an append
  bool created_ = false;    // an append made the target
  std::string error_;
};

}  // namespace quillow::platform
