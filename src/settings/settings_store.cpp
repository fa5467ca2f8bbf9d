#include "settings/settings_store.h"

#include <cstring>

#include "output/display_text.h"
#include "platform/fs.h"
#include "search/type_table.h"
#include "settings/legacy_file.h"

namespace quillow::settings {

const char kLegacyQuestion[] =
    "This version of Quillow no longer\nrequires a configuration file since it\nsaves its "
    "configuration in the Windows registry.\nWould you like me to delete the old "
    "configuration file\nfor you? It is no longer useful.\nThis will only be asked once.";

namespace {

// The value of each archive type is named after it, in the scan order.
std::string TypeValue(int i) { return std::string(search::TypeTable()[i].name); }

// A hand-edited key never stops the load: a missing or mistyped number or flag keeps the
// value it had, which is the fresh-start one.
class Reader {
 public:
  explicit Reader(SettingsKey* key) : key_(key) {}
  void Number(const char* name, uint32_t& value) {
    uint32_t v;
    if (key_ && key_->ReadNumber(name, v) == ValueStatus::kOk) value = v;
  }
  void Number(const char* name, int32_t& value) {
    uint32_t v = static_cast<uint32_t>(value);
    Number(name, v);
    value = static_cast<int32_t>(v);
  }
  void Flag(const char* name, uint8_t& flag) {
    uint32_t v = flag;
    Number(name, v);
    flag = v != 0;
  }
  void Flag(const char* name, bool& flag) {
    uint8_t v = flag;
    Flag(name, v);
    flag = v != 0;
  }
  // Missing (or mistyped) texts read as empty.
  std::string Text(const char* name) {
    std::string text;
    if (!key_ || key_->ReadText(name, text) != ValueStatus::kOk) text.clear();
    return text;
  }

 private:
  SettingsKey* key_;
};

class Writer {
 public:
  explicit Writer(SettingsKey* key) : key_(key), ok_(key != nullptr) {}
  void Number(const char* name, uint32_t value) {
    if (key_) ok_ = key_->WriteNumber(name, value) && ok_;
  }
  void Flag(const char* name, bool on) { Number(name, on ? 1 : 0); }
  void Text(const char* name, std::string_view text) {
    if (key_) ok_ = key_->WriteText(name, text) && ok_;
  }
  bool ok() const { return ok_; }

