// The whole search over real folders: request, walk order, stop points, warnings.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>
#include <stdexcept>

#include "platform/fs.h"
#include "rar5_blocks.h"
#include "reader_test_util.h"
#include "recording_host.h"
#include "search/search_thread.h"
#include "temp_tree.h"

namespace quillow::test {
namespace {

using platform::kSep;

search::ArchiveTypeSet Only(std::initializer_list<int> types) {
  search::ArchiveTypeSet set;
  set.on.fill(0);
  for (int t : types) set.on[t] = 1;
  return set;
}

std::vector<std::string> Files(const RecordingHost& host) {
  std::vector<std::string> names;
  for (const search::ResultRow& r : host.rows) names.push_back(r.file);
  return names;
}

struct Search {
  RecordingHost host;
  search::SearchOptions options;
  search::ArchiveTypeSet types;
  std::string warningsPath;

  search::SearchOutcome outcome = search::SearchOutcome::kFailed;
  std::string failure;

  void Run(const std::string& findFiles, const std::string& lookIn) {
    host.findFiles = findFiles;
    host.lookIn = lookIn;
    search::SearchThread thread(host, options, types, warningsPath);
    outcome = thread.Run();
    failure = thread.FailureText();
  }
};

TEST(SearchWalk, SubfoldersFirstThenOnePassPerTypeInTableOrder) {
  TempTree tree;
  const std::string zip = LoadFile(TestData("zip/basic.zip"));
  tree.Write("sub/inner.zip", zip);
  tree.Write("b.zip", zip);
  tree.Write("notes.txt", "hello");
  tree.Write("x.TAR", std::string(1024, '\0'));  // opened by the TAR pass, not by ZIP

  Search s;
  s.Run("*.txt readme.* *.zip", tree.Root());
  // sub's rows (its ZIP members, then its own plain entries), then the root's ZIP members,
  // then the root's plain entries (in the file system's order). "docs/" has no base part.
  std::vector<std::string> names = Files(s.host);
  ASSERT_EQ(names.size(), 7u);
  std::sort(names.begin() + 5, names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"docs/readme.txt", "big.TXT", "inner.zip",
                                             "docs/readme.txt", "big.TXT", "b.zip", "notes.txt"}));
  EXPECT_EQ(s.host.rows[0].container, tree.Path("sub/inner.zip"));
  EXPECT_EQ(s.host.rows[2].container, tree.Path("sub") + kSep);
  EXPECT_EQ(s.host.rows[3].container, tree.Path("b.zip"));
  for (size_t i = 5; i < 7; ++i) {
    EXPECT_EQ(s.host.rows[i].container, tree.Root() + kSep);
    if (s.host.rows[i].file == "notes.txt") {
      EXPECT_EQ(s.host.rows[i].size, "5");
      EXPECT_EQ(s.host.rows[i].ratio, "0%");
    }
  }
  EXPECT_EQ(s.host.steps, (std::vector<std::string>{"histories", "start", "end", "sort"}));
  EXPECT_EQ(s.outcome, search::SearchOutcome::kCompleted);
  EXPECT_EQ(s.host.endCount, 7);
  // Looking in: the last subfolder entered stays shown while its parent's files are read.
  EXPECT_EQ(s.host.lookingIn, (std::vector<std::string>{tree.Root(), tree.Path("sub")}));
}

TEST(SearchWalk, FolderEntriesAreCandidatesAndDotFoldersAreNotEntered) {
  TempTree tree;
  tree.Write(".cache/hidden.txt", "x");
  tree.Write("docs/in.txt", "x");
  Search s;
  s.types = Only({search::kFolders});
  s.Run("* *.txt", tree.Root());
  std::vector<std::string> names = Files(s.host);
  std::sort(names.begin(), names.end());
  // "docs" is a candidate of its parent; .cache is neither entered nor a hit.
  EXPECT_EQ(names, (std::vector<std::string>{"docs", "in.txt"}));
  for (const search::ResultRow& r : s.host.rows)
    if (r.file == "docs") {
      EXPECT_EQ(r.container, tree.Root() + kSep);
      EXPECT_EQ(r.size, "0");
      EXPECT_EQ(r.ratio, "?");
    }
}

