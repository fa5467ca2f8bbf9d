// Archives built to hurt: names that would land outside the extraction folder, a link
// planted to carry files elsewhere, members that inflate past their declared size, methods
// we do not handle, and headers that lie. Each is refused and reported; nothing else moves.
#include "zip/path_safety.h"
#include "zip/unzip.h"
#include "zip/zip_fs.h"
#include "zip_test_util.h"

namespace quillow::test {
namespace {

namespace fs = std::filesystem;

int ExtractBytes(const std::string& bytes, RecordingReporter& report, bool dirNames = true) {
  {
    std::ofstream out("../in.zip", std::ios::binary | std::ios::trunc);
    out << bytes;
  }
  zip::UnzipOptions o;
  o.zipName = "../in.zip";
  o.dirNames = dirNames;
  o.overwrite = true;
  return zip::Unzip(o, zip::SystemFileSystem(), report);
}

TEST(ZipHostile, EveryNameLeadingOutOfTheFolderIsRefusedAndReported) {
  const char* hostile[] = {
      "a/../../x",
      "..\\x",
      "/x",
      "\\x",
      "C:x",
      "C:\\x",
      "\\\\server\\share\\x",
      "\\\\?\\C:\\x",
      "\\\\.\\x",
      "CON",
      "prn.txt",
      "dir/aux",
      "Nul.tar.gz",
      "com1",
      "COM9.log",
      "lpt1",
      "sub/LPT9.x",
      "con .txt",
      "a.txt:evil",
      "dir/a:stream",
      "./",
      "././",
      "...",
      "a/ . /b",
      "a\x01"
      "b",
      "a\x1f"
      "b",
      "what?.txt",
      "CONIN$",
      "sub/conout$.txt",
  };
  for (const char* name : hostile) {
    SCOPED_TRACE(name);
    ScratchFolder tree;
    fs::create_directories("box");
    fs::current_path("box");
    RecordingReporter report;
    const int n = ExtractBytes(BuildZip({{name, "evil"}, {"good.txt", "fine"}}), report);
    EXPECT_EQ(n, 1) << report.All();
    EXPECT_TRUE(report.Said("refused")) << report.All();
    fs::current_path("..");
    // Only the good member was written, anywhere in the scratch tree.
    EXPECT_EQ(FilesBelow(".").size(), 2u);  // in.zip and box/good.txt
    EXPECT_TRUE(fs::exists("box/good.txt"));
  }
  // Names that only look odd are kept.
  for (const char* fine : {"a..b.txt", "dir/...x", "CONFIG.SYS", "com10", "lpt.txt", "a b/c d"})
    EXPECT_FALSE(zip::CheckMemberPath(fine).parts.empty()) << fine;
}

TEST(ZipHostile, AFolderThatIsALinkOutsideIsNotFollowed) {
  ScratchFolder tree;
  fs::create_directories("outside");
  fs::create_directories("box");
  std::error_code ec;
  fs::create_directory_symlink(fs::absolute("outside"), "box/link", ec);
  if (ec) GTEST_SKIP() << "no directory links here: " << ec.message();
  fs::current_path("box");
  RecordingReporter report;
  EXPECT_EQ(ExtractBytes(BuildZip({{"link/x.txt", "evil"}, {"ok/y.txt", "fine"}}), report), 1);
  EXPECT_TRUE(report.Said("leads outside the extraction folder")) << report.All();
  fs::current_path("..");
  EXPECT_TRUE(fs::is_empty("outside"));
}

TEST(ZipHostile, BombsStopAtTheDeclaredSizeAndUnknownMethodsAreNamed) {
  ScratchFolder tree;
  fs::create_directories("box");
  fs::current_path("box");
  RecordingReporter report;
  const std::string huge(20 << 20, '\0');  // 20 MB of zeros deflates to about 20 KB
  const int n = ExtractBytes(BuildZip({{"bomb.bin", huge, 8, 1000},
                                       {"bz.txt", "not bzip2 at all", 12},
                                       {"ok.txt", std::string(3000, 'k'), 8}}),
                             report);
  EXPECT_EQ(n, 1) << report.All();
  EXPECT_TRUE(report.Said("bomb.bin: data inflates beyond its declared size of 1000 bytes"));
  EXPECT_TRUE(report.Said("bz.txt: compression method 12 not supported"));
  EXPECT_FALSE(fs::exists("bomb.bin"));
  EXPECT_EQ(FilesBelow(".").size(), 1u);  // ok.txt; no temporary file left
}

TEST(ZipHostile, LyingHeadersAreReportedNotFollowed) {
  ScratchFolder tree;
  fs::create_directories("box");
  fs::current_path("box");
  const std::string good = BuildZip({{"a.txt", "hello"}, {"b.txt", "world"}});
  auto patched = [&](size_t at, uint32_t value, int bytes) {
    std::string s = good;
    for (int i = 0; i < bytes; ++i) s[at + i] = static_cast<char>(value >> (8 * i));
    return s;
  };
  const size_t end = good.size() - 22, central = good.rfind("PK\x01\x02", end);
  struct Case {
    std::string bytes;
    int extracted;
    const char* said;
  };
  const Case cases[] = {
      {good.substr(0, good.size() - 5), 0, "no end of central directory"},
      {patched(end + 12, 0x7FFFFFFF, 4), 0, "central directory size exceeds the file"},
      {patched(end + 16, 0xFFFFFF00, 4), 0, "offset beyond the file"},
      {patched(central + 28, 0xFFFF, 2), 0, "damaged central directory"},  // name length
      {patched(central + 20, 0x7FFFFFF0, 4), 1, "runs past the end"},      // packed size
      {patched(central + 42, 0x00001000, 4), 1, "local header missing"},   // offset
      {"PK\x05\x06" + std::string(18, '\0'), 0, nullptr},                  // empty archive
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.said ? c.said : "empty");
    RecordingReporter report;
    EXPECT_EQ(ExtractBytes(c.bytes, report), c.extracted) << report.All();
    if (c.said) {
      EXPECT_TRUE(report.Said(c.said)) << report.All();
    }
  }
}

}  // namespace
}  // namespace quillow::test
