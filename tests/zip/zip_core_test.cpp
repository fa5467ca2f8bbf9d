// The zip and unzip core on real files: what it writes comes back byte for byte, and every
// option changes what it should and nothing else.
#include <random>
#include <set>

#include "zip/core/archive.h"
#include "zip/core/names.h"
#include "zip/core/unzip.h"
#include "zip/core/zip_fs.h"
#include "zip/core/zip_writer.h"
#include "zip_test_util.h"

namespace quillow::test {
namespace {

namespace fs = std::filesystem;
using zip::SystemFileSystem;

constexpr zip::DosDateTime kOld = (40u << 25 | 1u << 21 | 1u << 16);  // 2020-01-01 00:00
constexpr zip::DosDateTime kNew = (43u << 25 | 1u << 21 | 1u << 16);  // 2023-01-01 00:00

std::string Noise(size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::string s(n, '\0');
  for (char& c : s) c = static_cast<char>(rng());
  return s;
}

class ZipCore : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string text;
    for (int i = 0; i < 4000; ++i) text += "line " + std::to_string(i) + " of some text\n";
    tree_.Write("src/a.txt", text);
    tree_.Write("src/noise.bin", Noise(100000, 1));
    tree_.Write("src/empty.dat", "");
    tree_.Write("src/sub/deeper/b.txt", "bee\n");
    // Through a UTF-8 path: a narrow one means the ANSI code page on Windows.
    std::ofstream(fs::path(u8"src/sub/\u00e9t\u00e9.txt"), std::ios::binary) << "summer\n";
  }
  int Add(std::vector<std::string> names, zip::ZipOptions o = {}) {
    o.zipName = "out.zip";
    o.names = std::move(names);
    return zip::Zip(o, SystemFileSystem(), report_);
  }
  int Extract(const std::string& into, zip::UnzipOptions o = {}) {
    fs::create_directories(into);
    fs::current_path(into);
    o.zipName = tree_.Path("out.zip");
    const int n = zip::Unzip(o, SystemFileSystem(), report_);
    fs::current_path(tree_.Root());
    return n;
  }
  std::vector<zip::Member> Members() {
    auto in = SystemFileSystem().OpenRead("out.zip");
    std::string error;
    auto dir = in ? zip::ReadDirectory(*in, error) : std::nullopt;
    return dir ? dir->members : std::vector<zip::Member>{};
  }
  ScratchFolder tree_;
  RecordingReporter report_;
};

std::vector<std::string> Names(const std::vector<zip::Member>& members) {
  std::vector<std::string> names;
  for (const zip::Member& m : members) names.push_back(m.name);
  return names;
}

bool NoTempFiles(const fs::path& folder) {
  for (const auto& e : fs::recursive_directory_iterator(folder))
    if (e.path().filename().string().find(".~qz") != std::string::npos) return false;
  return true;
}

TEST_F(ZipCore, RoundTripsStoredDeflatedAndEncrypted) {
  struct Case {
    int level;
    std::string password;
  };
  for (const Case& c : {Case{9, ""}, Case{0, ""}, Case{6, "s3cret"}}) {
    SCOPED_TRACE(c.level);
    fs::remove("out.zip");
    zip::ZipOptions o;
    o.level = c.level;
    o.recurse = true;
    o.encrypt = !c.password.empty();
    o.password = c.password;
    ASSERT_EQ(Add({"src"}, o), 5) << report_.All();
    for (const zip::Member& m : Members()) {
      EXPECT_EQ((m.flags & zip::kFlagEncrypted) != 0, o.encrypt && !m.IsFolder()) << m.name;
      // Incompressible data and level 0 are stored; text is deflated.
      if (m.name == "src/noise.bin" || c.level == 0) {
        EXPECT_EQ(m.method, zip::kMethodStored) << m.name;
      } else if (m.name == "src/a.txt") {
        EXPECT_EQ(m.method, zip::kMethodDeflated);
      }
    }
    zip::UnzipOptions u;
    u.dirNames = true;
    u.password = c.password;
    const std::string into = "x" + std::to_string(c.level);
    ASSERT_EQ(Extract(into, u), 5) << report_.All();
    EXPECT_EQ(FilesBelow(fs::path(into) / "src"), FilesBelow("src"));
    EXPECT_TRUE(fs::is_directory(fs::path(into) / "src/sub/deeper"));
    EXPECT_EQ(SystemFileSystem().Stat(into + "/src/a.txt")->modified,
              SystemFileSystem().Stat("src/a.txt")->modified);
    EXPECT_TRUE(NoTempFiles("."));
  }
}

