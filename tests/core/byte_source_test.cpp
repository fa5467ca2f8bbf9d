// The buffered byte source: whole reads or failure, and one system call per block.
#include "search/byte_source.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace quillow {
namespace {

class CountingFile final : public platform::ReadFile {
 public:
  explicit CountingFile(std::string bytes) : bytes_(std::move(bytes)) {}
  uint64_t Length() const override { return bytes_.size(); }
  size_t ReadAt(uint64_t offset, void* dst, size_t n) override {
    ++calls;
    if (offset >= bytes_.size()) return 0;
    const size_t take = std::min<size_t>(n, bytes_.size() - offset);
    std::memcpy(dst, bytes_.data() + offset, take);
    return take;
  }
  int calls = 0;

 private:
  std::string bytes_;
};

std::string Counting(size_t n) {
  std::string s(n, '\0');
  for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>(i * 7 + 3);
  return s;
}

TEST(ByteSource, SmallReadsShareOneSystemCall) {
  const std::string bytes = Counting(4000);
  CountingFile file(bytes);
  search::ByteSource src(file);
  for (size_t i = 0; i < 2000; ++i) {
    uint16_t v = 0;
    ASSERT_TRUE(src.ReadU16(v));
    ASSERT_EQ(v, static_cast<uint16_t>(static_cast<uint8_t>(bytes[2 * i]) |
                                       (static_cast<uint8_t>(bytes[2 * i + 1]) << 8)));
  }
  EXPECT_EQ(file.calls, 1);
  uint8_t b;
  EXPECT_FALSE(src.ReadU8(b));
}

TEST(ByteSource, SeeksAndSkipsReadOnlyWhereNeeded) {
  const std::string bytes = Counting(200000);
  CountingFile file(bytes);
  search::ByteSource src(file);
  uint32_t v = 0;
  ASSERT_TRUE(src.ReadU32(v));
  ASSERT_TRUE(src.Skip(100000));  // stepping over packed data reads nothing
  EXPECT_EQ(file.calls, 1);
  char c;
  ASSERT_TRUE(src.Read(&c, 1));
  EXPECT_EQ(c, bytes[100004]);
  EXPECT_EQ(file.calls, 2);
  src.Seek(10);  // back into a block no longer buffered
  ASSERT_TRUE(src.Read(&c, 1));
  EXPECT_EQ(c, bytes[10]);
  // A read larger than a block goes straight to the file, across the buffer's end.
  std::string big(70000, '\0');
  src.Seek(5);
  ASSERT_TRUE(src.Read(big.data(), big.size()));
  EXPECT_EQ(big, bytes.substr(5, 70000));
}

TEST(ByteSource, ReadsNeverPassTheEnd) {
  const std::string bytes = Counting(100);
  for (int buffered = 0; buffered < 2; ++buffered) {
    CountingFile file(bytes);
    search::ByteSource mem(bytes);
    search::ByteSource fil(file);
    search::ByteSource& src = buffered ? fil : mem;
    char buf[64];
    src.Seek(90);
    EXPECT_FALSE(src.Read(buf, 11));  // all or nothing
    EXPECT_GE(src.Tell(), src.Length());
    src.Seek(90);
    EXPECT_EQ(src.ReadUpTo(buf, 64), 10u);  // what is there, for fields cut by the end
    EXPECT_EQ(std::string(buf, 10), bytes.substr(90));
    src.Seek(50);
    EXPECT_FALSE(src.Skip(51));
    EXPECT_GT(src.Tell(), src.Length());
    EXPECT_EQ(src.Remaining(), 0u);
    src.Seek(uint64_t{1} << 40);  // far past the end: reads fail, nothing wraps
    EXPECT_FALSE(src.Read(buf, 1));
    EXPECT_EQ(src.ReadUpTo(buf, 1), 0u);
  }
}

}  // namespace
}  // namespace quillow
