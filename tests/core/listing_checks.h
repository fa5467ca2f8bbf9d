// Checks shared by the tests of the header-chain readers (ARJ, LZH, ARC/PAK, ZOO, HYP).
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/fs.h"
#include "reader_test_util.h"

namespace quillow::test {

constexpr uint16_t DosDate(int year, int month, int day) {
  return static_cast<uint16_t>(((year - 1980) << 9) | (month << 5) | day);
}
constexpr uint16_t DosTime(int hour, int minute, int second) {
  return static_cast<uint16_t>((hour << 11) | (minute << 5) | (second / 2));
}

inline std::string Line(const Member& m) {
  return m.name + " " + std::to_string(m.size) + " " + std::to_string(m.packed);
}

// "name size packed" of every member, joined by " | ": a whole listing as one comparable text.
inline std::string Summary(const std::vector<Member>& members) {
  std::string out;
  for (const Member& m : members) out += (out.empty() ? "" : " | ") + Line(m);
  return out;
}

// One line of a .peer listing that tests/data/make-arj-lzh-arc.sh wrote from lsar (or 7zz):
// the member as a tool that shares none of our code lists it.
struct PeerMember {
  std::string name;
  uint32_t size = 0, packed = 0;
  uint16_t date = 0, time = 0;
  int64_t unixTime = 0;
};

inline std::vector<PeerMember> LoadPeer(const std::string& archive) {
  std::vector<PeerMember> out;
  std::istringstream in(LoadFile(archive + ".peer"));
  std::string line;
  while (std::getline(in, line)) {
    PeerMember p;
    std::istringstream fields(line);
    std::getline(fields, p.name, '\t');
    fields >> p.size >> p.packed >> p.date >> p.time >> p.unixTime;
    out.push_back(p);
  }
  return out;
}

// Peers print folders with slashes and without a trailing one.
inline std::string PeerStyle(std::string name) {
  for (char& c : name)
    if (c == '\\') c = '/';
  if (!name.empty() && name.back() == '/') name.pop_back();
  return name;
}

// A fixture lists as its .peer file says: names (as stored, or as the peer prints them),
// sizes, packed sizes, and dates (a Unix time made local through UnixTimeToDos, as the
// readers do, when the format stores one; so the check holds in any time zone).
template <typename Reader>
void ExpectListsAsPeer(Reader reader, const std::string& file, bool peerStyleNames,
                       bool unixTimes) {
  const auto peer = LoadPeer(TestData(file));
  const auto members = RunReader(reader, LoadFile(TestData(file))).members;
  ASSERT_EQ(members.size(), peer.size()) << file;
  for (size_t i = 0; i < peer.size(); ++i) {
    const Member& m = members[i];
    uint16_t date = peer[i].date, time = peer[i].time;
    if (unixTimes) platform::UnixTimeToDos(peer[i].unixTime, date, time);
    EXPECT_EQ(peerStyleNames ? PeerStyle(m.name) : m.name, peer[i].name) << file;
    EXPECT_EQ(m.size, peer[i].size) << file << ": " << m.name;
    EXPECT_EQ(m.packed, peer[i].packed) << file << ": " << m.name;
    EXPECT_EQ(m.date, date) << file << ": " << m.name;
    EXPECT_EQ(m.time, time) << file << ": " << m.name;
  }
}

// Every cut of a real archive lists, without fault, a prefix of what the whole file lists.
template <typename Reader>
void ExpectEveryCutListsAPrefix(Reader reader, const std::string& bytes) {
  const auto whole = RunReader(reader, bytes).members;
  ASSERT_FALSE(whole.empty());
  for (size_t cut = 0; cut < bytes.size(); ++cut) {
    CollectingContext ctx;
    search::ByteSource src(std::string_view(bytes).substr(0, cut));
    reader(src, ctx);
    ASSERT_LE(ctx.members.size(), whole.size()) << "cut at " << cut;
    for (size_t i = 0; i < ctx.members.size(); ++i) {
      ASSERT_EQ(Line(ctx.members[i]), Line(whole[i])) << "cut at " << cut;
      ASSERT_EQ(ctx.members[i].date, whole[i].date) << "cut at " << cut;
      ASSERT_EQ(ctx.members[i].time, whole[i].time) << "cut at " << cut;
    }
  }
}

}  // namespace quillow::test
