// quillow-find: the search engine on the command line.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/options.h"
#include "output/data_formats.h"
#include "output/ordering.h"
#include "output/writers.h"
#include "platform/fs.h"
#include "search/search_thread.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#include <shellapi.h>

#include "platform/win32/text.h"
#endif

namespace {

using namespace quillow;

class ConsoleHost final : public SearchHost {
 public:
  explicit ConsoleHost(const cli::Options& o) : options_(o) {}

  void Refuse() override { refused_ = true; }
  std::string LookInText() override {
    return options_.lookInGiven ? options_.lookInText : platform::CurrentFolder();
  }
  std::string FindFilesText() override { return options_.findText; }
  void ReplaceLookInText(const std::string&) override {}
  void RecordHistories(const std::string&, const std::string&) override {}
  void StartOfSearch() override { started_ = true; }
  void ShowElapsed(uint32_t) override {}
  void ShowLookingIn(const std::string&) override {}
  void ShowFoundCount(int32_t) override {}
  void AddRow(ResultRow&& row) override { rows_.push_back(std::move(row)); }
  void EndOfSearch(int32_t found) override { found_ = found; }
  void OpenWarnings(const std::string&) override {}
  void FinalSort() override { SortRows(rows_, options_.sortKind); }
  void WarningLine(const std::string& line) override {
    std::fputs(line.c_str(), stderr);
    std::fputc('\n', stderr);
  }

  bool refused() const { return refused_; }
  bool started() const { return started_; }
  int32_t found() const { return found_; }
  const std::vector<ResultRow>& rows() const { return rows_; }

 private:
  const cli::Options& options_;
  bool refused_ = false;
  bool started_ = false;
  int32_t found_ = 0;
  std::vector<ResultRow> rows_;
};

int Run(const std::vector<std::string>& args) {
  cli::Options options;
  std::string error;
  if (!cli::ParseArguments(args, options, error)) {
    std::fprintf(stderr, "quillow-find: %s\nTry 'quillow-find --help'.\n", error.c_str());
    return 2;
  }
  if (options.help) {
    std::fputs(cli::kUsage, stdout);
    return 0;
  }
  if (options.version) {
    std::printf("quillow-find %s\n", QUILLOW_VERSION);
    return 0;
  }

  ConsoleHost host(options);
  // No warnings file: the lines go to standard error as they come.
  SearchThread search(host, options.search, options.types, std::string());
  search.Run();
  if (host.refused()) {
    std::fprintf(stderr, "%s\n", kRefusalText);
    return 2;
  }
  if (!host.started()) {
    std::fputs("quillow-find: FIND-TEXT names no file (a pattern has no name before its extension)\n",
               stderr);
    return 2;
  }

  std::string out;
  if (!options.search.CountOnly) {
    switch (options.format) {
      case cli::Format::kText: WriteTextWithSpaces(host.rows(), options.columns, out); break;
      case cli::Format::kTabs: WriteTextWithTabs(host.rows(), options.columns, true, out); break;
      case cli::Format::kHtml: {
        HtmlStyle style;
        WriteHtml(host.rows(), options.columns, style, out);
        break;
      }
      case cli::Format::kCsv:
        WriteCsvHeader(options.columns, out);
        for (const ResultRow& row : host.rows()) WriteCsvRow(row, options.columns, out);
        break;
      case cli::Format::kJson:
        for (const ResultRow& row : host.rows()) WriteJsonRow(row, out);
        break;
    }
  }
  std::fwrite(out.data(), 1, out.size(), stdout);
  std::fflush(stdout);
  std::fprintf(stderr, "%s\n", FoundCountText(host.found()).c_str());
  return host.found() > 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args;
#ifdef _WIN32
  // Arguments in any script: take the wide command line, hand UTF-8 inward.
  (void)argv;
  int wargc = 0;
  LPWSTR* wargv = CommandLineToArgvW(GetCommandLineW(), &wargc);
  for (int i = 1; wargv && i < wargc; ++i) args.push_back(platform::Narrow(wargv[i]));
  if (wargv) LocalFree(wargv);
  // The layouts carry their own CR LF line ends.
  _setmode(_fileno(stdout), _O_BINARY);
  SetConsoleOutputCP(CP_UTF8);
  (void)argc;
#else
  args.assign(argv + 1, argv + argc);
#endif
  return Run(args);
}
