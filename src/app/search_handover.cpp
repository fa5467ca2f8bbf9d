#include "app/search_handover.h"

namespace quillow::app {

void SearchHandOver::Post(UiTaskQueue::Task task) {
  std::lock_guard lock(mutex_);
  batch_.reset();
  queue_.Post(std::move(task));
}

void SearchHandOver::Wait(UiTaskQueue::Task task) {
  {
    std::lock_guard lock(mutex_);
    batch_.reset();
  }
  queue_.Call(std::move(task));
}

std::string SearchHandOver::Ask(std::string (search::SearchHost::*read)()) {
  std::string answer;  // stays empty when the window has gone
  Wait([this, read, &answer] { answer = (window_.*read)(); });
  return answer;
}

void SearchHandOver::Refuse() {
  Post([this] { window_.Refuse(); });
}

std::string SearchHandOver::LookInText() { return Ask(&search::SearchHost::LookInText); }

std::string SearchHandOver::FindFilesText() { return Ask(&search::SearchHost::FindFilesText); }

void SearchHandOver::ReplaceLookInText(const std::string& quoted) {
  Wait([this, quoted] { window_.ReplaceLookInText(quoted); });
}

void SearchHandOver::RecordHistories(const std::string& findFiles, const std::string& lookIn) {
  Wait([this, findFiles, lookIn] { window_.RecordHistories(findFiles, lookIn); });
}

void SearchHandOver::StartOfSearch() {
  Post([this] { window_.StartOfSearch(); });
}

void SearchHandOver::ShowElapsed(uint32_t seconds) {
  queue_.PostState(kElapsedPanel, [this, seconds] { window_.ShowElapsed(seconds); });
}

void SearchHandOver::ShowLookingIn(const std::string& folder) {
  queue_.PostState(kActivityPanel, [this, folder] { window_.ShowLookingIn(folder); });
}

// The same panel: it takes the place of a "Looking in" text not yet drawn.
void SearchHandOver::ShowNotSearched(const std::string& text) {
  queue_.PostState(kActivityPanel, [this, text] { window_.ShowNotSearched(text); });
}

void SearchHandOver::ShowFoundCount(int32_t found) {
  queue_.PostState(kFoundPanel, [this, found] { window_.ShowFoundCount(found); });
}

void SearchHandOver::AddRow(search::ResultRow&& row) {
  if (queue_.Closed()) return;  // nobody would ever take the rows
  std::lock_guard lock(mutex_);
  if (!batch_ || batch_->taken) {
    batch_ = std::make_shared<RowBatch>();
    queue_.Post(
        [this, batch = batch_] {
          std::vector<search::ResultRow> rows;
          {
            std::lock_guard lock(mutex_);
            batch->taken = true;
            rows.swap(batch->rows);
          }
          window_.AddRows(std::move(rows));
        },
        UiTaskQueue::After::kAnyTime);
  }
  batch_->rows.push_back(std::move(row));
}

void SearchHandOver::EndOfSearch(int32_t found) {
  Post([this, found] { window_.EndOfSearch(found); });
}

void SearchHandOver::OpenWarnings(const std::string& path) {
  Post([this, path] { window_.OpenWarnings(path); });
}

void SearchHandOver::FinalSort() {
  Post([this] { window_.FinalSort(); });
}

}  // namespace quillow::app