TEST(SearchWalk, WithoutFoldersPlainFilesAreNeverCandidates) {
  TempTree tree;
  tree.Write("a.txt", "x");
  tree.Write("a.jar", LoadFile(TestData("zip/basic.zip")));  // never opened: wrong extension
  tree.Write("zero.zip", "");
  Search s;
  s.types = Only({search::kZip});
  s.Run("*.*", tree.Root());
  EXPECT_TRUE(s.host.rows.empty());
  EXPECT_TRUE(s.host.warnings.empty());
  EXPECT_EQ(s.host.endCount, 0);
}

TEST(SearchWalk, SubFoldersOffSearchesOnlyTheNamedFolder) {
  TempTree tree;
  tree.Write("top.txt", "x");
  tree.Write("deep/below.txt", "x");
  Search s;
  s.options.SubFolders = 0;
  s.Run("*.txt", tree.Root());
  EXPECT_EQ(Files(s.host), (std::vector<std::string>{"top.txt"}));
}

TEST(SearchWalk, CountOnlyCountsWithoutRows) {
  TempTree tree;
  tree.Write("a.zip", LoadFile(TestData("zip/basic.zip")));
  Search s;
  s.options.CountOnly = 1;
  s.Run("*.*", tree.Root());
  EXPECT_TRUE(s.host.rows.empty());
  EXPECT_EQ(s.host.endCount, 4);  // three named members and the archive; "docs/" has no name
  ASSERT_FALSE(s.host.counts.empty());
  EXPECT_EQ(s.host.counts.back(), 4);
}

TEST(SearchWalk, RefusedWhenEveryTypeIsOff) {
  Search s;
  s.types = Only({});
  s.Run("*.*", ".");
  EXPECT_EQ(s.host.steps, (std::vector<std::string>{"refuse"}));
  EXPECT_EQ(s.outcome, search::SearchOutcome::kRefused);
}

TEST(SearchWalk, EmptyBasePartEndsSilentlyBeforeTheStart) {
  for (const char* text : {".txt", "   ", "a.txt .doc", ""}) {
    Search s;
    s.Run(text, ".");
    EXPECT_EQ(s.host.steps, (std::vector<std::string>{"histories"})) << '"' << text << '"';
    EXPECT_EQ(s.outcome, search::SearchOutcome::kNothingToSearch) << '"' << text << '"';
  }
}

TEST(SearchWalk, StopTakesEffectAfterTheArchiveBeingRead) {
  TempTree tree;
  const std::string zip = LoadFile(TestData("zip/basic.zip"));
  tree.Write("a.zip", zip);
  tree.Write("b.zip", zip);
  Search s;
  search::SearchThread* running = nullptr;
  s.host.onRow = [&](const search::ResultRow&) { running->RequestStop(); };
  s.host.findFiles = "*.*";
  s.host.lookIn = tree.Root();
  search::SearchThread thread(s.host, s.options, s.types, "");
  running = &thread;
  EXPECT_EQ(thread.Run(), search::SearchOutcome::kStopped);
  // A reader runs to its end once started: all three named members of the first archive.
  EXPECT_EQ(s.host.rows.size(), 3u);
  EXPECT_EQ(s.host.endCount, 3);
  EXPECT_EQ(s.host.rows[0].container, s.host.rows[2].container);
  EXPECT_EQ(s.host.steps.back(), "sort");
}

TEST(SearchWalk, StopInsideSubfoldersEndsTheWholeWalk) {
  TempTree tree;
  for (int i = 0; i < 20; ++i) tree.Write("d" + std::to_string(i) + "/f.txt", "x");
  tree.Write("root.txt", "x");
  Search s;
  s.types = Only({search::kFolders});
  search::SearchThread* running = nullptr;
  s.host.onRow = [&](const search::ResultRow&) { running->RequestStop(); };
  s.host.findFiles = "*.txt";
  s.host.lookIn = tree.Root() + " " + tree.Root();  // a stopped search skips later entries too
  search::SearchThread thread(s.host, s.options, s.types, "");
  running = &thread;
  thread.Run();
  EXPECT_EQ(s.host.rows.size(), 1u);
  EXPECT_NE(s.host.rows[0].file, "root.txt");
}

