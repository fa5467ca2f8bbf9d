// Running a search: "Begin Search" / "Stop Search" and the steps the search asks of the
// window, carried out here on the user-interface thread in the order they were asked for.
#include <windows.h>

#include <commctrl.h>

#include <chrono>
#include <utility>

#include "app/ids.h"
#include "app/result_form.h"

namespace quillow::app {

namespace {

// How long one run of the queue may hold the window before input and painting get their
// turn (it yields at once when a click or key is waiting).
constexpr std::chrono::milliseconds kQueueBudget{40};

bool InputWaiting() { return HIWORD(GetQueueStatus(QS_KEY | QS_MOUSEBUTTON)) != 0; }

}  // namespace

bool TResultForm::Searching() const { return BeginSearch.Text() == kStopSearchCaption; }

void TResultForm::BeginSearchClick() {
  if (BeginSearch.Text() == kBeginSearchCaption) {
    // The thread of the last search may not have ended yet, even though its caption is
    // back (or not yet changed): a second search waits for it to end.
    if (searchAlive_) return;
    search_.reset();
    search::SearchHost& host = wrappedHost_ ? *wrappedHost_ : handOver_;
    search_ = std::make_unique<SearchRun>(
        queue_, host, Settings.Options, Settings.ArchiveTypes, WarningsPath(),
        [this](search::SearchOutcome outcome, const std::string& failure) {
          SearchEnded(outcome, failure);
        },
        startFolder_);
    searchAlive_ = true;
    search_->Start();
  } else if (search_) {
    search_->RequestStop();
  }
}

void TResultForm::RunQueue() {
  // The timer keeps its rhythm while work keeps coming (setting it again each run would cost
  // a trip to the system and push the next run back).
  auto keepTimer = [this](bool on) {
    if (!hwnd_ || on == queueTimerOn_) return;
    if (on)
      SetTimer(hwnd_, kQueueTimer, kQueueTimerPeriod, nullptr);
    else
      KillTimer(hwnd_, kQueueTimer);
    queueTimerOn_ = on;
  };
  bool idle = false;
  try {
    idle = queue_.Run(kQueueBudget, InputWaiting);
  } catch (...) {
    // Whatever is still queued must not wait for a wake-up that will not come.
    keepTimer(true);
    throw;
  }
  // Rows the list has not heard of yet come back on the timer, even when nothing else does.
  const bool rowsWaiting = resultList_.ListNewRows(false);
  keepTimer(!idle || rowsWaiting);
}

void TResultForm::Refuse() { messages_.Show(hwnd_, search::kRefusalText, "Error", MB_OK); }

std::string TResultForm::LookInText() { return Folder.Text(); }

std::string TResultForm::FindFilesText() { return Files.Text(); }

void TResultForm::ReplaceLookInText(const std::string& quoted) {
  Folder.SetText(quoted);
  FolderChange();
}

void TResultForm::RecordHistories(const std::string& findFiles, const std::string& lookIn) {
  RecordHistory(Files, findFiles);
  RecordHistory(Folder, lookIn);
}

void TResultForm::StartOfSearch() {
  StatusBar1.SetPanelText(kFoundPanel, "");
  StatusBar1.SetPanelText(kElapsedPanel, search::ElapsedText(0));
  StatusBar1.SetPanelText(kActivityPanel, search::kClearingItems);
  BeginSearch.SetText(kStopSearchCaption);
  menu_.EnableOutputCommands(false);
  menu_.EnableOptionsMenu(false);
  resultList_.Clear();
}

void TResultForm::ShowElapsed(uint32_t seconds) {
  StatusBar1.SetPanelText(kElapsedPanel, search::ElapsedText(seconds));
}

void TResultForm::ShowLookingIn(const std::string& folder) {
  StatusBar1.SetPanelText(kActivityPanel, search::kLookingIn + folder);
}

void TResultForm::ShowNotSearched(const std::string& text) {
  StatusBar1.SetPanelText(kActivityPanel, text);
}

void TResultForm::ShowFoundCount(int32_t found) {
  StatusBar1.SetPanelText(kFoundPanel, search::FoundCountText(found));
}

void TResultForm::AddRow(search::ResultRow&& row) { resultList_.Add(std::move(row)); }

void TResultForm::AddRows(std::vector<search::ResultRow>&& rows) {
  resultList_.Add(std::move(rows));
}

void TResultForm::EndOfSearch(int32_t found) {
  // Everything that reads the list from here on (selection, sort, save) sees every row.
  resultList_.ListNewRows(true);
  BeginSearch.SetText(kBeginSearchCaption);
  if (Files.Text().empty()) BeginSearch.Enable(false);
  menu_.EnableOptionsMenu(true);
  StatusBar1.SetPanelText(kFoundPanel, search::FoundCountText(found));
  if (found > 0 && !Settings.Options.CountOnly) menu_.EnableOutputCommands(true);
}

void TResultForm::OpenWarnings(const std::string& path) { shell_.Open(hwnd_, path, SW_SHOW); }

void TResultForm::FinalSort() { SortResults(); }

void TResultForm::SearchEnded(search::SearchOutcome outcome, const std::string& failure) {
  if (search_) search_->Join();
  searchAlive_ = false;
  resultList_.ListNewRows(true);  // a search that failed has no end-of-search step
  if (outcome == search::SearchOutcome::kFailed)
    messages_.Show(hwnd_, "The search ended because of an error: " + failure, "Error",
                   MB_OK | MB_ICONERROR);
}

}  // namespace quillow::app
