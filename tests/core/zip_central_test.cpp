// ZIP from its central directory: fixtures made by Info-ZIP zip and Python's zipfile
// (tests/data/make-zip.sh, make-zip-central.sh); lies made by changing one field of a real
// archive, and said so.
#include <gtest/gtest.h>

#include <filesystem>

#include "listing_checks.h"
#include "search/formats/formats.h"
#include "search/zip_family.h"

namespace quillow::test {
namespace {

using search::formats::ReadZip;
using search::formats::ReadZipCentral;

const char kCorrupt[] = ": Corrupt ZIP file\n";
const char kRarity[] = ": This ZIP type not supported due to its rarity\n";

std::string Rows(const CollectingContext& ctx) {
  std::string out;
  for (const Member& m : ctx.members)
    out += Line(m) + " " + std::to_string(m.date) + " " + std::to_string(m.time) + "\n";
  return out;
}

TEST(ZipCentralReader, GivesTheLocalWalksRowsForEveryZipBothCanRead) {
  int compared = 0, centralOnly = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(QUILLOW_TEST_DATA)) {
    // Members quoting one another's bytes (the zip bomb): the walk sees each local header once,
    // the directory names every quote. Extraction refuses them; a listing shows what is there.
    if (entry.path().extension() != ".zip" || entry.path().filename() == "overlap.zip") continue;
    const std::string bytes = LoadFile(entry.path().string());
    const auto local = RunReader(ReadZip, bytes);
    const auto central = RunReader(ReadZipCentral, bytes);
    const std::string file = entry.path().filename().string();
    EXPECT_TRUE(central.warnings.empty()) << file;
    if (local.warnings.empty() && (!local.members.empty() || central.members.empty())) {
      EXPECT_EQ(Rows(central), Rows(local)) << file;
      ++compared;
    } else {
      // Data descriptors, a stub the offsets do not count, a name the walk refuses: the
      // directory lists what the walk lists and more.
      EXPECT_GT(central.members.size(), local.members.size()) << file;
      EXPECT_EQ(Rows(central).substr(0, Rows(local).size()), Rows(local)) << file;
      ++centralOnly;
    }
  }
  // basic, comment, empty, name257, stored100, zip64 at least.
  EXPECT_GE(compared, 6);
  // streamed, streamed-python, stub-first, sfx-adjusted, name258.
  EXPECT_GE(centralOnly, 5);
}

TEST(ZipCentralReader, ListsWhatTheLocalWalkCannot) {
  const std::pair<const char*, const char*> cases[] = {
      {"streamed.zip", "streamed.txt 9 11"},
      {"streamed-python.zip", "a.txt 13 15 | b.txt 6900 59 | folder/ 0 0"},
      // Offsets from the start of the ZIP data, which begins after the stub.
      {"stub-first.zip", "docs/ 0 0 | docs/readme.txt 8 8 | big.TXT 6200 61 | one.bin 1 1"},
      {"sfx-adjusted.zip", "a.txt 13 13 | b.txt 6900 59"},
      {"zip64.zip", "a.txt 13 13 | b.txt 6900 59"},
      {"comment.zip", "a.txt 13 13 | b.txt 6900 59"},
      {"empty.zip", ""},
  };
  for (const auto& [file, listing] : cases) {
    auto ctx = RunReader(ReadZipCentral, LoadFile(TestData(std::string("zip/") + file)));
    EXPECT_TRUE(ctx.warnings.empty()) << file;
    EXPECT_EQ(Summary(ctx.members), listing) << file;
  }
  // A name of 258 bytes fits the name buffer: only the local walk's own limit refuses it.
  auto long258 = RunReader(ReadZipCentral, LoadFile(TestData("zip/name258.zip"))).members;
  ASSERT_EQ(long258.size(), 1u);
  EXPECT_EQ(long258[0].name.size(), 258u);
}

// basic.zip with one field of its directory changed: the entries before the lie are listed.
std::string Patched(size_t entry, size_t field, uint32_t value, int width = 4) {
  std::string z = LoadFile(TestData("zip/basic.zip"));
  size_t at = z.find("PK\x01\x02");
  for (size_t i = 0; i < entry && at != std::string::npos; ++i) at = z.find("PK\x01\x02", at + 4);
  if (entry == 99) at = z.rfind("PK\x05\x06");  // the end record
  for (int i = 0; i < width; ++i) z[at + field + i] = static_cast<char>(value >> (8 * i));
  return z;
}

TEST(ZipCentralReader, ADirectoryThatLiesListsTheEntriesBeforeTheLie) {
  const struct {
    const char* what;
    std::string bytes;
    size_t listed;
  } cases[] = {
      {"entry count one too many", Patched(99, 10, 5, 2), 4},
      {"name running past the directory", Patched(3, 28, 200, 2), 3},
      {"local header offset beyond the file", Patched(1, 42, 0x7FFFFFFF), 1},
      {"compressed size beyond the file", Patched(2, 20, 0x00FFFFFF), 2},
      {"not a directory entry", Patched(0, 0, 0x12345678), 0},
      {"directory larger than the file", Patched(99, 12, 0x00FFFFFF), 0},
  };
  for (const auto& c : cases) {
    auto ctx = RunReader(ReadZipCentral, c.bytes);
    EXPECT_EQ(ctx.members.size(), c.listed) << c.what;
    ASSERT_EQ(ctx.warnings.size(), 1u) << c.what;
    EXPECT_EQ(ctx.warnings[0], kCorrupt) << c.what;
  }
}

TEST(ZipCentralReader, WithoutAnEndRecordTheLocalWalkAnswersWithItsMessages) {
  const std::string basic = LoadFile(TestData("zip/basic.zip"));
  const std::string streamed = LoadFile(TestData("zip/streamed.zip"));
  for (const std::string& cut :
       {basic.substr(0, basic.find("PK\x01\x02")), basic.substr(0, basic.size() - 5),
        streamed.substr(0, streamed.size() - 1), std::string("Rar!\x1a\x07\x00", 7)}) {
    const auto local = RunReader(ReadZip, cut);
    const auto central = RunReader(ReadZipCentral, cut);
    EXPECT_EQ(Rows(central), Rows(local)) << cut.size();
    EXPECT_EQ(central.warnings, local.warnings) << cut.size();
  }
  EXPECT_EQ(RunReader(ReadZipCentral, streamed.substr(0, 60)).warnings,
            std::vector<std::string>{kRarity});
}

TEST(ZipCentralReader, TheLastEndRecordWhoseCommentFitsIsTheOne) {
  const std::string basic = LoadFile(TestData("zip/basic.zip"));
  const size_t end = basic.rfind("PK\x05\x06");
  // Hand-built comments: one that holds a record whose own comment would run past the
  // file, and the longest a record can carry.
  std::string fake("PK\x05\x06", 4);
  fake += std::string(16, '\0') + "\xFF\xFF";
  for (const std::string& comment : {fake + "tail", std::string(0xFFFF, 'c')}) {
    std::string z = basic.substr(0, end + 20);
    Put16(z, static_cast<uint16_t>(comment.size()));
    z += comment;
    auto ctx = RunReader(ReadZipCentral, z);
    EXPECT_EQ(ctx.members.size(), 4u) << comment.size();
    EXPECT_TRUE(ctx.warnings.empty()) << comment.size();
  }
}

TEST(ZipFamily, ExtensionsCountOnlyWithTheOption) {
  const struct {
    const char* name;
    bool off, on;
  } cases[] = {
      {"a.zip", true, true},    {"A.ZIP", true, true},           {"lib.jar", false, true},
      {"x.Docx", false, true},  {"pkg.nupkg", false, true},      {"w.whl", false, true},
      {"app.ipa", false, true}, {"notes.jar.bak", false, false}, {"jar", false, false},
      {"x.zipx", false, false}, {"x.tar", false, false},         {"book.epub", false, true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(search::IsZipPassName(c.name, false), c.off) << c.name;
    EXPECT_EQ(search::IsZipPassName(c.name, true), c.on) << c.name;
  }
  // The manual lists every one of them.
  const std::string manual = LoadFile(TestData("../../docs/manual.src"));
  ASSERT_FALSE(manual.empty());
  for (std::string_view ext : search::kZipFamilyExtensions) {
    std::string lower(ext);
    for (char& ch : lower) ch = static_cast<char>(ch - 'A' + 'a');
    EXPECT_NE(manual.find("." + lower), std::string::npos) << ext;
  }
}

}  // namespace
}  // namespace quillow::test
