// Shared pieces of the zip core tests: a reporter that records, archives built byte by byte
// from the documented header layouts (so a test can hold any name, method or size, true or
// not), and a scratch folder that is the current folder while the test runs.
#pragma once

#include <gtest/gtest.h>
#include <zlib.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "core/temp_tree.h"
#include "zip/core/archive.h"
#include "zip/core/crypto.h"
#include "zip/core/report.h"

namespace quillow::test {

struct RecordingReporter : zip::Reporter {
  std::vector<std::pair<int32_t, std::string>> messages;
  std::vector<std::string> started;
  int steps = 0, ends = 0;
  int stopAtStep = -1;  // answer "stop" at this step

  bool FileStart(const std::string& name, uint64_t) override {
    started.push_back(name);
    return false;
  }
  bool Step() override { return ++steps == stopAtStep; }
  bool BatchEnd() override { return ++ends, false; }
  bool Message(int32_t code, const std::string& text) override {
    messages.emplace_back(code, text);
    return false;
  }
  bool Said(const std::string& part) const {
    for (const auto& m : messages)
      if (m.second.find(part) != std::string::npos) return true;
    return false;
  }
  std::string All() const {
    std::string s;
    for (const auto& m : messages) s += m.second + "\n";
    return s;
  }
};

// A fixture archive of tests/data/zip/, whole.
inline std::string ReadBytes(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// A fixture archive of tests/data/zip/; a missing one fails the test that reads it.
inline std::string ZipFixture(const std::string& name) {
  const std::filesystem::path path = std::filesystem::path(QUILLOW_TEST_DATA) / "zip" / name;
  EXPECT_TRUE(std::filesystem::is_regular_file(path)) << path << " is missing";
  return ReadBytes(path);
}

// Every file below `root`, by its path relative to it with '/' separators.
inline std::map<std::string, std::string> FilesBelow(const std::filesystem::path& root) {
  std::map<std::string, std::string> files;
  for (const auto& e : std::filesystem::recursive_directory_iterator(root))
    if (e.is_regular_file())
      files[std::filesystem::relative(e.path(), root).generic_string()] = ReadBytes(e.path());
  return files;
}

// A scratch tree that is the current folder for the test's duration.
class ScratchFolder : public TempTree {
 public:
  ScratchFolder() {
    saved_ = std::filesystem::current_path();
    std::filesystem::current_path(Root());
  }
  ~ScratchFolder() { std::filesystem::current_path(saved_); }

 private:
  std::filesystem::path saved_;
};

// One member of a hand-built archive. `declared` overrides the size in the headers. A
// password encrypts it; flag 0x0008 puts its CRC and sizes in a descriptor after the data;
// `sharesAt` writes no local header or data of its own, only a central entry pointing there.
struct RawMember {
  std::string name;
  std::string data;
  uint16_t method = 0;  // 0 stored, 8 deflated; anything else is written as stored bytes
  int64_t declared = -1;
  uint16_t flags = 0;
  std::string password = "";
  int64_t sharesAt = -1;
};

inline void Le(std::string& s, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
}

inline std::string Deflate(const std::string& data) {
  z_stream zs{};
  deflateInit2(&zs, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&zs, data.size()), '\0');
  zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  zs.avail_in = static_cast<uInt>(data.size());
  zs.next_out = reinterpret_cast<Bytef*>(out.data());
  zs.avail_out = static_cast<uInt>(out.size());
  deflate(&zs, Z_FINISH);
  out.resize(zs.total_out);
  deflateEnd(&zs);
  return out;
}

inline std::string BuildZip(const std::vector<RawMember>& members) {
  std::string body, central;
  for (const RawMember& m : members) {
    std::string packed = m.method == 8 ? Deflate(m.data) : m.data;
    const uint32_t crc = static_cast<uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(m.data.data()), static_cast<uInt>(m.data.size())));
    const uint32_t size =
        m.declared >= 0 ? static_cast<uint32_t>(m.declared) : static_cast<uint32_t>(m.data.size());
    const uint16_t flags = m.flags | (m.password.empty() ? 0 : zip::kFlagEncrypted);
    const bool descriptor = (flags & zip::kFlagDescriptor) != 0;
    constexpr uint16_t kTime = 0x6000;  // 12:00:00
    if (!m.password.empty()) {
      zip::ZipCrypto crypt(m.password);
      uint8_t header[zip::kCryptHeader];
      crypt.MakeHeader(header, static_cast<uint8_t>(descriptor ? kTime >> 8 : crc >> 24));
      crypt.Encrypt(reinterpret_cast<uint8_t*>(packed.data()), packed.size());
      packed.insert(0, reinterpret_cast<const char*>(header), sizeof header);
    }
    auto fixed = [&](bool local) {  // version needed .. extra length, in both headers
      const bool blank = local && descriptor;
      std::string f;
      Le(f, 20, 2);
      Le(f, flags, 2);
      Le(f, m.method, 2);
      Le(f, kTime, 2);
      Le(f, (44 << 9) | (6 << 5) | 15, 2);  // 2024-06-15
      Le(f, blank ? 0 : crc, 4);
      Le(f, blank ? 0 : static_cast<uint32_t>(packed.size()), 4);
      Le(f, blank ? 0 : size, 4);
      Le(f, static_cast<uint32_t>(m.name.size()), 2);
      Le(f, 0, 2);
      return f;
    };
    Le(central, 0x02014B50, 4);
    Le(central, 20, 2);
    central += fixed(false);
    Le(central, 0, 4);  // comment length, disk
    Le(central, 0, 2);  // internal attributes
    Le(central, 0, 4);  // external attributes
    Le(central, static_cast<uint32_t>(m.sharesAt >= 0 ? m.sharesAt : body.size()), 4);
    central += m.name;
    if (m.sharesAt >= 0) continue;
    Le(body, 0x04034B50, 4);
    body += fixed(true) + m.name + packed;
    if (descriptor) {
      Le(body, 0x08074B50, 4);
      Le(body, crc, 4);
      Le(body, static_cast<uint32_t>(packed.size()), 4);
      Le(body, size, 4);
    }
  }
  std::string end;
  Le(end, 0x06054B50, 4);
  Le(end, 0, 4);
  Le(end, static_cast<uint32_t>(members.size()), 2);
  Le(end, static_cast<uint32_t>(members.size()), 2);
  Le(end, static_cast<uint32_t>(central.size()), 4);
  Le(end, static_cast<uint32_t>(body.size()), 4);
  Le(end, 0, 2);
  return body + central + end;
}

}  // namespace quillow::test