 private:
  SettingsKey* key_;
  bool ok_;
};

void LoadFromRegistry(SettingsKey& main, KeyValueStore& store, AppSettings& s, bool& stateStored) {
  Reader r(&main);
  r.Flag("CaseSensitive", s.Options.CaseSensitive);
  r.Flag("SubFolders", s.Options.SubFolders);
  r.Flag("CountOnly", s.Options.CountOnly);
  r.Number("BackgroundColor", s.Html.background);
  r.Number("TextColor", s.Html.text);
  r.Number("LinkColor", s.Html.link);
  r.Number("VisitedLinkColor", s.Html.visitedLink);
  r.Number("ActiveLinkColor", s.Html.activeLink);
  r.Flag("Hyperlinks", s.Html.hyperlinks);
  r.Flag("TableBorders", s.Html.tableBorders);
  r.Flag("LaunchViewer", s.LaunchViewer);
  uint32_t filter = s.FilterIndex;
  r.Number("FilterIndex", filter);
  s.FilterIndex = static_cast<uint8_t>(filter);  // one byte: 258 is 2
  // Longer than the field holds: the field is left as it was rather than cut to a folder
  // that is not the one stored.
  std::string savePath = r.Text("SavePath");
  if (output::DisplayWidth(savePath) <= kSavePathLimit) s.SavePath = std::move(savePath);
  // Either state is restored; without the value the window keeps the state it is shown in.
  uint32_t maximized = 0;
  if (main.ReadNumber("Maximized", maximized) == ValueStatus::kOk) {
    s.Placement.maximized = maximized != 0;
    stateStored = true;
  }
  r.Number("Width", s.Placement.width);
  r.Number("Height", s.Placement.height);
  r.Number("Left", s.Placement.left);
  r.Number("Top", s.Placement.top);
  r.Flag("ShowWarnings", s.Options.ShowWarnings);
  r.Number("SortType", s.SortType);
  r.Flag("IncludeDateTime", s.Columns.dateTime);
  r.Flag("IncludeSize", s.Columns.size);
  r.Flag("IncludePacked", s.Columns.packed);
  r.Flag("IncludeRatio", s.Columns.ratio);
  r.Flag("SaveTextWithTabs", s.SaveTextWithTabs);
  r.Flag("ZipCentralDirectory", s.Options.ZipCentralDirectory);

  {
    auto types = store.OpenKey(kArchiveTypesKey);
    Reader t(types.get());
    for (int i = 0; i < search::kTypeCount; ++i) t.Flag(TypeValue(i).c_str(), s.ArchiveTypes.on[i]);
  }
  auto old = store.OpenKey(kOldSearchesKey);
  Reader h(old.get());
  s.FolderHistory.clear();
  s.FilesHistory.clear();
  // Values "1" to "10" hold the Look-in texts, the next ten the file names.
  for (size_t n = 1; n <= 2 * kHistoryLimit; ++n) {
    std::string text = h.Text(std::to_string(n).c_str());
    if (!text.empty())
      (n <= kHistoryLimit ? s.FolderHistory : s.FilesHistory).push_back(std::move(text));
  }
}

}  // namespace

LoadOutcome LoadSettings(KeyValueStore& store, const std::string& programFolder,
                         AppSettings& settings, const std::function<bool()>& askDeleteLegacy) {
  LoadOutcome outcome;
  // Every value not stored keeps its fresh-start value; the placement is the form's own.
  AppSettings loaded;
  loaded.Placement = settings.Placement;
  {
    auto main = store.OpenKey(kMainKey);
    if (main && main->HasValue(kMarkerValue)) {
      outcome.fromRegistry = true;
      LoadFromRegistry(*main, store, loaded, outcome.stateStored);
      settings = std::move(loaded);
      return outcome;
    }
  }

  const std::string path = programFolder + kLegacyFileName;
  LegacyBlocks blocks;
  if (ReadLegacyFile(path, loaded, blocks)) {
    outcome.migrated = true;
    outcome.windowBlockRead = blocks.windowBlockRead;
    outcome.window = blocks.window;
    if (askDeleteLegacy && askDeleteLegacy()) platform::DeleteFileAt(path);
    // Written at once, so the question is never asked again: with no histories yet and the
    // form's placement, since the window has not been shown.
    SaveSettings(store, loaded);
  }
  if (!outcome.windowBlockRead) loaded.Options.ShowWarnings = 1;
  settings = std::move(loaded);
  return outcome;
}

bool SaveSettings(KeyValueStore& store, const AppSettings& s) {
  bool ok;
  {
    auto main = store.OpenKey(kMainKey);
    Writer w(main.get());
    w.Text(kMarkerValue, "");
    w.Flag("CaseSensitive", s.Options.CaseSensitive);
    w.Flag("SubFolders", s.Options.SubFolders);
    w.Flag("CountOnly", s.Options.CountOnly);
    w.Number("BackgroundColor", s.Html.background);
    w.Number("TextColor", s.Html.text);
    w.Number("LinkColor", s.Html.link);
    w.Number("VisitedLinkColor", s.Html.visitedLink);
    w.Number("ActiveLinkColor", s.Html.activeLink);
    w.Flag("Hyperlinks", s.Html.hyperlinks);
    w.Flag("TableBorders", s.Html.tableBorders);
    w.Flag("LaunchViewer", s.LaunchViewer);
    w.Number("FilterIndex", s.FilterIndex);
    w.Text("SavePath", s.SavePath);
    w.Flag("Maximized", s.Placement.maximized);
    w.Number("Width", static_cast<uint32_t>(s.Placement.width));
    w.Number("Height", static_cast<uint32_t>(s.Placement.height));
    w.Number("Left", static_cast<uint32_t>(s.Placement.left));
    w.Number("Top", static_cast<uint32_t>(s.Placement.top));
    w.Flag("ShowWarnings", s.Options.ShowWarnings);
    w.Number("SortType", static_cast<uint32_t>(s.SortType));
    w.Flag("IncludeDateTime", s.Columns.dateTime);
    w.Flag("IncludeSize", s.Columns.size);
    w.Flag("IncludePacked", s.Columns.packed);
    w.Flag("IncludeRatio", s.Columns.ratio);
    w.Flag("SaveTextWithTabs", s.SaveTextWithTabs);
    w.Flag("ZipCentralDirectory", s.Options.ZipCentralDirectory);
    ok = w.ok();
  }
  {
    auto types = store.OpenKey(kArchiveTypesKey);
    Writer w(types.get());
    for (int i = 0; i < search::kTypeCount; ++i) w.Flag(TypeValue(i).c_str(), s.ArchiveTypes.on[i]);
    ok = w.ok() && ok;
  }
  auto old = store.OpenKey(kOldSearchesKey);
  Writer w(old.get());
  for (size_t n = 1; n <= 2 * kHistoryLimit; ++n) {
    const auto& list = n <= kHistoryLimit ? s.FolderHistory : s.FilesHistory;
    const size_t item = (n - 1) % kHistoryLimit;
    w.Text(std::to_string(n).c_str(), item < list.size() ? std::string_view(list[item]) : "");
  }
  return w.ok() && ok;
}

}  // namespace quillow::settings
