// How the core tells its caller about progress and problems, and hears a request to stop.
#pragma once

#include <cstdint>
#include <string>

namespace quillow::zip {

// Error codes that travel with a message.
enum : int32_t {
  kNoteInfo = 0,     // verbose report of work done
  kNoteSkipped = 1,  // one file or member left out; the rest goes on
  kNoteFailed = 2,   // the operation as a whole failed; nothing was changed
  kNoteWarning = 3,  // done, but not quite as asked: a member written under a name read
                     // another way than its header says
};

class Reporter {
 public:
  virtual ~Reporter() = default;
  // Each returns true when the caller asks to stop.
  virtual bool FileStart(const std::string& name, uint64_t size) = 0;
  virtual bool Step() = 0;
  virtual bool BatchEnd() = 0;
  virtual bool Message(int32_t code, const std::string& text) = 0;
};

}  // namespace quillow::zip
