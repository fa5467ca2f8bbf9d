#include "search/byte_source.h"

#include <algorithm>

namespace quillow::search {

ByteSource::ByteSource(platform::ReadFile& file)
    : file_(&file), length_(file.Length()), buf_(new char[kBlock]) {}

ByteSource::ByteSource(std::string_view bytes)
    : length_(bytes.size()), bufLen_(bytes.size()), mem_(bytes.data()) {}

bool ByteSource::Fill(uint64_t at) {
  if (mem_) return false;
  bufStart_ = at;
  // Never asked past the length taken at open: a read that can only meet the end is a
  // system call saved for every archive.
  bufLen_ =
      at < length_ ? file_->ReadAt(at, buf_.get(), std::min<uint64_t>(kBlock, length_ - at)) : 0;
  return bufLen_ > 0;
}

size_t ByteSource::ReadUpTo(void* dst, size_t n) {
  char* out = static_cast<char*>(dst);
  size_t done = 0;
  while (done < n && pos_ < length_) {
    const char* base = mem_ ? mem_ : buf_.get();
    if (pos_ < bufStart_ || pos_ >= bufStart_ + bufLen_) {
      if (mem_) break;
      // A large read bypasses the buffer.
      if (n - done >= kBlock) {
        size_t got = file_->ReadAt(pos_, out + done, std::min<uint64_t>(n - done, length_ - pos_));
        done += got;
        pos_ += got;
        break;
      }
      if (!Fill(pos_)) break;
      base = buf_.get();
    }
    const size_t off = static_cast<size_t>(pos_ - bufStart_);
    const size_t take = std::min<size_t>(n - done, bufLen_ - off);
    std::memcpy(out + done, base + off, take);
    done += take;
    pos_ += take;
  }
  return done;
}

bool ByteSource::Read(void* dst, size_t n) {
  if (n > Remaining() || ReadUpTo(dst, n) != n) {
    pos_ = std::max(pos_, length_);
    ok_ = false;
    return false;
  }
  return true;
}

bool ByteSource::Skip(uint64_t n) {
  if (n > Remaining()) {
    pos_ = length_ + 1;  // past the end: further reads fail, Tell() shows it
    ok_ = false;
    return false;
  }
  pos_ += n;
  return true;
}

}  // namespace quillow::search
