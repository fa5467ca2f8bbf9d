#include "app/search_handover.h"

#include <exception>

namespace quillow::app {

SearchHandOver::SearchHandOver(std::function<void()> notify) : notify_(std::move(notify)) {}

void SearchHandOver::PushLocked(Step step) {
  steps_.push_back(std::move(step));
  if (!posted_) {
    posted_ = true;
    notify_();
  }
}

void SearchHandOver::Push(Step step) {
  std::lock_guard lock(mutex_);
  if (closed_) return;
  PushLocked(std::move(step));
}

std::string SearchHandOver::PushAndWait(Step step) {
  // The reply is shared: a window that closes while the step is queued never writes into
  // a reply the search thread has already given up on.
  auto reply = std::make_shared<Reply>();
  step.reply = reply;
  std::unique_lock lock(mutex_);
  if (closed_) return {};
  PushLocked(std::move(step));
  answered_.wait(lock, [&] { return reply->done || closed_; });
  return reply->done ? reply->text : std::string();
}

void SearchHandOver::Refuse() { Push(Step(Kind::kRefuse)); }

std::string SearchHandOver::LookInText() { return PushAndWait(Step(Kind::kLookInText)); }

std::string SearchHandOver::FindFilesText() { return PushAndWait(Step(Kind::kFindFilesText)); }

void SearchHandOver::ReplaceLookInText(const std::string& quoted) {
  PushAndWait(Step(Kind::kReplaceLookInText, 0, quoted));
}

void SearchHandOver::RecordHistories(const std::string& findFiles, const std::string& lookIn) {
  PushAndWait(Step(Kind::kRecordHistories, 0, findFiles, lookIn));
}

void SearchHandOver::StartOfSearch() { Push(Step(Kind::kStartOfSearch)); }

void SearchHandOver::ShowElapsed(uint32_t seconds) { Push(Step(Kind::kShowElapsed, seconds)); }

void SearchHandOver::ShowLookingIn(const std::string& folder) {
  Push(Step(Kind::kShowLookingIn, 0, folder));
}

void SearchHandOver::ShowFoundCount(int32_t found) { Push(Step(Kind::kShowFoundCount, found)); }

void SearchHandOver::AddRow(ResultRow&& row) {
  std::lock_guard lock(mutex_);
  if (closed_) return;
  rows_.push_back(std::move(row));
  // Consecutive rows share one step, so a million rows cost one step per drain.
  if (!steps_.empty() && steps_.back().kind == Kind::kRows)
    ++steps_.back().number;
  else
    PushLocked(Step(Kind::kRows, 1));
}

void SearchHandOver::EndOfSearch(int32_t found) { Push(Step(Kind::kEndOfSearch, found)); }

void SearchHandOver::OpenWarnings(const std::string& path) {
  Push(Step(Kind::kOpenWarnings, 0, path));
}

void SearchHandOver::FinalSort() { Push(Step(Kind::kFinalSort)); }

void SearchHandOver::Ended() { Push(Step(Kind::kEnded)); }

void SearchHandOver::Close() {
  std::lock_guard lock(mutex_);
  closed_ = true;
  steps_.clear();
  rows_.clear();
  answered_.notify_all();
}

bool SearchHandOver::Closed() const {
  std::lock_guard lock(mutex_);
  return closed_;
}

bool SearchHandOver::Drain(SearchSteps& window, std::chrono::milliseconds budget) {
  // A step that runs a modal loop (the refusal's message box) may bring the next drain
  // message in; the outer drain carries on with whatever has been queued meanwhile.
  if (draining_) return true;
  draining_ = true;
  const auto deadline = std::chrono::steady_clock::now() + budget;
  std::vector<Step> steps;
  std::vector<ResultRow> rows;
  // A step that fails does not stop the ones after it; the first failure is reported to
  // the caller once the batch is done.
  std::exception_ptr failure;
  for (;;) {
    {
      std::lock_guard lock(mutex_);
      if (closed_ || steps_.empty()) {
        posted_ = false;
        break;
      }
      steps.swap(steps_);
      rows.swap(rows_);
    }
    size_t nextRow = 0;
    for (Step& step : steps) {
      if (Closed()) break;
      try {
        Carry(window, step, rows, nextRow);
      } catch (...) {
        if (!failure) failure = std::current_exception();
      }
    }
    steps.clear();
    rows.clear();
    if (std::chrono::steady_clock::now() >= deadline) {
      draining_ = false;
      if (failure) std::rethrow_exception(failure);
      return false;
    }
  }
  draining_ = false;
  if (failure) std::rethrow_exception(failure);
  return true;
}

void SearchHandOver::Carry(SearchSteps& window, Step& step, std::vector<ResultRow>& rows,
                           size_t& nextRow) {
  // The waiting search is answered whatever happens to the step, or it would wait forever.
  struct Answer {
    SearchHandOver& self;
    Step& step;
    std::string text;
    ~Answer() {
      if (!step.reply) return;
      std::lock_guard lock(self.mutex_);
      step.reply->text = std::move(text);
      step.reply->done = true;
      self.answered_.notify_all();
    }
  } answer{*this, step, {}};
  switch (step.kind) {
    case Kind::kRefuse: window.Refuse(); break;
    case Kind::kLookInText: answer.text = window.LookInText(); break;
    case Kind::kFindFilesText: answer.text = window.FindFilesText(); break;
    case Kind::kReplaceLookInText: window.ReplaceLookInText(step.text); break;
    case Kind::kRecordHistories: window.RecordHistories(step.text, step.text2); break;
    case Kind::kStartOfSearch: window.StartOfSearch(); break;
    case Kind::kShowElapsed: window.ShowElapsed(static_cast<uint32_t>(step.number)); break;
    case Kind::kShowLookingIn: window.ShowLookingIn(step.text); break;
    case Kind::kShowFoundCount: window.ShowFoundCount(static_cast<int32_t>(step.number)); break;
    case Kind::kRows: {
      const size_t count = static_cast<size_t>(step.number);
      const size_t first = nextRow;
      nextRow += count;  // the next step's rows start after these, even if these fail
      window.AppendRows(rows, first, count);
      break;
    }
    case Kind::kEndOfSearch: window.EndOfSearch(static_cast<int32_t>(step.number)); break;
    case Kind::kOpenWarnings: window.OpenWarnings(step.text); break;
    case Kind::kFinalSort: window.FinalSort(); break;
    case Kind::kEnded: window.SearchEnded(); break;
  }
}

}  // namespace quillow::app