// Deflating 3 MB of noise writes past what the stored copy needs, beyond the writer's buffer:
// the archive must end right after its directory, and the member must come back whole.
TEST_F(ZipCore, AStoredRetryOfALargeFileLeavesNoBytesBehindTheArchive) {
  const std::string big = Noise(3 << 20, 7);
  tree_.Write("big/z.bin", big);
  ASSERT_EQ(Add({"big/z.bin"}), 1) << report_.All();
  const auto members = Members();
  ASSERT_EQ(members.size(), 1u);
  EXPECT_EQ(members[0].method, zip::kMethodStored);
  const uint64_t name = std::string("big/z.bin").size();
  EXPECT_EQ(fs::file_size("out.zip"), 30 + name + big.size() + 46 + name + 22);
  zip::UnzipOptions u;
  u.dirNames = true;
  ASSERT_EQ(Extract("x", u), 1) << report_.All();
  EXPECT_EQ(FilesBelow("x/big"), FilesBelow("big"));
}

TEST_F(ZipCore, TheArchiveIsNeverAddedToItself) {
  ASSERT_EQ(Add({"src/a.txt"}), 1) << report_.All();
  ASSERT_EQ(Add({"*.zip", "src/a.txt"}), 1) << report_.All();
  EXPECT_TRUE(report_.Said("out.zip: the archive itself, not added")) << report_.All();
  EXPECT_EQ(Names(Members()), std::vector<std::string>{"src/a.txt"});
}

TEST_F(ZipCore, FreshenAndUpdateReplaceOnlyNewerFiles) {
  struct Case {
    bool freshen, update;
    int added;
    std::vector<std::string> members;
  };
  const std::vector<Case> cases = {
      {true, false, 1, {"src/a.txt", "src/empty.dat"}},
      {false, true, 2, {"src/a.txt", "src/empty.dat", "src/noise.bin"}},
      {true, true, 2, {"src/a.txt", "src/empty.dat", "src/noise.bin"}},  // update wins
      {false, false, 3, {"src/a.txt", "src/empty.dat", "src/noise.bin"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.freshen) + std::to_string(c.update));
    fs::remove("out.zip");
    tree_.Write("src/a.txt", "old");
    SystemFileSystem().SetModified("src/a.txt", kOld);
    SystemFileSystem().SetModified("src/empty.dat", kOld);
    ASSERT_EQ(Add({"src/a.txt", "src/empty.dat"}), 2);
    tree_.Write("src/a.txt", "new");
    SystemFileSystem().SetModified("src/a.txt", kNew);
    zip::ZipOptions o;
    o.freshen = c.freshen && !c.update;
    o.update = c.update;
    EXPECT_EQ(Add({"src/*"}, o), c.added) << report_.All();
    EXPECT_EQ(Names(Members()), c.members);
    ASSERT_EQ(Extract("x", zip::UnzipOptions{"", "", {"src/a.txt"}, false, false, true}), 1);
    EXPECT_EQ(ReadBytes("x/a.txt"), "new");
    EXPECT_EQ(Members()[0].modified, kNew);
  }
  EXPECT_TRUE(report_.Said("src/empty.dat: not newer"));
}

