// The saved-results layouts: text padded with spaces, text with tabs, and an HTML page.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "output/display_text.h"
#include "output/text_sink.h"
#include "search/types.h"

namespace quillow::output {

// Optional columns; they are always written in this order after File and Archive/Folder.
struct SaveColumns {
  bool dateTime = true, size = true, ratio = true, packed = true;

  std::array<bool, 4> Chosen() const { return {dateTime, size, ratio, packed}; }
  bool Any() const { return dateTime || size || ratio || packed; }
};

// A row's texts of the optional columns, in their order.
inline constexpr std::array<std::string search::ResultRow::*, 4> kOptionalTexts = {
    &search::ResultRow::modified, &search::ResultRow::size, &search::ResultRow::ratio,
    &search::ResultRow::packed};

// The header cells of the chosen optional columns: for each, `before`, its entry of `names`
// and `after`.
void AppendColumnNames(const SaveColumns& cols, const std::array<std::string_view, 4>& names,
                       std::string_view before, std::string_view after, std::string& out);

struct HtmlStyle {
  uint32_t background = 0x00FFFFFF, text = 0x00000000, link = 0x000000FF, visitedLink = 0x0000FF00,
           activeLink = 0x00FF0000;  // 0x00BBGGRR
  bool hyperlinks = true, tableBorders = true;
};

// Each appends the whole layout to the sink, line ends CR LF (and, for the string forms,
// to `out`).
void WriteTextWithSpaces(const std::vector<search::ResultRow>& rows, const SaveColumns& cols,
                         TextSink& sink, Controls controls = Controls::kKeep);
// The padded text layout for rows that come one at a time, in search order: each row's two
// name cells are kept as shown, with their widths, and its chosen optional texts, in blocks
// that are filled and never moved, so the columns are measured as the rows come and no row
// is kept whole. Write gives the bytes WriteTextWithSpaces gives for the same rows; a
// million rows take a fraction of the memory of the rows themselves.
class SpacedTextSpool {
 public:
  SpacedTextSpool(const SaveColumns& cols, Controls controls);
  void Add(const search::ResultRow& row);
  bool empty() const { return count_ == 0; }
  void Write(TextSink& sink) const;

 private:
  struct Record {
    uint32_t fileBytes, fileWidth, containerBytes, containerWidth;
    std::array<uint16_t, 4> optionalBytes;
  };
  static constexpr size_t kBlock = size_t{1} << 20;
  // The container of the record before (the next member of the same archive).
  static constexpr uint32_t kSameContainer = UINT32_MAX;

  SaveColumns cols_;
  Controls controls_;
  std::vector<std::string> blocks_;
  std::string fileScratch_, containerScratch_, lastContainer_;
  uint32_t lastContainerWidth_ = 0;
  size_t count_ = 0;
  ptrdiff_t w1_ = 0, w2_ = 0;
  size_t lastColumnBytes_ = 0;
};

// `header` is on for the save command and off for the append command.
void WriteTextWithTabs(const std::vector<search::ResultRow>& rows, const SaveColumns& cols,
                       bool header, TextSink& sink, Controls controls = Controls::kKeep);

// The tabs layout line by line, for output written while the search runs.
void WriteTabsHeader(const SaveColumns& cols, std::string& out);
void WriteTabsRow(const search::ResultRow& row, const SaveColumns& cols, Controls controls,
                  std::string& out);
// Cell texts are HTML-escaped and link targets are file:/// URLs: the names come from
// archives and must not be able to inject markup or break a link.
void WriteHtml(const std::vector<search::ResultRow>& rows, const SaveColumns& cols,
               const HtmlStyle& style, TextSink& sink);

inline void WriteTextWithSpaces(const std::vector<search::ResultRow>& rows, const SaveColumns& cols,
                                std::string& out, Controls controls = Controls::kKeep) {
  TextSink sink(out);
  WriteTextWithSpaces(rows, cols, sink, controls);
}
inline void WriteTextWithTabs(const std::vector<search::ResultRow>& rows, const SaveColumns& cols,
                              bool header, std::string& out, Controls controls = Controls::kKeep) {
  TextSink sink(out);
  WriteTextWithTabs(rows, cols, header, sink, controls);
}
inline void WriteHtml(const std::vector<search::ResultRow>& rows, const SaveColumns& cols,
                      const HtmlStyle& style, std::string& out) {
  TextSink sink(out);
  WriteHtml(rows, cols, style, sink);
}

// 0x00BBGGRR -> "RRGGBB", upper-case hex: 0x000000FF -> "FF0000".
std::string HtmlColor(uint32_t bgr);

// Cell text: & < > " as entities.
std::string HtmlEscape(std::string_view text);
// "file:///" and the path with its separators as "/" and every byte outside the URL-safe
// set percent-encoded ("C:\My #1\" -> "file:///C:/My%20%231/").
std::string FileUrl(std::string_view path);

// Portable part of choosing the saved file: the format from the file name's extension and
// the filter index (1 text, 2 HTML); a name without extension gets ".txt" or ".html".
enum class SaveFormat { kText, kHtml };
SaveFormat DecideSaveFormat(std::string& fileName, int filterIndex);

}  // namespace quillow::output