TEST(SearchWalk, AFailureEndsTheSearchWithItsEndStepsAndIsTold) {
  TempTree tree;
  tree.Write("a.txt", "x");
  tree.Write("b.txt", "x");
  Search s;
  s.types = Only({search::kFolders});
  s.host.onRow = [](const search::ResultRow&) { throw std::runtime_error("disk gone"); };
  s.Run("*.txt", tree.Root());
  EXPECT_EQ(s.outcome, search::SearchOutcome::kFailed);
  EXPECT_EQ(s.failure, "disk gone");
  EXPECT_EQ(s.host.steps, (std::vector<std::string>{"histories", "start", "end", "sort"}));
  EXPECT_EQ(s.host.rows.size(), 1u);
}

TEST(SearchWalk, OnlyTarMembersShowNoDate) {
  TempTree tree;
  tree.Write("a.tar", LoadFile(TestData("tar/ustar.tar")));
  tree.Write("x.tar/notes.txt", "x");  // a folder named like an archive holds dated files
  Search s;
  s.Run("*.*", tree.Root());
  int tarRows = 0, datedRows = 0;
  for (const search::ResultRow& r : s.host.rows) {
    const bool member = r.container == tree.Path("a.tar");
    EXPECT_EQ(r.modified == "?", member) << r.file << " in " << r.container;
    (member ? tarRows : datedRows)++;
  }
  EXPECT_GT(tarRows, 0);
  EXPECT_GT(datedRows, 1);  // notes.txt and the archive itself
}

TEST(SearchWalk, ZipCentralDirectoriesOpenTheZipFamilyAndReadDataDescriptors) {
  TempTree tree;
  const std::string streamed = LoadFile(TestData("zip/streamed-python.zip"));
  tree.Write("lib.jar", streamed);
  tree.Write("s.zip", streamed);
  tree.Write("report.docx", LoadFile(TestData("zip/basic.zip")));
  const struct {
    uint8_t central;
    size_t rows;
    size_t warnings;
  } cases[] = {{0, 0, 1}, {1, 7, 0}};  // on: 2 + 2 + 3 (folder entries have no base part)
  for (const auto& c : cases) {
    Search s;
    s.types = Only({search::kZip});
    s.options.ZipCentralDirectory = c.central;
    s.Run("*.*", tree.Root());
    EXPECT_EQ(s.host.rows.size(), c.rows) << int{c.central};
    EXPECT_EQ(s.host.warnings.size(), c.warnings) << int{c.central};
  }
}

TEST(SearchWalk, Rar5MembersWithoutATimeShowNoDate) {
  TempTree tree;
  tree.Write("a.rar", kRar5Sig + kRar5Main + Rar5Block(2, Rar5File("timed.txt", 1), "x") +
                          Rar5Block(2, Rar5File("untimed.txt", 1, false), "y"));
  Search s;
  s.types = Only({search::kRar});
  s.Run("*.txt", tree.Root());
  ASSERT_EQ(s.host.rows.size(), 2u);
  EXPECT_NE(s.host.rows[0].modified, "?");
  EXPECT_EQ(s.host.rows[1].modified, "?");
}

// 7z rows: "?" as Modified only for a member without a time, "?" as Ratio and Packed for the
// members of a block of several files, the block's packed size for a file packed alone.
TEST(SearchWalk, SevenZipRowsShowWhatTheArchiveKeeps) {
  TempTree tree;
  tree.Write("times.7z", LoadFile(TestData("7z/lzma-nonsolid.7z")));
  tree.Write("none.7z", LoadFile(TestData("7z/no-times.7z")));
  tree.Write("solid.7z", LoadFile(TestData("7z/lzma-solid.7z")));
  Search s;
  s.Run("readme.txt", tree.Root());
  std::map<std::string, search::ResultRow> byArchive;
  for (const search::ResultRow& r : s.host.rows) byArchive[r.container] = r;
  ASSERT_EQ(byArchive.size(), 2u);  // no-times.7z holds no readme.txt
  EXPECT_EQ(byArchive[tree.Path("times.7z")].packed, "155");
  EXPECT_EQ(byArchive[tree.Path("times.7z")].ratio, "93%");
  EXPECT_EQ(byArchive[tree.Path("solid.7z")].packed, "?");
  EXPECT_EQ(byArchive[tree.Path("solid.7z")].modified, byArchive[tree.Path("times.7z")].modified);
  Search t;
  t.Run("hello.txt", tree.Root());
  for (const search::ResultRow& r : t.host.rows)
    EXPECT_EQ(r.modified == "?", r.container == tree.Path("none.7z")) << r.container;
  EXPECT_EQ(t.host.rows.size(), 3u);
}

