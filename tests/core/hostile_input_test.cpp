// Hostile input end to end inside the engine: names that hold zeros or control characters,
// damaged chains and headers, and folder trees that are deep, odd or not made of files.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "listing_checks.h"
#include "output/display_text.h"
#include "output/writers.h"
#include "recording_host.h"
#include "search/formats/formats.h"
#include "search/search_thread.h"
#include "temp_tree.h"

#ifdef _WIN32
#include "platform/win32/text.h"
#else
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#endif

namespace quillow::test {
namespace {

using platform::kSep;

// Hand-built one-member archives whose stored name is `name`, one per reader that takes a
// name length from the file (the fixed-field readers cut at the zero by their layout).
std::string ZipWith(const std::string& name) {
  std::string s;
  Put32(s, 0x04034B50);
  s.append(14, '\0');
  Put32(s, 0);
  Put32(s, 0);
  Put16(s, static_cast<uint16_t>(name.size()));
  Put16(s, 0);
  return s + name;
}
std::string LzhWith(const std::string& name) {
  std::string s(1, static_cast<char>(22 + name.size()));
  s += '\0';
  s += "-lh0-";
  Put32(s, 0);
  Put32(s, 0);
  Put32(s, 0);
  s += '\x20';
  s += '\x01';  // level 1
  s += static_cast<char>(name.size());
  s += name;
  s.append(5, '\0');
  return s + '\0';
}
std::string HypWith(const std::string& name) {
  std::string s = "\x1a" + std::string(20, '\0');
  s += static_cast<char>(name.size());
  return s + name;
}
std::string SqzWith(const std::string& name) {
  std::string s("HLSQZ\x01\x00\x00", 8);
  s += static_cast<char>(18 + name.size());
  s.append(19, '\0');
  return s + name + '\0';
}
TEST(HostileNames, EveryReaderCutsAStoredNameAtItsFirstZeroByte) {
  const std::string evil("evil.txt\0.exe", 13);
  const std::pair<const char*, std::string> cases[] = {
      {"ZIP", ZipWith(evil)},
      {"LZH", LzhWith(evil)},
      {"HYP", HypWith(evil)},
      {"SQZ", SqzWith(evil)},
  };
  const search::ReaderFn readers[] = {search::formats::ReadZip, search::formats::ReadLzh,
                                      search::formats::ReadHyp, search::formats::ReadSqz};
  for (size_t i = 0; i < std::size(cases); ++i) {
    const auto members = RunReader(readers[i], cases[i].second).members;
    ASSERT_EQ(members.size(), 1u) << cases[i].first;
    EXPECT_EQ(members[0].name, "evil.txt") << cases[i].first;
  }
}

TEST(HostileNames, ControlCharactersAreEscapedForTerminalsAndKeptInSavedFiles) {
  const std::pair<std::string, std::string> cases[] = {
      {"\x1b]0;pwned\x07.txt", "\\x1B]0;pwned\\x07.txt"},
      {"a\r\nforged\tb", "a\\r\\nforged\\tb"},
      {"del\x7f", "del\\x7F"},
      {"c1\xc2\x9b"
       "x",
       "c1\\u009Bx"},                   // a C1 control written as UTF-8
      {"caf\xe9\x9b", "caf\xe9\\x9B"},  // Latin-1: the byte itself is the control
      {"plain \xc3\xa9 \\ name", "plain \xc3\xa9 \\ name"},
  };
  for (const auto& [raw, shown] : cases) EXPECT_EQ(output::EscapeControls(raw), shown);

  search::ResultRow row{"a\tb\nc", "/x\x1b/", "?", "1", "?", "?"};
  std::string escaped, saved;
  output::WriteTextWithTabs({row}, output::SaveColumns{}, false, escaped,
                            output::Controls::kEscape);
  output::WriteTextWithTabs({row}, output::SaveColumns{}, false, saved);
  EXPECT_EQ(escaped, "a\\tb\\nc\t/x\\x1B/\t?\t1\t?\t?\r\n");
  EXPECT_EQ(saved, "a\tb\nc\t/x\x1b/\t?\t1\t?\t?\r\n");
}

TEST(HostileNames, FileSystemNamesAreWrittenAsTheirBytesAndLinkedByThem) {
  // A Latin-1 folder and file: not UTF-8, and no DOS code page either.
  const search::ResultRow folderRow{
      "\xc4"
      "bc.txt",
      "/srv/caf\xe9/",
      "1/1/1980 12:00 AM",
      "1",
      "0%",
      "1",
      search::RowKeys{.folderEntry = true}};
  const search::ResultRow memberRow{
      "\x8e"
      "bc.txt",
      "/srv/caf\xe9/a.zip",
      "?",
      "1",
      "0%",
      "1"};
  std::string tabs, html;
  output::WriteTextWithTabs({folderRow, memberRow}, output::SaveColumns{false, false, false, false},
                            false, tabs);
  // The member's stored name is from an archive, so CP437 (0x8E is "Ä"); the rest as is.
  EXPECT_EQ(tabs,
            "\xc4"
            "bc.txt\t/srv/caf\xe9/\r\n\xc3\x84"
            "bc.txt\t/srv/caf\xe9/a.zip\r\n");
  output::WriteHtml({folderRow}, output::SaveColumns{}, output::HtmlStyle{}, html);
  EXPECT_NE(html.find("href=\"file:///srv/caf%E9/%C4bc.txt\""), std::string::npos) << html;
  // A quote in a cell cannot end an attribute or open markup.
  std::string quoted;
  output::WriteHtml({search::ResultRow{"say \"hi\".txt", "/q/", "?", "0", "?", "?"}},
                    output::SaveColumns{}, output::HtmlStyle{}, quoted);
  EXPECT_NE(quoted.find(">say &quot;hi&quot;.txt<"), std::string::npos);
}

TEST(HostileHeaders, AceGuardsStopWalksThatWouldGoBack) {
  // Main header of size 0: the first block would start inside it. Hand-built so that a walk
  // from there would reach a real file block; it must not.
  auto fileBlock = [](const std::string& name, uint16_t headerSize) {
    std::string b;
    Put16(b, 0);
    Put16(b, headerSize);
    b += '\x01';
    b.append(2, '\0');
    Put32(b, 0);
    Put32(b, 7);
    b.append(18, '\0');
    Put16(b, static_cast<uint16_t>(name.size()));
    return b + name;
  };
  std::string tiny;
  Put16(tiny, 0);
  Put16(tiny, 0);
  tiny += '\0';
  Put16(tiny, 0x2A00);  // with the "**" that follows: a block size at offset 6
  tiny += "**ACE**";
  tiny.resize(4 + 4 + 0x2A2A, '\0');
  tiny += fileBlock("GHOST", 31 + 5);
  EXPECT_TRUE(RunReader(search::formats::ReadAce, tiny).members.empty());

  // A file block whose header size does not cover its own name: listed, then the walk ends
  // rather than stepping back into the name, where another block hides.
  std::string main;
  Put16(main, 0);
  Put16(main, 10);
  main += '\0';
  main.append(2, '\0');
  main += "**ACE**";
  const std::string ghost = fileBlock("G", 31 + 1);
  const std::string archive = main + fileBlock(std::string(8, 'n') + ghost, 31 + 8 - 31);
  EXPECT_EQ(Summary(RunReader(search::formats::ReadAce, archive).members),
            std::string(8, 'n') + ghost.substr(0, ghost.find('\0')) + " 7 0");
}

TEST(HostileHeaders, CabLastNameWithoutItsZeroBeforeTheEndIsNotListed) {
  std::string cab = "MSCF";
  cab.append(12, '\0');
  Put32(cab, 36);
  cab.append(8, '\0');
  Put16(cab, 2);
  cab.resize(36, '\0');
  auto entry = [&cab](const std::string& name) {
    Put32(cab, 9);
    cab.append(12, '\0');
    cab += name;
  };
  entry(std::string("first.txt\0", 10));
  entry(std::string(300, 'x'));  // runs into the end of the file
  EXPECT_EQ(Summary(RunReader(search::formats::ReadCab, cab).members), "first.txt 9 0");
}

TEST(HostileHeaders, ZooChainsThatStepBackListEveryMemberOnceAndEnd) {
  auto header = [](uint32_t first) {
    std::string h = "ZOO 2.10 Archive.\x1a";
    h.resize(20, '\0');
    Put32(h, 0xFDC4A7DC);
    Put32(h, first);
    h.resize(42, '\0');
    return h;
  };
  auto add = [](std::string& s, uint32_t next, const std::string& name) {
    std::string e;
    Put32(e, 0xFDC4A7DC);
    Put16(e, 0);
    Put32(e, next);
    e.resize(38, '\0');
    e += name;
    e.resize(60, '\0');
    s += e;
  };
  // Entries at 42, 102, 162: the chain runs 162 -> 42 -> 102 (backwards, then forwards).
  std::string backward = header(162);
  add(backward, 102, "B");
  add(backward, 0, "C");
  add(backward, 42, "A");
  EXPECT_EQ(Summary(RunReader(search::formats::ReadZoo, backward).members),
            "A 0 0 | B 0 0 | C 0 0");
  // 162 -> 42 -> 102 -> 42 ...: each member once, then the loop ends the walk.
  std::string loop = header(162);
  add(loop, 102, "B");
  add(loop, 42, "C");
  add(loop, 42, "A");
  EXPECT_EQ(Summary(RunReader(search::formats::ReadZoo, loop).members), "A 0 0 | B 0 0 | C 0 0");
}

TEST(HostileHeaders, ForcedZip64ShowsTheRealSizes) {
  // Info-ZIP zip -fz: 0xFFFFFFFF in the header, the sizes in the ZIP64 extra field.
  const auto ctx =
      RunReader(search::formats::ReadZip, LoadFile(Sample("zip/infozip30-forced-zip64.zip")));
  ASSERT_EQ(ctx.members.size(), 2u);
  EXPECT_EQ(Line(ctx.members[0]).substr(0, 13), "hello.txt 27 ");
  EXPECT_EQ(ctx.members[1].size, 3880u);
  EXPECT_LT(ctx.members[1].packed, 3880u);
  EXPECT_TRUE(ctx.warnings.empty());
}

TEST(ReparsePoints, OnlyNameSurrogatesAreLinks) {
  const std::pair<uint32_t, bool> tags[] = {
      {0xA0000003, true},   // mount point (junction)
      {0xA000000C, true},   // symbolic link
      {0xA000001D, true},   // WSL symbolic link
      {0x9000001A, false},  // cloud files (OneDrive)
      {0x80000013, false},  // deduplication
      {0x80000017, false},  // WOF compression
      {0x8000001B, false},  // app execution alias
      {0x9000001C, false},  // projected file system
      {0x80000023, false},  // AF_UNIX socket
  };
  for (const auto& [tag, link] : tags)
    EXPECT_EQ(platform::IsLinkReparseTag(tag), link) << std::hex << tag;
}

struct Walk {
  RecordingHost host;
  std::vector<std::string> Run(const std::string& find, const std::string& lookIn,
                               search::ArchiveTypeSet types = {}) {
    host.findFiles = find;
    host.lookIn = lookIn;
    search::SearchThread search(host, search::SearchOptions{}, types, "");
    search.Run();
    std::vector<std::string> files;
    for (const search::ResultRow& r : host.rows) files.push_back(r.file);
    std::sort(files.begin(), files.end());
    return files;
  }
};

TEST(HostileTrees, EmptyAndDotLookInEntries) {
  TempTree tree;
  tree.Write("in.txt", "x");
  tree.Folder("empty");
  ASSERT_TRUE(platform::SetCurrentFolder(tree.Path("empty")));
  Walk w;
  // "" names no folder (not the current one); "." is the current folder, shown without "/.".
  EXPECT_TRUE(w.Run("*.txt", "\"\"").empty());
  Walk dot;
  tree.Write("empty/here.txt", "x");
  EXPECT_EQ(dot.Run("*.txt", "."), (std::vector<std::string>{"here.txt"}));
  EXPECT_EQ(dot.host.rows[0].container, tree.Path("empty") + kSep);
}

#ifdef _WIN32
TEST(HostileNames, TextThatIsNotUtf8WidensThroughTheAnsiCodePage) {
  const std::wstring wide = platform::Widen("caf\xe9");
  EXPECT_EQ(wide.size(), 4u);
  EXPECT_EQ(wide.find(L'\xFFFD'), std::wstring::npos);
  EXPECT_EQ(platform::Widen("caf\xc3\xa9"), L"caf\u00e9");
}
#else
TEST(HostileTrees, PipesSocketsAndDevicesNamedLikeArchivesAreNeverOpened) {
  TempTree tree;
  ASSERT_EQ(::mkfifo(tree.Path("pipe.zip").c_str(), 0600), 0);
  ASSERT_EQ(::symlink("/dev/zero", tree.Path("zero.tar").c_str()), 0);
  const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  const std::string sockPath = tree.Path("sock.cab");
  ASSERT_LT(sockPath.size(), sizeof addr.sun_path);
  sockPath.copy(addr.sun_path, sockPath.size());
  ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  Walk w;
  // The search ends (a blocking open of the pipe never would) and lists them as entries.
  EXPECT_EQ(w.Run("*.*", tree.Root()),
            (std::vector<std::string>{"pipe.zip", "sock.cab", "zero.tar"}));
  ::close(sock);
}

// Folders below `root`, one per name, made step by step: their full path may pass the
// system's limit, which whole-path calls refuse. Leaves the deepest one current.
void MakeDeep(const std::string& root, const std::vector<std::string>& names) {
  ASSERT_EQ(::chdir(root.c_str()), 0);
  for (const std::string& n : names) {
    ASSERT_EQ(::mkdir(n.c_str(), 0700), 0);
    ASSERT_EQ(::chdir(n.c_str()), 0);
  }
}
void RemoveDeep(const std::string& root) {
  ::chdir("/");
  ASSERT_EQ(std::system(("rm -rf '" + root + "'").c_str()), 0);
}

TEST(HostileTrees, ATwoThousandLevelTreeIsWalkedToItsBottom) {
  TempTree tree;
  MakeDeep(tree.Root(), std::vector<std::string>(2000, "d"));
  std::filesystem::copy_file(TestData("zip/basic.zip"), "bottom.zip");
  Walk w;
  search::ArchiveTypeSet types;
  types.on.fill(0);
  types.on[search::kZip] = types.on[search::kFolders] = 1;
  EXPECT_EQ(w.Run("one.bin bottom.*", tree.Root(), types),
            (std::vector<std::string>{"bottom.zip", "one.bin"}));
  ASSERT_EQ(w.host.rows.size(), 2u);
  std::string deep;
  for (int i = 0; i < 2000; ++i) deep += "/d";
  EXPECT_EQ(w.host.rows[0].container, tree.Root() + deep + "/bottom.zip");
  RemoveDeep(tree.Root());
}

TEST(HostileTrees, RelativeEntriesResolveBelowACurrentFolderLongerThanThePathLimit) {
  TempTree tree;
  std::vector<std::string> names;
  for (int i = 0; i < 24; ++i) names.push_back(std::string(200, static_cast<char>('a' + i)));
  MakeDeep(tree.Root(), names);
  for (const char* f : {"one", "two", "two/sub"}) ASSERT_EQ(::mkdir(f, 0700), 0);
  for (const char* f : {"one/a.txt", "two/b.txt", "two/sub/c.txt"}) std::ofstream(f) << "x";
  Walk w;
  EXPECT_EQ(w.Run("*.txt", "one two"), (std::vector<std::string>{"a.txt", "b.txt", "c.txt"}));
  ASSERT_FALSE(w.host.rows.empty());
  EXPECT_GT(w.host.rows[0].container.size(), 4800u);
  RemoveDeep(tree.Root());
}
#endif

}  // namespace
}  // namespace quillow::test
