// quillow-find: the search engine on the command line.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "cli/options.h"
#include "output/data_formats.h"
#include "output/display_text.h"
#include "output/ordering.h"
#include "output/writers.h"
#include "platform/console.h"
#include "platform/fs.h"
#include "search/matching.h"
#include "search/search_thread.h"

namespace {

using namespace quillow;

void Say(const std::string& text) { std::fputs(("quillow-find: " + text + "\n").c_str(), stderr); }

// Standard output through one buffer; every write and the final flush are checked, since
// results that never arrived must not be reported as a success.
class Output {
 public:
  void Put(std::string_view text) {
    if (failed_) return;
    if (buffer_.empty() && text.size() >= kFlushAt) {
      // A chunk big enough on its own needs no copy through the buffer.
      if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size()) Fail();
      return;
    }
    buffer_ += text;
    if (buffer_.size() >= kFlushAt) Flush();
  }
  bool Flush() {
    if (failed_) return false;
    if (!buffer_.empty() &&
        std::fwrite(buffer_.data(), 1, buffer_.size(), stdout) != buffer_.size())
      Fail();
    buffer_.clear();
    if (!failed_ && std::fflush(stdout) != 0) Fail();
    return !failed_;
  }
  bool failed() const { return failed_; }
  const std::string& error() const { return error_; }

 private:
  static constexpr size_t kFlushAt = 64 * 1024;
  void Fail() {
    failed_ = true;
    error_ = std::strerror(errno);
  }
  std::string buffer_;
  bool failed_ = false;
  std::string error_;
};

// A layout that can be written row by row, as the rows are found: one line for its header
// and one per row.
struct StreamingLayout {
  std::function<void(std::string&)> header;
  std::function<void(const search::ResultRow&, std::string&)> row;
};

// Only the search order can be written before the search ends, and only by a layout whose
// lines do not depend on the other rows (the padded text layout measures them all first).
std::optional<StreamingLayout> StreamingFor(const cli::Options& o) {
  if (o.search.CountOnly || o.sortKind != 0) return std::nullopt;
  const output::SaveColumns cols = o.columns;
  switch (o.format) {
    case cli::Format::kTabs:
      return StreamingLayout{[cols](std::string& out) { output::WriteTabsHeader(cols, out); },
                             [cols](const search::ResultRow& r, std::string& out) {
                               output::WriteTabsRow(r, cols, output::Controls::kEscape, out);
                             }};
    case cli::Format::kCsv:
      return StreamingLayout{[cols](std::string& out) { output::WriteCsvHeader(cols, out); },
                             [cols](const search::ResultRow& r, std::string& out) {
                               output::WriteCsvRow(r, cols, out);
                             }};
    case cli::Format::kJson:
      return StreamingLayout{
          [](std::string&) {},
          [](const search::ResultRow& r, std::string& out) { output::WriteJsonRow(r, out); }};
    default: return std::nullopt;
  }
}

class ConsoleHost final : public search::SearchHost {
 public:
  ConsoleHost(const cli::Options& o, Output& out)
      : options_(o), out_(out), stream_(StreamingFor(o)) {
    // The padded layout in search order keeps only what it will write, not the rows.
    if (o.format == cli::Format::kText && o.sortKind == 0 && !o.search.CountOnly)
      spool_.emplace(o.columns, output::Controls::kEscape);
  }

  void Refuse() override { refused_ = true; }
  // Without a LOOK-IN-TEXT the current folder is searched as ".", which the search finds
  // from the folder it starts in, however long its path or whatever it holds.
  std::string LookInText() override { return options_.lookInGiven ? options_.lookInText : "."; }
  std::string FindFilesText() override { return options_.findText; }
  void ReplaceLookInText(const std::string&) override {}
  void RecordHistories(const std::string&, const std::string&) override {}
  void StartOfSearch() override { started_ = true; }
  void ShowElapsed(uint32_t) override {}
  void ShowLookingIn(const std::string&) override {}
  void ShowFoundCount(int32_t) override {}
  void AddRow(search::ResultRow&& row) override {
    if (spool_) {
      spool_->Add(row);
      return;
    }
    if (!stream_) {
      rows_.push_back(std::move(row));
      return;
    }
    // No header before the first row: a search without hits writes nothing.
    if (!wroteHeader_) {
      stream_->header(line_);
      wroteHeader_ = true;
    }
    stream_->row(row, line_);
    out_.Put(line_);
    line_.clear();
    if (out_.failed() && search_) search_->RequestStop();
  }
  void EndOfSearch(int32_t found) override { found_ = found; }
  void OpenWarnings(const std::string&) override {}
  void FinalSort() override { output::SortRows(rows_, options_.sortKind); }
  void WarningLine(const std::string& line) override { Say(output::EscapeControls(line)); }

  void Attach(search::SearchThread& search) { search_ = &search; }
  bool refused() const { return refused_; }
  bool started() const { return started_; }
  int32_t found() const { return found_; }
  bool streamed() const { return stream_.has_value(); }
  const std::vector<search::ResultRow>& rows() const { return rows_; }
  const std::optional<output::SpacedTextSpool>& spool() const { return spool_; }