TEST_F(ZipCore, DeletesWildcardMatchesAndLeavesTheArchiveWhenNothingMatches) {
  zip::ZipOptions o;
  o.recurse = true;
  ASSERT_EQ(Add({"src"}, o), 5);
  zip::ZipOptions d;
  d.deleteMode = true;
  EXPECT_EQ(Add({"*.TXT"}, d), 3);
  EXPECT_EQ(Names(Members()), (std::vector<std::string>{"src/empty.dat", "src/noise.bin",
                                                        "src/sub/", "src/sub/deeper/"}));
  const std::string before = ReadBytes("out.zip");
  EXPECT_EQ(Add({"nothing*"}, d), 0);
  EXPECT_EQ(ReadBytes("out.zip"), before);
  ASSERT_EQ(Extract("x", zip::UnzipOptions{"", "", {}, true}), 2) << report_.All();
}

TEST_F(ZipCore, AStopLeavesTheOldArchiveAndNoTemporaryFiles) {
  ASSERT_EQ(Add({"src/a.txt"}), 1);
  const std::string before = ReadBytes("out.zip");
  report_.stopAtStep = report_.steps + 1;
  zip::ZipOptions o;
  o.recurse = true;
  o.move = true;
  EXPECT_EQ(Add({"src"}, o), 0);
  EXPECT_EQ(ReadBytes("out.zip"), before);
  EXPECT_TRUE(fs::exists("src/noise.bin"));  // nothing moved

  report_.stopAtStep = report_.steps + 1;
  EXPECT_EQ(Extract("x"), 0);
  EXPECT_FALSE(fs::exists("x/a.txt"));
  EXPECT_TRUE(NoTempFiles("."));
}

TEST_F(ZipCore, MoveDeletesSourcesOnlyOnceTheArchiveIsWritten) {
  zip::ZipOptions o;
  o.move = true;
  o.zipName = "missing-folder/out.zip";
  o.names = {"src/a.txt"};
  EXPECT_EQ(zip::Zip(o, SystemFileSystem(), report_), 0);
  EXPECT_TRUE(fs::exists("src/a.txt"));
  EXPECT_EQ(Add({"src/a.txt", "src/empty.dat"}, o), 2);
  EXPECT_FALSE(fs::exists("src/a.txt"));
  EXPECT_FALSE(fs::exists("src/empty.dat"));
  EXPECT_EQ(Names(Members()), (std::vector<std::string>{"src/a.txt", "src/empty.dat"}));
}

TEST_F(ZipCore, StoredNamesFollowTheNameOptions) {
  tree_.Write("src/LongFileName.text", "x");
  zip::ZipOptions plain, dos, flat;
  dos.forceDos = true;
  flat.noDirNames = true;
  ASSERT_EQ(Add({"src/sub/deeper/b.txt", "src/LongFileName.text"}, plain), 2);
  EXPECT_EQ(Names(Members()),
            (std::vector<std::string>{"src/sub/deeper/b.txt", "src/LongFileName.text"}));
  fs::remove("out.zip");
  ASSERT_EQ(Add({"src/sub/deeper/b.txt", "src/LongFileName.text"}, dos), 2);
  EXPECT_EQ(Names(Members()),
            (std::vector<std::string>{"SRC/SUB/DEEPER/B.TXT", "SRC/LONGFILE.TEX"}));
  fs::remove("out.zip");
  ASSERT_EQ(Add({tree_.Path("src/sub/deeper/b.txt")}, flat), 1);
  EXPECT_EQ(Names(Members()), std::vector<std::string>{"b.txt"});
}

TEST_F(ZipCore, HiddenFilesNeedTheirOptionAndTheArchiveTakesItsNewestMembersTime) {
  tree_.Write("src/.secret", "hush");
#ifdef _WIN32
  SetFileAttributesW(L"src\\.secret", FILE_ATTRIBUTE_HIDDEN);
#endif
  SystemFileSystem().SetModified("src/a.txt", kNew);
  SystemFileSystem().SetModified("src/empty.dat", kOld);
  SystemFileSystem().SetModified("src/noise.bin", kOld);
  zip::ZipOptions o;
  o.zipTime = true;
  ASSERT_EQ(Add({"src/*.*"}, o), 3);
  EXPECT_TRUE(report_.Said("hidden or system file, not added"));
  EXPECT_EQ(SystemFileSystem().Stat("out.zip")->modified, kNew);
  o.hidden = true;
  EXPECT_EQ(Add({"src/.secret"}, o), 1);
}

