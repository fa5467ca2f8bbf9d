// Untrusted text through everything after the readers: the two input texts cut into
// patterns and folders, member names matched against them, the rows made from them, every
// sort kind and every layout. Input: three texts separated by zero bytes (pattern text,
// Look-in text, then member names separated by newlines).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "output/display_text.h"
#include "output/ordering.h"
#include "output/writers.h"
#include "search/matching.h"
#include "search/row.h"

namespace {

std::string_view Take(std::string_view& rest) {
  const size_t zero = rest.find('\0');
  const std::string_view part = rest.substr(0, zero);
  rest = zero == std::string_view::npos ? std::string_view() : rest.substr(zero + 1);
  return part;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quillow;
  std::string_view rest(reinterpret_cast<const char*>(data), size);
  const std::string_view findText = Take(rest), lookIn = Take(rest);
  const bool caseSensitive = size > 0 && (data[0] & 1);

  std::string folded = search::LimitInputText(findText);
  if (folded.size() > search::kMaxInputText) std::abort();
  if (!caseSensitive) base::FoldAscii(folded);
  search::PatternSet patterns(caseSensitive);
  const std::vector<std::string> entries = search::CutEntries(folded);
  if (entries.size() > search::kMaxEntries) std::abort();
  for (const std::string& e : entries) patterns.Add(e);
  const std::vector<std::string> folders = search::CutEntries(search::LimitInputText(lookIn));

  std::vector<search::ResultRow> rows;
  uint16_t n = 0;
  while (!rest.empty() && rows.size() < 200) {
    const size_t nl = rest.find('\n');
    const std::string_view name = rest.substr(0, nl);
    rest = nl == std::string_view::npos ? std::string_view() : rest.substr(nl + 1);
    ++n;
    if (!patterns.Matches(name)) continue;
    const std::string container = folders.empty() ? std::string("/c") : folders[n % folders.size()];
    rows.push_back(search::MakeRow(name, container, static_cast<uint16_t>(n * 7919), n, n * 31u, n,
                                   n % 3 == 0, '/', n % 5 != 0));
  }
  std::string scratch;
  for (const search::ResultRow& r : rows) {
    const std::string shown =
        output::EscapeControls(output::ShownFile(r)) +
        output::EscapeControls(output::ShownContainer(r, output::Controls::kKeep, scratch));
    for (char c : shown)
      if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) std::abort();
  }
  for (int kind = 0; kind < output::kSortKinds; ++kind) {
    std::vector<search::ResultRow> sorted = rows;
    output::SortRows(sorted, kind);
    if (sorted.size() != rows.size()) std::abort();
  }
  std::string out;
  output::WriteTextWithSpaces(rows, output::SaveColumns{}, out, output::Controls::kEscape);
  output::WriteTextWithTabs(rows, output::SaveColumns{}, true, out, output::Controls::kEscape);
  output::WriteHtml(rows, output::SaveColumns{}, output::HtmlStyle{}, out);
  return 0;
}
