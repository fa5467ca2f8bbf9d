// Archives built to hurt: names that would land outside the extraction folder, a link
// planted to carry files elsewhere, members that inflate past their declared size or share
// their bytes, methods we do not handle, and headers that lie. Each is refused and
// reported; nothing else moves.
#include <set>

#include "zip/core/path_safety.h"
#include "zip/core/unzip.h"
#include "zip/core/zip_fs.h"
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

// A link planted in the extraction folder is followed only where it leads inside. "BOX" is
// another folder than "box" where the file system tells case apart, and the same one on
// Windows.
TEST(ZipHostile, AFolderThatIsALinkIsFollowedOnlyInside) {
#ifdef _WIN32
  constexpr bool kCaseVariantIsOutside = false;
#else
  constexpr bool kCaseVariantIsOutside = true;
#endif
  struct Case {
    const char* target;
    bool outside;
  };
  for (const Case& c :
       {Case{"outside", true}, Case{"BOX", kCaseVariantIsOutside}, Case{"box/real", false}}) {
    SCOPED_TRACE(c.target);
    ScratchFolder tree;
    fs::create_directories("outside");
    fs::create_directories("box/real");
    fs::create_directories(c.target);
    std::error_code ec;
    fs::create_directory_symlink(fs::absolute(c.target), "box/link", ec);
    if (ec) GTEST_SKIP() << "no directory links here: " << ec.message();
    fs::current_path("box");
    RecordingReporter report;
    EXPECT_EQ(ExtractBytes(BuildZip({{"link/x.txt", "evil"}, {"ok/y.txt", "fine"}}), report),
              c.outside ? 1 : 2);
    EXPECT_EQ(report.Said("folder link leads outside the extraction folder"), c.outside)
        << report.All();
    fs::current_path("..");
    EXPECT_EQ(fs::exists(fs::path(c.target) / "x.txt"), !c.outside);
  }
}

// The non-recursive zip bomb: members that share their bytes with another member's header
// or data are refused, each by name, and the others are written. A declared size past what
// the archive's bytes can inflate to is refused before anything is written.
TEST(ZipHostile, MembersSharingBytesAndImpossibleSizesAreRefusedTheRestWritten) {
  const std::string zeros(1 << 20, '\0');
  struct Case {
    const char* what;
    std::string bytes;
    std::set<std::string> written;
    std::vector<std::string> refused;
  };
  std::vector<std::string> kernels;
  for (int i = 0; i < 8; ++i) kernels.push_back("k" + std::to_string(i) + ".bin");
  kernels.insert(kernels.end(), {"outer.bin", "quoted.txt"});
  for (std::string& k : kernels) k += ": refused, its header or data overlaps another member's";
  const Case cases[] = {
      {"one kernel, two names",
       BuildZip({{"k.bin", zeros, 8}, {"alias.bin", zeros, 8, -1, 0, "", 0}, {"ok.txt", "ok"}}),
       {"ok.txt"},
       {"k.bin: refused, its header or data overlaps", "alias.bin: refused"}},
      {"a shared kernel and a quoted header", ZipFixture("overlap.zip"), {"good.txt"}, kernels},
      {"neighbours touching", BuildZip({{"a.txt", "a"}, {"b.txt", "b"}}), {"a.txt", "b.txt"}, {}},
      {"a size no archive this small holds",
       BuildZip({{"liar.bin", zeros, 8, 0x7FFFFFF0}, {"ok.txt", "ok"}}),
       {"ok.txt"},
       {"liar.bin: refused, its size of 2147483632 bytes would take this extraction past 1032 "
        "times the archive's size"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchFolder tree;
    fs::create_directories("box");
    fs::current_path("box");
    RecordingReporter report;
    EXPECT_EQ(ExtractBytes(c.bytes, report), static_cast<int>(c.written.size())) << report.All();
    std::set<std::string> written;
    for (const auto& [name, bytes] : FilesBelow(".")) written.insert(name);
    EXPECT_EQ(written, c.written);
    for (const std::string& refused : c.refused) EXPECT_TRUE(report.Said(refused)) << refused;
    fs::current_path("..");
  }
}

TEST(ZipHostile, BombsStopAtTheDeclaredSizeAndUnknownMethodsAreNamed) {
  ScratchFolder tree;
  fs::create_directories("box");
  fs::current_path("box");
  RecordingReporter report;
  const std::string huge(20 << 20, '\0');  // 20 MB of zeros deflates to about 20 KB
  const int n = ExtractBytes(BuildZip({{"bomb.bin", huge, 8, 1000},
                                       {"bz.txt", "not bzip2 at all", 12},
                                       {"aes.bin", "not AES either", 99},
                                       {"\xE9t\xE9.txt", "437", 0, -1, 0x0800},
                                       {"ok.txt", std::string(3000, 'k'), 8}}),
                             report);
  EXPECT_EQ(n, 2) << report.All();
  EXPECT_TRUE(report.Said("bomb.bin: data inflates beyond its declared size of 1000 bytes"));
  EXPECT_TRUE(report.Said("bz.txt: compression method 12 not supported"));
  EXPECT_TRUE(report.Said("aes.bin: AES encryption is not supported"));
  // Flagged UTF-8 but not: said, and written as code page 437 reads it.
  const std::string theta = "\xCE\x98t\xCE\x98.txt";
  EXPECT_TRUE(report.Said(theta + ": name marked as UTF-8 is not UTF-8")) << report.All();
  EXPECT_EQ(ReadBytes(fs::path(reinterpret_cast<const char8_t*>(theta.c_str()))), "437");
  EXPECT_FALSE(fs::exists("bomb.bin"));
  EXPECT_EQ(FilesBelow(".").size(), 2u);  // no temporary file left
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
