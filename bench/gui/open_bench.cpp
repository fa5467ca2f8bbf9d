// Opening a ZIP member by double click: the time from the double click to the shell's "open"
// call, for a member of a big archive and for the same member alone in a small one (the
// baseline), then where the big archive's time goes: the component's listing, and the
// extraction. Not a test: it measures.
// Usage: open_bench FOLDER MEMBER DLLFOLDER RUNS
//   FOLDER holds big.zip and one.zip, both with MEMBER (its name as stored).
#include <windows.h>

#include <commctrl.h>
#include <objbase.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/result_form.h"
#include "settings/memory_store.h"
#include "zip/component/zip_component.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty()      ? 0
         : v.size() % 2 ? v[v.size() / 2]
                        : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

class TimingShell final : public quillow::ui::Shell {
 public:
  INT_PTR Open(HWND, const std::string& path, int) override {
    at = Clock::now();
    opened = path;
    return 33;
  }
  Clock::time_point at;
  std::string opened;
};

// Prints what the window would have shown, and says yes to questions.
class PrintingBoxes final : public quillow::ui::MessageBoxes {
 public:
  int Show(HWND, const std::string& text, const std::string& title, UINT) override {
    std::printf("message box \"%s\": %s\n", title.c_str(), text.c_str());
    return IDYES;
  }
};

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) return 2;
  const std::string folder = argv[1], member = argv[2], dllFolder = argv[3];
  const int runs = std::max(1, std::atoi(argv[4]));
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);

  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  TimingShell shell;
  PrintingBoxes boxes;
  quillow::settings::MemoryStore store;
  quillow::app::FormServices services;
  services.programFolder = temp;
  services.shell = &shell;
  services.messages = &boxes;
  services.settingsStore = &store;
  quillow::app::TResultForm form(services);
  if (!form.Create()) return 1;
  form.Show(SW_SHOWNORMAL);
  form.ZipComponent->SetDLLDirectory(dllFolder);

  // The copy every extraction below makes; one left from an earlier run would bring up the
  // overwrite question.
  const size_t slash = member.find_last_of('/');
  const std::string copy = std::string(temp) + member.substr(slash + 1);
  DeleteFileA(copy.c_str());

  // The rows come from a real search of the folder.
  // Blanks separate patterns: each stands for any one character here.
  std::string pattern = slash == std::string::npos ? member : member.substr(slash + 1);
  std::replace(pattern.begin(), pattern.end(), ' ', '?');
  form.Files.SetText(pattern);
  form.Folder.SetText(folder);
  form.FilesChange();
  const auto searchStart = Clock::now();
  form.BeginSearchClick();
  while (form.SearchThreadAlive() || form.BeginSearch.Text() != "Begin Search") Pump();
  std::printf("search: %zu rows in %.0f ms (not timed below)\n", form.Rows().size(),
              Ms(Clock::now() - searchStart));

  auto timeOpening = [&](const char* archive) -> double {
    const std::string path = folder + "\\" + archive;
    size_t row = form.Rows().size();
    for (size_t i = 0; i < form.Rows().size(); ++i)
      if (form.Rows()[i].container == path && form.Rows()[i].file == member) row = i;
    if (row == form.Rows().size()) {
      std::printf("%s: no row for %s\n", path.c_str(), member.c_str());
      return -1;
    }
    form.Results.ClearSelection();
    form.Results.Select(row, true);
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
      // Each run extracts: the copy of the last one is gone and forgotten.
      for (const std::string& file : form.TemporaryFiles()) DeleteFileA(file.c_str());
      form.TemporaryFiles().clear();
      shell.opened.clear();
      const auto start = Clock::now();
      form.ResultsDblClick();
      if (shell.opened.empty()) {
        std::printf("%s: the shell was not called\n", archive);
        return -1;
      }
      times.push_back(Ms(shell.at - start));
    }
    const double median = Median(times);
    std::printf("%s: double click to shell call, median of %d: %.1f ms (min %.1f, max %.1f)\n",
                archive, runs, median, *std::min_element(times.begin(), times.end()),
                *std::max_element(times.begin(), times.end()));
    return median;
  };
  const double small = timeOpening("one.zip");
  const double big = timeOpening("big.zip");
  if (small > 0 && big > 0) std::printf("ratio big/one: %.2f\n", big / small);

  // Where the big archive's time goes.
  quillow::zip::TZipComponent& zip = *form.ZipComponent;
  std::vector<double> listing, extraction;
  for (int i = 0; i < runs; ++i) {
    auto start = Clock::now();
    zip.SetZipFilename(folder + "\\big.zip");
    listing.push_back(Ms(Clock::now() - start));
    zip.ExtrOptions = quillow::zip::ExtrOpts{quillow::zip::ExtrOverWrite};
    zip.ExtrBaseDir = temp;
    zip.FSpecArgs = {member};
    start = Clock::now();
    zip.Extract();
    extraction.push_back(Ms(Clock::now() - start));
  }
  std::printf("big.zip: component listing (%d entries) median %.1f ms, extraction median %.1f ms\n",
              zip.GetCount(), Median(listing), Median(extraction));
  DeleteFileA(copy.c_str());
  form.TemporaryFiles().clear();
  return 0;
}
