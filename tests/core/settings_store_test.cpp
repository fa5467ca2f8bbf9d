// The settings store over an in-memory store: fresh start, the order of every value, a
// hand-edited key, the histories, and the move from legacy files of every length.
#include "settings/settings_store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "settings/memory_store.h"
#include "temp_tree.h"

namespace quillow::settings {
namespace {

using Texts = std::vector<std::string>;

const Texts kMainOrder = {"DoNotDeleteMe",
                          "CaseSensitive",
                          "SubFolders",
                          "CountOnly",
                          "BackgroundColor",
                          "TextColor",
                          "LinkColor",
                          "VisitedLinkColor",
                          "ActiveLinkColor",
                          "Hyperlinks",
                          "TableBorders",
                          "LaunchViewer",
                          "FilterIndex",
                          "SavePath",
                          "Maximized",
                          "Width",
                          "Height",
                          "Left",
                          "Top",
                          "ShowWarnings",
                          "SortType",
                          "IncludeDateTime",
                          "IncludeSize",
                          "IncludePacked",
                          "IncludeRatio",
                          "SaveTextWithTabs",
                          "ZipCentralDirectory"};

// The value names read from (or written to) the main key, in order, as the store saw them.
Texts Logged(const MemoryStore& store, const std::string& verb) {
  Texts names;
  bool inMain = false;
  for (const std::string& entry : store.log) {
    if (entry.rfind("open ", 0) == 0)
      inMain = entry == std::string("open ") + kMainKey;
    else if (inMain && entry.rfind(verb + " ", 0) == 0)
      names.push_back(entry.substr(verb.size() + 1));
  }
  return names;
}

struct Loaded {
  settings::AppSettings settings;
  LoadOutcome outcome;
  int questions = 0;
};

Loaded Load(MemoryStore& store, const std::string& folder = "/nonexistent/", bool yes = false) {
  Loaded l;
  l.settings.Placement = {false, 583, 377, 40, 30, true};  // the form's own
  l.outcome = LoadSettings(store, folder, l.settings, [&] {
    ++l.questions;
    return yes;
  });
  return l;
}

// A store whose every write to one key fails, as a registry key made read-only would.
class RefusingStore final : public KeyValueStore {
 public:
  explicit RefusingStore(std::string refused) : refused_(std::move(refused)) {}
  std::unique_ptr<SettingsKey> OpenKey(std::string_view path) override {
    struct Key final : SettingsKey {
      std::unique_ptr<SettingsKey> inner;
      bool refuse = false;
      bool HasValue(std::string_view n) override { return inner->HasValue(n); }
      ValueStatus ReadNumber(std::string_view n, uint32_t& v) override {
        return inner->ReadNumber(n, v);
      }
      ValueStatus ReadText(std::string_view n, std::string& v) override {
        return inner->ReadText(n, v);
      }
      bool WriteNumber(std::string_view n, uint32_t v) override {
        return !refuse && inner->WriteNumber(n, v);
      }
      bool WriteText(std::string_view n, std::string_view v) override {
        return !refuse && inner->WriteText(n, v);
      }
    };
    auto key = std::make_unique<Key>();
    key->inner = memory_.OpenKey(path);
    key->refuse = path == refused_;
    return key;
  }

