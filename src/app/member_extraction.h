// The window's extraction of chosen ZIP members through its component, for "Extract" and
// for opening alike. The names go to the library exactly as stored, so a name holding '*'
// or '?' stands for that member only. Encrypted members are extracted after the others,
// with the password asked once; what was not written is gathered with the library's
// reasons, so the window can say it in one message.
#pragma once

#include <string>
#include <vector>

namespace quillow::ui {
class ExtractProgress;
}  // namespace quillow::ui
namespace quillow::zip {
class TZipComponent;
}  // namespace quillow::zip

namespace quillow::app {

struct ExtractionOutcome {
  int files = 0;                      // files asked for (folder entries not counted)
  int written = 0;                    // files the library wrote
  bool libraryRan = false;            // false: the component has told why it could not start
  bool stopped = false;               // the user stopped the work
  std::vector<std::string> failures;  // one line per member not written, and why
};

// Extracts `names` (stored names) from the component's archive into its ExtrBaseDir with
// its ExtrOptions. `progress` (may be null) sees each file begin and may stop the work.
ExtractionOutcome ExtractMembers(zip::TZipComponent& zip, const std::vector<std::string>& names,
                                 ui::ExtractProgress* progress);

// The one message that tells what an extraction left out; empty when nothing was.
std::string FailureReport(const ExtractionOutcome& outcome);

}  // namespace quillow::app
