#include "app/member_extraction.h"

#include <algorithm>

#include "base/separators.h"
#include "output/display_text.h"
#include "ui/dialogs/zipext/zipext.h"
#include "zip/component/zip_component.h"
#include "zip/core/report.h"

namespace quillow::app {

namespace {

// A message box shows so many lines at most before it runs off the screen.
constexpr size_t kReportLines = 20;
constexpr uint16_t kFlagEncrypted = 0x0001;

bool IsFolderName(const std::string& name) { return base::EndsWithSlash(name); }

// The listing keeps names with backslashes for slashes.
std::string ListedForm(std::string name) {
  std::replace(name.begin(), name.end(), '/', '\\');
  return name;
}

bool IsEncrypted(const zip::TZipComponent& zip, const std::string& name) {
  const std::string listed = ListedForm(name);
  for (const zip::ZipDirEntry& entry : zip.ZipEntries)
    if (entry.FileName == listed) return (entry.Flags & kFlagEncrypted) != 0;
  return false;
}

// While the work runs the library's reports come here; the component's own handlers still
// hear them and are back in place afterwards.
class Watch {
 public:
  Watch(zip::TZipComponent& zip, ExtractionOutcome& outcome, ui::ExtractProgress* progress)
      : zip_(zip),
        outcome_(outcome),
        progress_(progress),
        savedProgress_(zip.OnProgress),
        savedMessage_(zip.OnMessage) {
    zip.OnMessage = [this](zip::TZipComponent& sender, int code, const std::string& text) {
      if (code != zip::kNoteInfo && !text.empty()) messages.push_back(text);
      if (savedMessage_) savedMessage_(sender, code, text);
    };
    zip.OnProgress = [this](zip::TZipComponent& sender, zip::ProgrType type,
                            const std::string& file, int32_t size) {
      if (type == zip::ProgressFileStart) started.push_back(file);
      if (type == zip::ProgressBatchEnd) outcome_.libraryRan = true;
      if (progress_) {
        if (type == zip::ProgressFileStart)
          progress_->FileStarted(file, static_cast<int>(started.size()), outcome_.files);
        if (!progress_->KeepGoing()) {
          outcome_.stopped = true;
          sender.CancelRequested = true;
        }
      }
      if (savedProgress_) savedProgress_(sender, type, file, size);
    };
  }
  ~Watch() {
    zip_.OnProgress = std::move(savedProgress_);
    zip_.OnMessage = std::move(savedMessage_);
  }
  Watch(const Watch&) = delete;
  Watch& operator=(const Watch&) = delete;

  std::vector<std::string> messages;
  std::vector<std::string> started;

 private:
  zip::TZipComponent& zip_;
  ExtractionOutcome& outcome_;
  ui::ExtractProgress* progress_;
  zip::TZipComponent::ProgressEvent savedProgress_;
  zip::TZipComponent::MessageEvent savedMessage_;
};

bool Mentioned(const std::vector<std::string>& texts, const std::string& name) {
  return std::any_of(texts.begin(), texts.end(), [&](const std::string& text) {
    return text == name || text.find(name) != std::string::npos;
  });
}

}  // namespace

ExtractionOutcome ExtractMembers(zip::TZipComponent& zip, const std::vector<std::string>& names,
                                 ui::ExtractProgress* progress) {
  ExtractionOutcome outcome;
  std::vector<std::string> plain, encrypted;
  for (const std::string& name : names) {
    (IsEncrypted(zip, name) ? encrypted : plain).push_back(name);
    if (!IsFolderName(name)) ++outcome.files;
  }
  Watch watch(zip, outcome, progress);
  const auto pass = [&](const std::vector<std::string>& batch) {
    if (batch.empty() || outcome.stopped) return;
    zip.FSpecArgs = batch;
    zip.Extract();
    outcome.written += zip.ProcessedCount;
  };
  // A password is never kept from one request to the next.
  zip.Password.clear();
  pass(plain);
  if (!encrypted.empty() && !outcome.stopped) {
    zip.GetExtrPassword();
    pass(encrypted);
    zip.Password.clear();
  }
  zip.FSpecArgs.clear();

  outcome.failures = watch.messages;
  if (outcome.stopped) {
    outcome.failures.push_back(
        "The extraction was stopped; the files after \"" +
        (watch.started.empty() ? std::string("the first") : watch.started.back()) +
        "\" were not extracted.");
  } else if (outcome.libraryRan) {
    // A name the library neither began nor spoke of is no longer in the archive (it
    // changed since the search).
    for (const std::string& name : names) {
      const std::string shown = output::DisplayName(name);
      if (IsFolderName(name) || Mentioned(watch.started, shown) || Mentioned(watch.messages, shown))
        continue;
      outcome.failures.push_back("\"" + shown + "\" is no longer in \"" + zip.ZipFilename() +
                                 "\".");
    }
  }
  return outcome;
}

std::string FailureReport(const ExtractionOutcome& outcome) {
  if (outcome.failures.empty()) return {};
  std::string text;
  if (outcome.files > 1)
    text = std::to_string(outcome.written) + " of " + std::to_string(outcome.files) +
           " files were extracted. Not extracted:\n\n";
  const size_t shown = std::min(outcome.failures.size(), kReportLines);
  for (size_t i = 0; i < shown; ++i) text += outcome.failures[i] + "\n";
  if (outcome.failures.size() > shown)
    text += "... and " + std::to_string(outcome.failures.size() - shown) + " more.\n";
  text.pop_back();
  return text;
}

}  // namespace quillow::app