 private:
  const cli::Options& options_;
  Output& out_;
  std::optional<StreamingLayout> stream_;
  std::optional<output::SpacedTextSpool> spool_;
  search::SearchThread* search_ = nullptr;
  bool refused_ = false;
  bool started_ = false;
  bool wroteHeader_ = false;
  int32_t found_ = 0;
  std::string line_;
  std::vector<search::ResultRow> rows_;
};

// The window's input boxes cut their texts silently; on the command line a cut text would
// give a false "No files found.", so each cut is told.
void TellCuts(const char* what, const std::string& text, const char* entries) {
  if (text.size() > search::kMaxInputText)
    Say(std::string(what) + " cut at " + std::to_string(search::kMaxInputText) +
        " characters; what follows is not used");
  const size_t count = search::CutEntries(search::LimitInputText(text), SIZE_MAX).size();
  if (count > search::kMaxEntries)
    Say(std::string(what) + " holds " + std::to_string(count) + " " + entries +
        "; only the first " + std::to_string(search::kMaxEntries) + " are used");
}

// Look-in entries that name no folder the search can read, each with the system's reason.
// The search would pass them over in silence. True when there was one.
bool TellUnreadableFolders(const std::string& lookIn) {
  platform::StartFolder start;
  const std::string text = search::LimitInputText(lookIn);
  std::vector<std::string> entries;
  platform::FolderListing whole;
  // As the search does: a whole text that names a folder is one entry, spaces and all.
  if (text.find(' ') != std::string::npos && whole.Enter(start, text))
    entries.push_back(text);
  else
    entries = search::CutEntries(text);
  bool any = false;
  for (std::string& entry : entries) {
    if (entry.empty()) continue;
    platform::ToNativeSeparators(entry);
    platform::FolderListing listing;
    if (listing.Enter(start, entry) && listing.Read()) continue;
    Say("LOOK-IN-TEXT entry \"" + output::EscapeControls(entry) + "\": " + listing.LastError());
    any = true;
  }
  // Entering a folder may have made it current; the search starts from where we were.
  if (platform::CurrentFolder() != start.Path()) platform::SetCurrentFolder(start.Path());
  return any;
}

// A sink that hands its chunks to standard output.
output::TextSink OutputSink(std::string& chunk, Output& out) {
  return output::TextSink(chunk, [&out](std::string_view bytes) {
    out.Put(bytes);
    return !out.failed();
  });
}

void WriteCollected(const cli::Options& options, const std::vector<search::ResultRow>& rows,
                    Output& out) {
  if (rows.empty()) return;
  std::string chunk;
  output::TextSink sink = OutputSink(chunk, out);
  switch (options.format) {
    case cli::Format::kText:
      output::WriteTextWithSpaces(rows, options.columns, sink, output::Controls::kEscape);
      break;
    case cli::Format::kTabs:
      output::WriteTextWithTabs(rows, options.columns, true, sink, output::Controls::kEscape);
      break;
    case cli::Format::kHtml: {
      output::HtmlStyle style;
      output::WriteHtml(rows, options.columns, style, sink);
      break;
    }
    case cli::Format::kCsv: output::WriteCsv(rows, options.columns, sink); break;
    case cli::Format::kJson: output::WriteJson(rows, sink); break;
  }
}

int Run(const std::vector<std::string>& args) {
  cli::Options options;
  std::string error;
  if (!cli::ParseArguments(args, options, error)) {
    std::fprintf(stderr, "quillow-find: %s\nTry 'quillow-find --help'.\n", error.c_str());
    return 2;
  }
  Output out;
  if (options.help || options.version) {
    out.Put(options.help ? cli::Usage() : std::string("quillow-find ") + QUILLOW_VERSION + "\n");
    if (out.Flush()) return 0;
    Say("cannot write to standard output: " + out.error());
    return 2;
  }

  bool badLookIn = false;
  if (options.types.Any()) {
    TellCuts("FIND-TEXT", options.findText, "patterns");
    if (options.lookInGiven) {
      TellCuts("LOOK-IN-TEXT", options.lookInText, "folders");
      badLookIn = TellUnreadableFolders(options.lookInText);
    }
  }

  ConsoleHost host(options, out);
  // No warnings file: the lines go to standard error as they come.
  search::SearchThread search(host, options.search, options.types, std::string());
  host.Attach(search);
  search.Run();
  if (host.refused()) {
    std::fprintf(stderr, "%s\n", search::kRefusalText);
    Say("choose the sources to search with -t, e.g. -t ZIP,Folders");
    return 2;
  }
  if (!host.started()) {
    Say("FIND-TEXT names no file (a pattern has no name before its extension)");
    return 2;
  }

  if (host.spool()) {
    std::string chunk;
    output::TextSink sink = OutputSink(chunk, out);
    if (!host.spool()->empty()) host.spool()->Write(sink);
  } else if (!host.streamed() && !options.search.CountOnly) {
    WriteCollected(options, host.rows(), out);
  }
  if (!out.Flush()) {
    Say("cannot write the results to standard output: " + out.error());
    return 2;
  }
  std::fprintf(stderr, "%s\n", search::FoundCountText(host.found()).c_str());
  if (host.found() > 0) return 0;
  return badLookIn ? 2 : 1;
}

}  // namespace

int main(int argc, char** argv) { return Run(quillow::platform::StartConsoleProgram(argc, argv)); }