 private:
  MemoryStore memory_;
  std::string refused_;
};

TEST(SettingsStore, FreshStartTakesDefaultsAndSavesEveryValueInOrder) {
  MemoryStore store;
  Loaded l = Load(store);
  EXPECT_FALSE(l.outcome.fromRegistry);
  EXPECT_FALSE(l.outcome.migrated);
  EXPECT_EQ(l.questions, 0);
  EXPECT_TRUE(store.Written(kMainKey).empty());  // a first start writes nothing until exit
  const settings::AppSettings& s = l.settings;
  EXPECT_EQ(s.Options.CaseSensitive, 0);
  EXPECT_NE(s.Options.SubFolders, 0);
  EXPECT_EQ(s.Options.CountOnly, 0);
  EXPECT_NE(s.Options.ShowWarnings, 0);
  EXPECT_EQ(s.Options.ZipCentralDirectory, 0);  // missing: the documented local walk
  EXPECT_EQ(s.SavePath, "C:\\");
  EXPECT_EQ(s.FilterIndex, 1);
  EXPECT_EQ(s.LaunchViewer, 0);
  EXPECT_EQ(s.SortType, 0);
  EXPECT_EQ(s.Placement.width, 583);  // the form keeps its placement

  ASSERT_TRUE(SaveSettings(store, s));
  EXPECT_EQ(store.Written(kMainKey), kMainOrder);
  EXPECT_EQ(store.Written(kArchiveTypesKey),
            (Texts{"ZIP", "RAR", "WAD", "GRP", "ARJ", "LZH", "ZOO", "TAR", "ARC", "PAK", "Folders",
                   "HYP", "SQZ", "CAB", "ACE", "7Z"}));
  Texts numbers;
  for (int n = 1; n <= 20; ++n) numbers.push_back(std::to_string(n));
  EXPECT_EQ(store.Written(kOldSearchesKey), numbers);
  EXPECT_EQ(store.Find(kMainKey, "DoNotDeleteMe")->type, StoredValue::Type::kText);
  EXPECT_EQ(store.Find(kMainKey, "BackgroundColor")->number, 0x00FFFFFFu);
  EXPECT_EQ(store.Find(kMainKey, "ActiveLinkColor")->number, 0x00FF0000u);
  EXPECT_EQ(store.Find(kMainKey, "SavePath")->text, "C:\\");
  EXPECT_EQ(store.Find(kArchiveTypesKey, "ACE")->number, 1u);
  EXPECT_EQ(store.Find(kArchiveTypesKey, "7Z")->type, StoredValue::Type::kNumber);

  // The histories are written last; a failure there is a failed save too.
  RefusingStore history(kOldSearchesKey);
  EXPECT_FALSE(SaveSettings(history, s));
}

TEST(SettingsStore, SavedValuesComeBackReadInTheSameOrder) {
  MemoryStore store;
  settings::AppSettings s;
  s.Options = {1, 0, 1, 0, 1};
  s.ArchiveTypes.on[search::kRar] = 0;
  s.Html.link = 0x00123456;
  s.Html.tableBorders = false;
  s.LaunchViewer = 1;
  s.FilterIndex = 2;
  s.SavePath = "D:\\Caf\xC3\xA9\\";
  s.Columns = {false, true, false, true};
  s.SaveTextWithTabs = 1;
  s.SortType = 7;
  s.Placement = {true, 900, 700, -5, 12, true};
  s.FolderHistory = {"C:\\", "D:\\x", "\"E:\\a b\""};
  for (int i = 0; i < 12; ++i) s.FilesHistory.push_back("*." + std::to_string(i));
  ASSERT_TRUE(SaveSettings(store, s));
  // Three folders, then empty texts; the first ten of twelve file-name items.
  EXPECT_EQ(store.Find(kOldSearchesKey, "3")->text, "\"E:\\a b\"");
  for (const char* n : {"4", "10"}) EXPECT_EQ(store.Find(kOldSearchesKey, n)->text, "");
  EXPECT_EQ(store.Find(kOldSearchesKey, "11")->text, "*.0");
  EXPECT_EQ(store.Find(kOldSearchesKey, "20")->text, "*.9");

  store.log.clear();
  Loaded l = Load(store);
  EXPECT_TRUE(l.outcome.fromRegistry);
  Texts read = Logged(store, "read");
  EXPECT_EQ(read, Texts(kMainOrder.begin() + 1, kMainOrder.end()));
  const settings::AppSettings& r = l.settings;
  EXPECT_EQ(r.Options.CaseSensitive, 1);
  EXPECT_EQ(r.Options.SubFolders, 0);
  EXPECT_EQ(r.Options.ShowWarnings, 0);
  EXPECT_EQ(r.Options.ZipCentralDirectory, 1);
  EXPECT_EQ(r.ArchiveTypes.on, s.ArchiveTypes.on);
  EXPECT_EQ(r.Html.link, 0x00123456u);
  EXPECT_FALSE(r.Html.tableBorders);
  EXPECT_EQ(r.FilterIndex, 2);
  EXPECT_EQ(r.SavePath, s.SavePath);
  EXPECT_FALSE(r.Columns.dateTime);
  EXPECT_TRUE(r.Columns.packed);
  EXPECT_EQ(r.SaveTextWithTabs, 1);
  EXPECT_EQ(r.SortType, 7);
  EXPECT_TRUE(r.Placement.maximized);
  EXPECT_EQ(r.Placement.left, -5);
  EXPECT_EQ(r.FolderHistory, s.FolderHistory);
  EXPECT_EQ(r.FilesHistory, Texts(s.FilesHistory.begin(), s.FilesHistory.begin() + 10));
}

TEST(SettingsStore, HandEditedKeyKeepsLoadingWithDefaults) {
  MemoryStore store;
  SaveSettings(store, settings::AppSettings{});
  // The marker counts whatever its type; the other values are missing, mistyped or odd.
  store.SetNumber(kMainKey, "DoNotDeleteMe", 5);
  store.Remove(kMainKey, "SubFolders");
  store.SetText(kMainKey, "CaseSensitive", "1");
  store.Set(kMainKey, "LinkColor", {StoredValue::Type::kBinary, 0, "\x01\x02"});
  store.SetText(kMainKey, "Width", "wide");
  store.SetNumber(kMainKey, "Height", 640);
  store.SetNumber(kMainKey, "Maximized", 0);
  store.SetNumber(kMainKey, "FilterIndex", 258);
  store.SetNumber(kMainKey, "SortType", 7);
  store.SetNumber(kMainKey, "IncludeRatio", 2);  // any non-zero value is on
  store.SetText(kMainKey, "SavePath", std::string(260, 'x'));
  store.SetText(kOldSearchesKey, "1", "C:\\");
  store.Remove(kOldSearchesKey, "2");
  store.SetText(kOldSearchesKey, "3", "D:\\");
  store.SetText(kOldSearchesKey, "10", "E:\\tenth");
  store.SetNumber(kOldSearchesKey, "11", 3);
  store.SetText(kOldSearchesKey, "12", "*.txt");
  store.Remove(kArchiveTypesKey, "CAB");
  store.Remove(kArchiveTypesKey, "7Z");  // a key saved before 7z archives were read
  store.SetNumber(kArchiveTypesKey, "ZIP", 0);

  Loaded l = Load(store);
  const settings::AppSettings& s = l.settings;
  EXPECT_TRUE(l.outcome.fromRegistry);
  EXPECT_EQ(Logged(store, "read").back(), "ZipCentralDirectory");  // nothing stopped the load
  EXPECT_NE(s.Options.SubFolders, 0);
  EXPECT_EQ(s.Options.CaseSensitive, 0);
  EXPECT_EQ(s.Html.link, 0x000000FFu);
  EXPECT_EQ(s.Placement.width, 583);
  EXPECT_EQ(s.Placement.height, 640);
  EXPECT_FALSE(s.Placement.maximized);
  EXPECT_EQ(s.FilterIndex, 2);
  EXPECT_EQ(s.SortType, 7);
  EXPECT_TRUE(s.Columns.ratio);
  EXPECT_EQ(s.SavePath, "C:\\");  // too long for its field: ignored
  EXPECT_EQ(s.FolderHistory, (Texts{"C:\\", "D:\\", "E:\\tenth"}));
  EXPECT_EQ(s.FilesHistory, (Texts{"*.txt"}));
  EXPECT_EQ(s.ArchiveTypes.on[search::kZip], 0);
  EXPECT_NE(s.ArchiveTypes.on[search::kCab], 0);
  EXPECT_NE(s.ArchiveTypes.on[search::k7z], 0);

  store.Remove(kMainKey, "SavePath");  // a missing text reads as empty
  EXPECT_EQ(Load(store).settings.SavePath, "");
  store.SetText(kMainKey, "SavePath", std::string(259, 'y'));
  EXPECT_EQ(Load(store).settings.SavePath.size(), 259u);
}

// A legacy file as older releases wrote it, cut to `size` bytes.
std::string LegacyFile(size_t size) {
  std::string f(5528, '\0');
  f[0] = 1, f[1] = 0, f[2] = 1;
  for (int i = 0; i < 14; ++i) f[3 + i] = static_cast<char>(i % 2 ? 7 : 0);
  f[17] = f[18] = f[19] = '\xEE';
  const uint32_t colors[] = {0x00102030, 0x00405060, 0x00708090, 0x00A0B0C0, 0x00D0E0F0};
  std::memcpy(&f[20], colors, sizeof colors);  // little-endian on every build we make
  f[40] = 0, f[41] = 0, f[42] = 1, f[43] = 2;
  std::memcpy(&f[44], "D:\\R\xE9sum\xE9\\", 11);  // Windows-1252
  const size_t b2 = 304;
  f[b2] = 1;
  const int32_t bounds[] = {800, 600, 10, 20};
  std::memcpy(&f[b2 + 4], bounds, sizeof bounds);
  std::memcpy(&f[b2 + 20], "C:\\one", 6);
  std::memcpy(&f[b2 + 60], "D:\\two", 6);
  std::memcpy(&f[b2 + 40], "*.txt", 5);
  f[b2 + 5220] = 0;
  f.resize(size);
  return f;
}

TEST(SettingsStore, LegacyFilesOfEveryLengthMoveIntoTheRegistry) {
  const struct {
    size_t size;
    bool optionsRead, windowRead, showWarnings;
  } cases[] = {
      {0, false, false, true},  {100, true, false, true},  {304, true, false, true},
      {1000, true, true, true}, {5528, true, true, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.size);
    test::TempTree tree;
    tree.Write("quillow.cfg", LegacyFile(c.size));
    MemoryStore store;
    Loaded l = Load(store, tree.Root() + platform::kSep, c.size == 5528);
    const settings::AppSettings& s = l.settings;
    EXPECT_TRUE(l.outcome.migrated);
    EXPECT_EQ(l.questions, 1);
    EXPECT_EQ(l.outcome.windowBlockRead, c.windowRead);
    EXPECT_EQ(s.Options.ShowWarnings != 0, c.showWarnings);
    EXPECT_NE(s.ArchiveTypes.on[search::kAce], 0);  // the legacy file has flags for neither
    EXPECT_NE(s.ArchiveTypes.on[search::k7z], 0);
    EXPECT_EQ(s.ArchiveTypes.on[search::kZip] != 0, !c.optionsRead);
    EXPECT_NE(s.ArchiveTypes.on[search::kRar], 0);
    EXPECT_EQ(s.Options.CaseSensitive, c.optionsRead ? 1 : 0);
    EXPECT_EQ(s.Html.background, c.optionsRead ? 0x00102030u : 0x00FFFFFFu);
    EXPECT_EQ(s.FilterIndex, c.optionsRead ? 2 : 1);
    EXPECT_EQ(s.SavePath, c.optionsRead ? "D:\\R\xC3\xA9sum\xC3\xA9\\" : "C:\\");
    // Not in the file: fresh-start values.
    EXPECT_EQ(s.SortType, 0);
    EXPECT_TRUE(s.Columns.dateTime && s.Columns.size && s.Columns.ratio && s.Columns.packed);
    EXPECT_EQ(s.SaveTextWithTabs, 0);
    if (c.windowRead) {
      EXPECT_TRUE(l.outcome.window.placement.maximized);
      EXPECT_EQ(l.outcome.window.placement.top, 20);
      EXPECT_EQ(l.outcome.window.folders, (Texts{"C:\\one", "D:\\two"}));
      EXPECT_EQ(l.outcome.window.files, (Texts{"*.txt"}));
    }
    // Written at once, before the window was shown.
    EXPECT_EQ(store.Written(kMainKey), kMainOrder);
    EXPECT_EQ(store.Find(kMainKey, "Width")->number, 583u);
    EXPECT_EQ(std::filesystem::exists(tree.Path("quillow.cfg")), c.size != 5528);

    Loaded next = Load(store, tree.Root() + platform::kSep);
    EXPECT_TRUE(next.outcome.fromRegistry);
    EXPECT_EQ(next.questions, 0);
  }
}

}  // namespace
}  // namespace quillow::settings