TEST_F(ZipCore, ExtractionRespectsExistingFilesAndTheirTimes) {
  SystemFileSystem().SetModified("src/a.txt", (41u << 25 | 1u << 21 | 1u << 16));  // 2021
  ASSERT_EQ(Add({"src/a.txt"}), 1);
  const std::string good = ReadBytes("src/a.txt");
  tree_.Write("x/a.txt", "mine");
  SystemFileSystem().SetModified("x/a.txt", kNew);  // newer than the member
  zip::UnzipOptions keep, over, update;
  over.overwrite = true;
  update.update = true;
  EXPECT_EQ(Extract("x", keep), 0);
  EXPECT_TRUE(report_.Said("file exists, not overwritten"));
  EXPECT_EQ(Extract("x", update), 0);
  EXPECT_EQ(ReadBytes("x/a.txt"), "mine");
  SystemFileSystem().SetModified("x/a.txt", kOld);
  EXPECT_EQ(Extract("x", update), 1);
  EXPECT_TRUE(ReadBytes("x/a.txt") == good);
  tree_.Write("x/a.txt", "mine");
  EXPECT_EQ(Extract("x", over), 1);
  EXPECT_TRUE(ReadBytes("x/a.txt") == good);
}

TEST_F(ZipCore, BadPasswordOrDamagedDataNeverReplacesAGoodFile) {
  zip::ZipOptions o;
  o.encrypt = true;
  o.password = "right";
  ASSERT_EQ(Add({"src/a.txt"}, o), 1);
  tree_.Write("x/a.txt", "precious");
  zip::UnzipOptions wrong;
  wrong.overwrite = true;
  wrong.password = "wrong";
  EXPECT_EQ(Extract("x", wrong), 0);
  EXPECT_TRUE(report_.Said("src/a.txt: wrong password"));

  std::string bytes = BuildZip({{"a.txt", std::string(5000, 'z'), 8}});
  bytes[40] ^= 0x55;  // inside the deflated data
  std::ofstream("out.zip", std::ios::binary | std::ios::trunc) << bytes;
  EXPECT_EQ(Extract("x", wrong), 0);
  EXPECT_EQ(ReadBytes("x/a.txt"), "precious");
  EXPECT_TRUE(report_.Said("a.txt: "));
  EXPECT_TRUE(NoTempFiles("."));
}

TEST_F(ZipCore, SpecificationsMatchEitherSlashAnyCaseAndTestingWritesNothing) {
  zip::ZipOptions o;
  o.recurse = true;
  ASSERT_EQ(Add({"src"}, o), 5);
  zip::UnzipOptions u;
  u.names = {"SRC\\SUB\\*.TXT"};
  EXPECT_EQ(Extract("x", u), 2);  // '*' reaches into deeper/ too
  EXPECT_EQ(FilesBelow("x").size(), 2u);
  u.names = {};
  u.testOnly = true;
  EXPECT_EQ(Extract("y", u), 5);
  EXPECT_TRUE(fs::is_empty("y"));
}