// 7z directories are read on a second thread while the walk goes on. Three folders, one
// inside the other, each with more archives than are read ahead at once and one damaged
// archive: every row and warning comes in the order of a walk that read each archive on the
// spot (the innermost folder first; in each folder its plain entries, then the archives,
// each whole), and a stop ends the rows at the end of the archive being told.
TEST(SearchWalk, ArchivesReadAheadKeepTheWalkOrder) {
  TempTree tree;
  const std::string good = LoadFile(TestData("7z/lzma-nonsolid.7z"));
  const std::vector<std::string> folders = {"top/mid/low", "top/mid", "top"};
  constexpr int kArchives = 40;
  for (const std::string& f : folders) {
    for (int i = 0; i < kArchives; ++i) tree.Write(f + "/n" + std::to_string(i) + ".7z", good);
    tree.Write(f + "/bad.7z", good.substr(0, good.size() - 10));
    tree.Write(f + "/plain.txt", "x");
  }
  // One archive's members, in its own order.
  std::vector<std::string> members;
  {
    TempTree single;
    single.Write("n0.7z", good);
    Search s;
    s.types = Only({search::k7z});
    s.Run("*.*", single.Root());
    members = Files(s.host);
  }
  ASSERT_EQ(members.size(), 8u);

  Search s;
  s.types = Only({search::kFolders, search::k7z});
  s.Run("*.*", tree.Path("top"));
  size_t at = 0;
  std::vector<std::string> warned;
  for (const std::string& f : folders) {
    const std::string folder = tree.Path(f);
    // The folder's own entries, the archives among them, then each archive's members.
    size_t entries = 0;
    for (; at < s.host.rows.size() && s.host.rows[at].container == folder + kSep; ++at) ++entries;
    EXPECT_EQ(entries, kArchives + 2u + (f == "top/mid/low" ? 0 : 1)) << f;
    std::set<std::string> archives;
    while (at < s.host.rows.size() && s.host.rows[at].container.rfind(folder + kSep, 0) == 0 &&
           s.host.rows[at].container.find(kSep, folder.size() + 1) == std::string::npos) {
      const std::string archive = s.host.rows[at].container;
      EXPECT_TRUE(archives.insert(archive).second) << archive << " told twice";
      std::vector<std::string> told;
      for (; at < s.host.rows.size() && s.host.rows[at].container == archive; ++at)
        told.push_back(s.host.rows[at].file);
      EXPECT_EQ(told, members) << archive;
    }
    EXPECT_EQ(archives.size(), static_cast<size_t>(kArchives)) << f;
    warned.push_back(tree.Path(f + "/bad.7z") + ": Corrupt 7z file");
  }
  EXPECT_EQ(at, s.host.rows.size());
  EXPECT_EQ(s.host.warnings, warned);
  EXPECT_EQ(s.host.endCount, static_cast<int32_t>(s.host.rows.size()));

  Search stopped;
  stopped.types = Only({search::k7z});
  search::SearchThread* running = nullptr;
  stopped.host.onRow = [&](const search::ResultRow&) { running->RequestStop(); };
  stopped.host.findFiles = "*.*";
  stopped.host.lookIn = tree.Path("top");
  search::SearchThread thread(stopped.host, stopped.options, stopped.types, "");
  running = &thread;
  EXPECT_EQ(thread.Run(), search::SearchOutcome::kStopped);
  EXPECT_EQ(Files(stopped.host), members);
  EXPECT_EQ(stopped.host.endCount, 8);
}

TEST(SearchWalk, WarningsFileIsKeptOnlyWhenWritten) {
  TempTree tree;
  tree.Write("data/bad.zip", LoadFile(TestData("zip/streamed.zip")));
  tree.Write("data/good.zip", LoadFile(TestData("zip/basic.zip")));
  tree.Folder("log");
  const std::string log = tree.Path("log/warnings.txt");

  Search s;
  s.warningsPath = log;
  s.Run("*.*", tree.Path("data"));
  const std::string expected =
      tree.Path("data/bad.zip") + ": This ZIP type not supported due to its rarity";
  ASSERT_EQ(s.host.warnings, (std::vector<std::string>{expected}));
  EXPECT_EQ(LoadFile(log), expected + "\r\n");
  EXPECT_EQ(s.host.steps,
            (std::vector<std::string>{"histories", "start", "end", "open-warnings", "sort"}));

  // The next search without warnings removes the file; ShowWarnings off never opens it.
  std::filesystem::remove(tree.Path("data/bad.zip"));
  Search clean;
  clean.warningsPath = log;
  clean.options.ShowWarnings = 0;
  clean.Run("*.*", tree.Path("data"));
  EXPECT_FALSE(std::filesystem::exists(log));
}

