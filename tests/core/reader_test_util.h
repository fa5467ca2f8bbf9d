// Shared by the reader tests: run a reader over bytes or a file and collect what it reports.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "search/byte_source.h"
#include "search/reader.h"

namespace quillow::test {

struct Member {
  std::string name;
  uint16_t date = 0, time = 0;
  uint32_t size = 0, packed = 0;
  bool dated = true;  // false: the archive keeps no time for it
};

class CollectingContext final : public ReaderContext {
 public:
  explicit CollectingContext(uint16_t defDate = 0x2A21, uint16_t defTime = 0x6000)
      : ReaderContext("C:\\t\\archive", defDate, defTime) {}
  void Report(std::string_view name, uint16_t date, uint16_t time, uint32_t size,
              uint32_t packed) override {
    members.push_back({std::string(name), date, time, size, packed});
  }
  void ReportUndated(std::string_view name, uint32_t size, uint32_t packed) override {
    members.push_back({std::string(name), 0, 0, size, packed, false});
  }
  void Warn(std::string_view message) override { warnings.emplace_back(message); }

  std::vector<Member> members;
  std::vector<std::string> warnings;
};

// Runs `reader` over `bytes` as if they were a whole archive file.
template <typename Reader>
CollectingContext RunReader(Reader reader, const std::string& bytes) {
  CollectingContext ctx;
  ByteSource src(bytes);
  reader(src, ctx);
  return ctx;
}

inline std::string LoadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

inline std::string TestData(const std::string& name) {
  return std::string(QUILLOW_TEST_DATA) + "/" + name;
}
inline std::string Sample(const std::string& name) {
  return std::string(QUILLOW_SAMPLES) + "/" + name;
}

// The shared sample archives live beside the repository, not in it: without them a test
// that reads one says so and is skipped instead of failing on an empty file.
#define QUILLOW_NEEDS_SAMPLES()                                             \
  do {                                                                      \
    if (!std::filesystem::is_directory(QUILLOW_SAMPLES))                    \
      GTEST_SKIP() << "sample archives not found at " QUILLOW_SAMPLES       \
                      " (the shared samples folder beside the repository)"; \
  } while (0)

// Little-endian byte builders for hand-made headers.
inline void Put16(std::string& s, uint16_t v) {
  s.push_back(static_cast<char>(v & 0xFF));
  s.push_back(static_cast<char>(v >> 8));
}
inline void Put32(std::string& s, uint32_t v) {
  for (int i = 0; i < 4; ++i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

}  // namespace quillow::test