TEST(ZipNames, SpecificationsFollowTheWindowsRules) {
  struct Case {
    const char* spec;
    const char* name;
    bool match;
  };
  const Case cases[] = {
      {"*.*", "Makefile", true},
      {"*.*", "src/sub/LICENSE", true},
      {"*.*", "a.b.c", true},
      {"readme.*", "readme", true},
      {"readme.*", "README.md", true},
      {"readme.*", "readmes", false},
      {"*.txt", "Makefile", false},
      {"*.txt", "a.txt.bak", false},
      {"src\\*.h", "src/sub/x.h", true},
      {"src.*", "src/x", false},
      {"a?c",
       "a\xc3\xa9"
       "c",
       true},  // '?' is one character, not one byte
      {"a.", "a", false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(zip::MatchSpec(c.spec, c.name), c.match) << c.spec << " against " << c.name;
}

// A caller's text in UTF-8 stays; bytes that are not UTF-8 are its ANSI code page (the
// tests run under the Western-European one on Windows, and natively that one stands in).
TEST(ZipNames, CallerTextBecomesUtf8) {
  const std::pair<std::string, std::string> cases[] = {
      {"plain.txt", "plain.txt"},
      {"\xc3\xa9t\xc3\xa9.txt", "\xc3\xa9t\xc3\xa9.txt"},
      {"caf\xe9.txt", "caf\xc3\xa9.txt"},
      {"\x80 \x9f\xff", "\xe2\x82\xac \xc5\xb8\xc3\xbf"},
      {"\xc3", "\xc3\x83"},  // a cut UTF-8 sequence is not UTF-8
  };
  for (const auto& [in, want] : cases) EXPECT_EQ(zip::CallerTextToUtf8(in), want) << in;
}

// What Info-ZIP unzip, Python and 7-Zip need to read a name as written: UTF-8 names flagged
// and made by the host they came from; names that differ in case only kept apart; a
// foreign caller's ANSI name stored in UTF-8.
TEST_F(ZipCore, NamesAreStoredAsOtherToolsReadThem) {
  // The ANSI bytes of "caf\u00e9.txt": the file itself has that name on Windows, and those
  // very bytes as its name elsewhere.
  const std::string ansi = "names/caf\xe9.txt";
  tree_.Write("names/plain.txt", "p");
#ifdef _WIN32
  std::ofstream(fs::path(u8"names/caf\u00e9.txt"), std::ios::binary) << "c";
  const uint16_t host = 10;
#else
  std::ofstream(ansi, std::ios::binary) << "c";
  fs::permissions(ansi, fs::perms(0640));
  tree_.Write("names/Makefile", "upper");
  tree_.Write("names/makefile", "lower");
  const uint16_t host = 3;
#endif
  struct Case {
    std::string spec;
    std::vector<std::string> stored;
  };
  const std::vector<Case> cases = {
      {ansi, {"names/caf\xc3\xa9.txt"}},
#ifndef _WIN32
      {"names", {"names/Makefile", "names/caf\xc3\xa9.txt", "names/makefile", "names/plain.txt"}},
#endif
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.spec);
    fs::remove("out.zip");
    ASSERT_EQ(Add({c.spec}), static_cast<int>(c.stored.size())) << report_.All();
    EXPECT_FALSE(report_.Said("twice")) << report_.All();
    const auto members = Members();
    EXPECT_EQ(Names(members), c.stored);
    for (const zip::Member& m : members) {
      const bool ascii = std::all_of(m.name.begin(), m.name.end(),
                                     [](char ch) { return static_cast<unsigned char>(ch) < 0x80; });
      EXPECT_EQ((m.flags & zip::kFlagUtf8) != 0, !ascii) << m.name;
      // Made-by host in the upper byte of the central header's first field.
      const auto madeBy = static_cast<uint8_t>(m.central[5]);
      EXPECT_EQ(madeBy, ascii ? 0 : host) << m.name;
#ifndef _WIN32
      // The Unix host carries the file's type and permission bits in the upper half.
      const auto* attributes = reinterpret_cast<const uint8_t*>(m.central.data() + 38);
      if (!ascii) {
        EXPECT_EQ(base::Le32(attributes) >> 16, 0100640u) << m.name;
      }
#endif
    }
  }
}

// An update compares names as the file system does: byte for byte where case makes two
// files, folded where it makes one.
TEST_F(ZipCore, AnUpdateFindsItsMemberByTheFileSystemsRules) {
  SystemFileSystem().SetModified("src/a.txt", kOld);
  ASSERT_EQ(Add({"src/a.txt"}), 1);
  SystemFileSystem().SetModified("src/a.txt", kNew);
  zip::ZipOptions o;
  o.update = true;
#ifdef _WIN32
  const std::vector<std::string> want = {"SRC/a.txt"};  // one file, one member
#else
  fs::rename("src", "SRC");
  const std::vector<std::string> want = {"src/a.txt", "SRC/a.txt"};
#endif
  ASSERT_EQ(Add({"SRC/a.txt"}, o), 1) << report_.All();
  EXPECT_EQ(Names(Members()), want);
  EXPECT_EQ(Members().back().modified, kNew);
  EXPECT_EQ(Add({"src/a.txt", "SRC/a.txt"}, o), 0) << report_.All();  // nothing newer
  EXPECT_EQ(Names(Members()), want);
}

// A killed run leaves its temporary file; the next run on that archive removes it, and
// leaves alone what belongs to another archive. The rewritten archive keeps its permissions.
TEST_F(ZipCore, LeftoversOfAKilledRunGoAndTheArchiveKeepsItsPermissions) {
  ASSERT_EQ(Add({"src/a.txt"}), 1);
  const char* left[] = {"out.zip.~qz0000.tmp", "out.zip.~qz0417.tmp"};
  const char* kept[] = {"other.zip.~qz0000.tmp", "out.zip.~qz12.tmp", "out.zip.tmp"};
  for (const char* f : left) tree_.Write(f, "partial");
  for (const char* f : kept) tree_.Write(f, "not ours");
#ifndef _WIN32
  fs::permissions("out.zip", fs::perms(0640));
#endif
  ASSERT_EQ(Add({"src/empty.dat"}), 1) << report_.All();
  for (const char* f : left) EXPECT_FALSE(fs::exists(f)) << f;
  for (const char* f : kept) EXPECT_TRUE(fs::exists(f)) << f;
#ifndef _WIN32
  EXPECT_EQ(fs::status("out.zip").permissions() & fs::perms::all, fs::perms(0640));
#endif
  EXPECT_EQ(Names(Members()), (std::vector<std::string>{"src/a.txt", "src/empty.dat"}));
}

// Members whose data ends just short of, on and past the decoder's 256 KiB buffers (and
// twice them), in every form data comes in. Zeros deflate to almost nothing, so the input is
// spent long before the output is out. Then Info-ZIP's own archives of such members.
TEST_F(ZipCore, MembersEndingAroundTheBufferBoundariesComeBackWhole) {
  constexpr size_t k = 256 * 1024;
  const size_t sizes[] = {0, 1, k - 1, k, k + 1, k + 100, k + 400, 2 * k, 2 * k + 1, 2 * k + 100};
  struct Kind {
    const char* name;
    uint16_t method, flags;
    const char* password;
  };
  const Kind kinds[] = {{"stored", 0, 0, ""},        {"deflated", 8, 0, ""},
                        {"encrypted", 8, 0, "pw"},   {"encrypted-stored", 0, 0, "pw"},
                        {"descriptor", 8, 0x08, ""}, {"descriptor-encrypted", 8, 0x08, "pw"}};
  std::vector<RawMember> members;
  std::map<std::string, size_t> want;
  for (const Kind& kind : kinds)
    for (size_t n : sizes) {
      const std::string name = std::string(kind.name) + "/" + std::to_string(n) + ".bin";
      members.push_back({name, std::string(n, '\0'), kind.method, -1, kind.flags, kind.password});
      want[name] = n;
    }
  struct Case {
    std::string archive;
    std::map<std::string, size_t> files;
  };
  std::map<std::string, size_t> infoZip;  // what tests/data/make-zip.sh put in
  for (size_t n : {k - 1, k, k + 1, k + 100, 2 * k + 100})
    infoZip["z" + std::to_string(n) + ".bin"] = n;
  const Case cases[] = {{BuildZip(members), want},
                        {ZipFixture("boundary.zip"), infoZip},
                        {ZipFixture("boundary-encrypted.zip"), infoZip},
                        {ZipFixture("boundary-streamed.zip"), {{"-", k + 100}}}};
  int run = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(run);
    std::ofstream("out.zip", std::ios::binary | std::ios::trunc) << c.archive;
    zip::UnzipOptions u;
    u.dirNames = true;
    u.password = "pw";
    const std::string into = "x" + std::to_string(run++);
    EXPECT_EQ(Extract(into, u), static_cast<int>(c.files.size())) << report_.All();
    std::map<std::string, size_t> got;
    for (const auto& [name, bytes] : FilesBelow(into)) {
      got[name] = bytes.size();
      EXPECT_EQ(bytes.find_first_not_of('\0'), std::string::npos) << name;
    }
    EXPECT_EQ(got, c.files);
  }
}