TEST(SearchWalk, LookInFolderWithASpaceIsQuotedAndSearchedAsOne) {
  TempTree tree;
  tree.Write("Program Files/app.txt", "x");
  Search s;
  s.Run("*.txt", tree.Path("Program Files"));
  EXPECT_EQ(s.host.replacedLookIn, "\"" + tree.Path("Program Files") + "\"");
  EXPECT_EQ(Files(s.host), (std::vector<std::string>{"app.txt"}));
}

TEST(SearchWalk, RelativeLookInEntriesResolveAgainstTheStartingFolder) {
  TempTree tree;
  tree.Write("one/a.zip", LoadFile(TestData("zip/basic.zip")));
  tree.Write("two/b.txt", "x");
  ASSERT_TRUE(platform::SetCurrentFolder(tree.Root()));
  Search s;
  s.Run("*.txt", "one two");  // the first entry's walk changes the current folder
  EXPECT_EQ(Files(s.host), (std::vector<std::string>{"docs/readme.txt", "big.TXT", "b.txt"}));
  EXPECT_EQ(s.host.rows[0].container, tree.Path("one/a.zip"));
}

// The other entries are searched; the missing ones are named at the end and in the
// warnings file, not told to the host as warnings of an archive. (A short test name: the
// three paths under its temporary folder must fit the 255 characters of a Look-in text.)
TEST(SearchWalk, UnsearchedEntriesAreNamed) {
  TempTree tree;
  tree.Write("a.txt", "x");
  tree.Write("plain.txt", "not a folder");
  tree.Folder("log");
  Search s;
  s.warningsPath = tree.Path("log/warnings.txt");
  s.Run("a.txt", tree.Path("no-such-folder") + " " + tree.Root() + " " + tree.Path("plain.txt"));
  EXPECT_EQ(Files(s.host), (std::vector<std::string>{"a.txt"}));
  EXPECT_EQ(s.host.notSearched, std::string(search::kNotSearched) + tree.Path("no-such-folder") +
                                    ", " + tree.Path("plain.txt"));
  EXPECT_EQ(s.host.steps, (std::vector<std::string>{"histories", "start", "not-searched", "end",
                                                    "open-warnings", "sort"}));
  EXPECT_TRUE(s.host.warnings.empty());
  const std::string log = LoadFile(tree.Path("log/warnings.txt"));
  EXPECT_EQ(log.find(tree.Path("no-such-folder") + ": cannot be searched ("), 0u) << log;
  EXPECT_NE(log.find(tree.Path("plain.txt") + ": cannot be searched ("), std::string::npos);
}

TEST(SearchWalk, PathsLongerThan260CharactersAreSearched) {
  TempTree tree;
  std::string deep;
  for (int i = 0; i < 8; ++i) deep += std::string(40, static_cast<char>('a' + i)) + "/";
  tree.Write(deep + "far.zip", LoadFile(TestData("zip/basic.zip")));
  Search s;
  s.Run("one.bin", tree.Root());
  ASSERT_EQ(Files(s.host), (std::vector<std::string>{"one.bin"}));
  EXPECT_GT(s.host.rows[0].container.size(), 320u);
}

TEST(SearchWalk, AStopEndsTheReadingOfALargeFolder) {
  TempTree tree;
  for (int i = 0; i < 3000; ++i) tree.Write("f" + std::to_string(i) + ".txt", "");
  platform::StartFolder start;
  platform::FolderListing listing;
  ASSERT_TRUE(listing.Enter(start, tree.Root()));
  int asked = 0;
  EXPECT_TRUE(listing.Read([&] { return ++asked > 0; }));
  EXPECT_GT(asked, 0);
  EXPECT_LT(listing.entries.size(), 3000u);
  ASSERT_TRUE(listing.Read());
  size_t files = 0;
  for (const platform::DirEntry& e : listing.entries) files += e.name[0] == 'f';
  EXPECT_EQ(files, 3000u);
}

}  // namespace
}  // namespace quillow::test
