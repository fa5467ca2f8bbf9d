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

class CollectingContext final : public search::ReaderContext {
 public:
  explicit CollectingContext(uint16_t defDate = 0x2A21, uint16_t defTime = 0x6000)
      : search::ReaderContext("C:\\t\\archive", defDate, defTime) {}
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
  search::ByteSource src(bytes);
  reader(src, ctx);
  return ctx;
}

inline std::string LoadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

// Test data lives in the repository: a file that is not there fails the test that wanted it
// (an empty archive would otherwise pass many checks unnoticed).
inline std::string DataFile(const std::string& root, const std::string& name) {
  std::string path = root + "/" + name;
  if (!std::filesystem::is_regular_file(path)) ADD_FAILURE() << "test data missing: " << path;
  return path;
}
// Archives made by the scripts beside them in tests/data.
inline std::string TestData(const std::string& name) { return DataFile(QUILLOW_TEST_DATA, name); }
// Archives made by other programs, collected in tests/data/samples (see tests/data/SOURCES.md).
inline std::string Sample(const std::string& name) { return DataFile(QUILLOW_SAMPLES, name); }

// Little-endian byte builders for hand-made headers.
inline void Put16(std::string& s, uint16_t v) {
  s.push_back(static_cast<char>(v & 0xFF));
  s.push_back(static_cast<char>(v >> 8));
}
inline void Put32(std::string& s, uint32_t v) {
  for (int i = 0; i < 4; ++i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

}  // namespace quillow::test