// Specifications as a caller gives them: an exact stored name is that member alone, even
// when it holds '*' or '?'; anything else is a pattern. A delete takes the same members an
// extraction selects (those with '*' or '?' cannot be written as files, only refused), and a
// specification that matches nothing is named.
TEST_F(ZipCore, SpecificationsSelectTheSameMembersForExtractionAndDelete) {
  const std::string archive = BuildZip({{"a*.txt", "1"},
                                        {"abc.txt", "2"},
                                        {"axe.txt", "3"},
                                        {"b?.txt", "4"},
                                        {"bz.txt", "5"},
                                        {"\x82t\x82.txt", "6"},  // code page 437, unflagged
                                        {"\xC3\xA9l\xC3\xA8ve.txt", "7", 0, -1, 0x0800}});
  const std::string ete = "\xC3\xA9t\xC3\xA9.txt", eleve = "\xC3\xA9l\xC3\xA8ve.txt";
  struct Case {
    std::vector<std::string> specs;
    std::set<std::string> selected;
    const char* said;
  };
  const Case cases[] = {
      {{"a*.txt"}, {"a*.txt"}, "a*.txt: refused, character not allowed"},
      {{"b?.txt", "bz.txt"}, {"b?.txt", "bz.txt"}, nullptr},
      {{"A*.TXT"}, {"a*.txt", "abc.txt", "axe.txt"}, nullptr},  // not the bytes: a pattern
      {{"\x82t\x82.txt"}, {ete}, nullptr},                      // the stored bytes
      {{ete}, {ete}, nullptr},                                  // the name as listed
      {{"?.txt", "zz*"}, {}, "zz*: no member of that name"},
      // A program of the classic API passes its ANSI code page (natively Windows-1252).
      {{"\xE9l\xE8ve.txt"}, {eleve}, nullptr},
  };
  int run = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.specs[0]);
    report_.messages.clear();
    std::ofstream("out.zip", std::ios::binary | std::ios::trunc) << archive;
    std::set<std::string> written, want;
    for (const std::string& name : c.selected)
      if (name.find_first_of("*?") == std::string::npos) want.insert(name);
    zip::UnzipOptions u;
    u.names = c.specs;
    const std::string into = "x" + std::to_string(run++);
    EXPECT_EQ(Extract(into, u), static_cast<int>(want.size())) << report_.All();
    for (const auto& e : fs::directory_iterator(into))
      written.insert(reinterpret_cast<const char*>(e.path().filename().u8string().c_str()));
    EXPECT_EQ(written, want);
    if (c.said) {
      EXPECT_TRUE(report_.Said(c.said)) << report_.All();
    }
    zip::ZipOptions d;
    d.deleteMode = true;
    EXPECT_EQ(Add(c.specs, d), static_cast<int>(c.selected.size())) << report_.All();
    for (const std::string& name : Names(Members())) EXPECT_EQ(c.selected.count(name), 0u) << name;
    EXPECT_EQ(Members().size(), 7 - c.selected.size());
  }
}

}  // namespace
}  // namespace quillow::test
