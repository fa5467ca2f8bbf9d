#include "output/writers.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>
#include <new>
#include <string_view>

#include "base/ascii.h"
#include "base/separators.h"
#include "output/append.h"
#include "output/display_text.h"

namespace quillow::output {

namespace {

constexpr std::string_view kEol = "\r\n";

bool IsFolderRow(std::string_view container) { return base::EndsWithSlash(container); }

// The file and Archive/Folder cells of one row as shown: views into the row, or into the
// scratch texts when a name had to be decoded or escaped. Reused from row to row, so that
// a layout allocates nothing for the common plain name.
struct Cells {
  Cells() = default;
  Cells(const Cells&) = delete;
  Cells& operator=(const Cells&) = delete;

  void Show(const search::ResultRow& row, Controls controls) {
    file = ShownFile(row, controls, fileScratch);
    container = ShownContainer(row, controls, containerScratch);
  }

  std::string_view file, container;
  std::string fileScratch, containerScratch;
};

void Pad(std::string& out, ptrdiff_t count) {
  // Copying from a row of spaces is several times faster than filling, and the space
  // layout pads every cell.
  static constexpr std::string_view kSpaces = "                                ";
  for (; count > 0; count -= static_cast<ptrdiff_t>(kSpaces.size()))
    out.append(kSpaces.substr(0, std::min(static_cast<size_t>(count), kSpaces.size())));
}

// Padding goes by the columns a fixed-pitch view gives a text, so rows of wide (CJK)
// names line up with the rest.
ptrdiff_t Width(std::string_view text) { return static_cast<ptrdiff_t>(ColumnWidth(text)); }

constexpr bool IsUrlSafe(unsigned char c) {
  if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) return true;
  // Unreserved characters and the path characters a file name commonly holds; '&' is left
  // out so that a URL never needs an entity inside the attribute.
  constexpr std::string_view kSafe = "-._~/:@!$'()*+,;=";
  return kSafe.find(static_cast<char>(c)) != std::string_view::npos;
}

constexpr ByteSet kUrlEscaped = [] {
  ByteSet set{};
  for (unsigned b = 0; b < 256; ++b) set[b] = !IsUrlSafe(static_cast<unsigned char>(b));
  return set;
}();

constexpr ByteSet kHtmlEscaped = MakeByteSet("&<>\"");

void AppendHtmlEscaped(std::string_view text, std::string& out) {
  AppendEscaped(text, kHtmlEscaped, out, [](unsigned char c, std::string& o) {
    switch (c) {
      case '&': o += "&amp;"; break;
      case '<': o += "&lt;"; break;
      case '>': o += "&gt;"; break;
      default: o += "&quot;";
    }
  });
}

// The URL of the path `head` followed by `tail`, without building the joined path.
void AppendFileUrl(std::string_view head, std::string_view tail, std::string& out) {
  auto at = [&](size_t i) {
    return i < head.size() ? head[i] : i - head.size() < tail.size() ? tail[i - head.size()] : '\0';
  };
  auto isSep = [&](size_t i) { return base::IsSlash(at(i)); };
  // A UNC path brings its own "//" before the server name, a POSIX absolute path its own
  // third slash; only a drive path needs all three.
  out += isSep(0) && isSep(1) ? "file:" : isSep(0) ? "file://" : "file:///";
  for (std::string_view part : {head, tail}) {
    AppendEscaped(part, kUrlEscaped, out, [](unsigned char c, std::string& o) {
      if (c == '\\') {
        o += '/';
        return;
      }
      o += '%';
      o += base::kHexDigits[c >> 4];
      o += base::kHexDigits[c & 15];
    });
  }
}

}  // namespace

void AppendColumnNames(const SaveColumns& cols, const std::array<std::string_view, 4>& names,
                       std::string_view before, std::string_view after, std::string& out) {
  const std::array<bool, 4> chosen = cols.Chosen();
  for (size_t c = 0; c < 4; ++c) {
    if (!chosen[c]) continue;
    out += before;
    out += names[c];
    out += after;
  }
}

std::string HtmlColor(uint32_t bgr) {
  std::string s;
  for (int shift : {0, 8, 16}) {
    const unsigned byte = (bgr >> shift) & 0xFF;
    s += base::kHexDigits[byte >> 4];
    s += base::kHexDigits[byte & 15];
  }
  return s;
}

std::string HtmlEscape(std::string_view text) {
  std::string s;
  s.reserve(text.size());
  AppendHtmlEscaped(text, s);
  return s;
}

std::string FileUrl(std::string_view path) {
  std::string url;
  AppendFileUrl(path, {}, url);
  return url;
}

namespace {

constexpr std::array<std::string_view, 4> kSpacedHeaders = {"Date/Time              ",
                                                            "Size          ", "Ratio   ", "Packed"};
constexpr std::array<ptrdiff_t, 4> kSpacedWidths = {23, 14, 8, 0};

// The bytes a padded layout of `count` rows takes for plain names, when its first two
// columns are `w1` and `w2` wide and its last one holds `lastColumnBytes` in all.
size_t SpacedSize(size_t count, ptrdiff_t w1, ptrdiff_t w2, size_t lastColumnBytes) {
  return 128 + count * static_cast<size_t>(w1 + w2 + 23 + 14 + 8 + 2) + lastColumnBytes;
}

void AppendSpacedHeader(const SaveColumns& cols, ptrdiff_t w1, ptrdiff_t w2, std::string& out) {
  out += "File";
  Pad(out, w1 - 4);
  out += "Archive/Folder";
  if (cols.Any()) {
    Pad(out, w2 - 14);
    AppendColumnNames(cols, kSpacedHeaders, {}, {}, out);
  }
  out += kEol;
}

// One line of the padded layout: the two shown cells with their widths, then the texts of
// the optional columns (only the chosen ones are looked at).
void AppendSpacedLine(std::string_view file, ptrdiff_t fileWidth, std::string_view container,
                      ptrdiff_t containerWidth, const std::array<std::string_view, 4>& optional,
                      const SaveColumns& cols, ptrdiff_t w1, ptrdiff_t w2, std::string& out) {
  out += file;
  Pad(out, w1 - fileWidth);
  out += container;
  if (cols.Any()) {
    Pad(out, w2 - containerWidth);
    const std::array<bool, 4> chosen = cols.Chosen();
    for (size_t c = 0; c < 4; ++c) {
      if (!chosen[c]) continue;
      out += optional[c];
      if (kSpacedWidths[c] > 0) Pad(out, kSpacedWidths[c] - Width(optional[c]));
    }
  }
  out += kEol;
}

std::array<std::string_view, 4> OptionalTexts(const search::ResultRow& row) {
  return {row.*kOptionalTexts[0], row.*kOptionalTexts[1], row.*kOptionalTexts[2],
          row.*kOptionalTexts[3]};
}

}  // namespace

void WriteTextWithSpaces(const std::vector<search::ResultRow>& rows, const SaveColumns& cols,
                         TextSink& sink, Controls controls) {
  // The cells are shown twice, once to measure and once to write, rather than kept: that
  // costs a second look at each name but no copy of a million of them.
  Cells cells;
  ptrdiff_t w1 = 0, w2 = 0;
  size_t lastColumnBytes = 0;
  for (const search::ResultRow& row : rows) {
    cells.Show(row, controls);
    w1 = std::max(w1, Width(cells.file));
    w2 = std::max(w2, Width(cells.container));
    lastColumnBytes += row.packed.size();
  }
  w1 += 4;
  w2 += 4;
  // Every line is padded to the widths, so this is the size for plain names.
  std::string& out = sink.text();
  sink.Reserve([&] { return SpacedSize(rows.size(), w1, w2, lastColumnBytes); });
  AppendSpacedHeader(cols, w1, w2, out);
  for (const search::ResultRow& row : rows) {
    cells.Show(row, controls);
    AppendSpacedLine(cells.file, Width(cells.file), cells.container, Width(cells.container),
                     OptionalTexts(row), cols, w1, w2, out);
    if (!sink.RowDone()) return;
  }
  sink.Flush();
}

SpacedTextSpool::SpacedTextSpool(const SaveColumns& cols, Controls controls)
    : cols_(cols), controls_(controls) {}

void SpacedTextSpool::Add(const search::ResultRow& row) {
  const std::string_view file = ShownFile(row, controls_, fileScratch_);
  const std::string_view container = ShownContainer(row, controls_, containerScratch_);
  Record rec{};
  rec.fileBytes = static_cast<uint32_t>(file.size());
  rec.fileWidth = static_cast<uint32_t>(Width(file));
  // The members of one archive come together: their container is kept once.
  const bool same = count_ > 0 && container == lastContainer_;
  if (!same) {
    lastContainer_.assign(container);
    lastContainerWidth_ = static_cast<uint32_t>(Width(container));
  }
  rec.containerBytes = same ? kSameContainer : static_cast<uint32_t>(container.size());
  rec.containerWidth = lastContainerWidth_;
  const std::array<std::string_view, 4> optional = OptionalTexts(row);
  const std::array<bool, 4> chosen = cols_.Chosen();
  size_t bytes = sizeof rec + file.size() + (same ? 0 : container.size());
  for (size_t c = 0; c < 4; ++c) {
    // Dates and numbers: never near the bound, which only keeps the record small.
    const size_t n = chosen[c] ? std::min<size_t>(optional[c].size(), UINT16_MAX) : 0;
    rec.optionalBytes[c] = static_cast<uint16_t>(n);
    bytes += n;
  }
  if (blocks_.empty() || blocks_.back().capacity - blocks_.back().used < bytes) {
    Block fresh;
    fresh.data = platform::AllocateBulk(bytes);
    if (!fresh.data) throw std::bad_alloc();
    fresh.capacity = platform::BulkSize(bytes);
    blocks_.push_back(std::move(fresh));
  }
  Block& block = blocks_.back();
  auto put = [&block](const void* p, size_t n) {
    std::memcpy(block.data.get() + block.used, p, n);
    block.used += n;
  };
  put(&rec, sizeof rec);
  put(file.data(), file.size());
  if (!same) put(container.data(), container.size());
  for (size_t c = 0; c < 4; ++c) put(optional[c].data(), rec.optionalBytes[c]);
  w1_ = std::max<ptrdiff_t>(w1_, rec.fileWidth);
  w2_ = std::max<ptrdiff_t>(w2_, rec.containerWidth);
  lastColumnBytes_ += row.packed.size();
  ++count_;
}

void SpacedTextSpool::Write(TextSink& sink) const {
  const ptrdiff_t w1 = w1_ + 4, w2 = w2_ + 4;
  std::string& out = sink.text();
  sink.Reserve([&] { return SpacedSize(count_, w1, w2, lastColumnBytes_); });
  AppendSpacedHeader(cols_, w1, w2, out);
  std::string_view container;
  for (const Block& block : blocks_) {
    for (size_t at = 0; at < block.used;) {
      Record rec;
      std::memcpy(&rec, block.data.get() + at, sizeof rec);
      at += sizeof rec;
      auto take = [&](size_t n) {
        const std::string_view text(block.data.get() + at, n);
        at += n;
        return text;
      };
      const std::string_view file = take(rec.fileBytes);
      if (rec.containerBytes != kSameContainer) container = take(rec.containerBytes);
      std::array<std::string_view, 4> optional;
      for (size_t c = 0; c < 4; ++c) optional[c] = take(rec.optionalBytes[c]);
      AppendSpacedLine(file, rec.fileWidth, container, rec.containerWidth, optional, cols_, w1, w2,
                       out);
      if (!sink.RowDone()) return;
    }
  }
  sink.Flush();
}

void WriteTabsHeader(const SaveColumns& cols, std::string& out) {
  out += "File\tArchive/Folder";
  AppendColumnNames(cols, {"Date/Time", "Size", "Ratio", "Packed"}, "\t", {}, out);
  out += kEol;
}

namespace {

void AppendTabsRow(const search::ResultRow& row, const std::array<bool, 4>& chosen,
                   Controls controls, Cells& cells, std::string& out) {
  cells.Show(row, controls);
  out += cells.file;
  out += '\t';
  out += cells.container;
  for (size_t c = 0; c < 4; ++c) {
    if (!chosen[c]) continue;
    out += '\t';
    out += row.*kOptionalTexts[c];
  }
  out += kEol;
}

}  // namespace

void WriteTabsRow(const search::ResultRow& row, const SaveColumns& cols, Controls controls,
                  std::string& out) {
  Cells cells;
  AppendTabsRow(row, cols.Chosen(), controls, cells, out);
}

void WriteTextWithTabs(const std::vector<search::ResultRow>& rows, const SaveColumns& cols,
                       bool header, TextSink& sink, Controls controls) {
  std::string& out = sink.text();
  sink.Reserve([&] { return 128 + TextBytes(rows) + rows.size() * 8; });
  if (header) WriteTabsHeader(cols, out);
  const std::array<bool, 4> chosen = cols.Chosen();
  Cells cells;
  for (const search::ResultRow& row : rows) {
    AppendTabsRow(row, chosen, controls, cells, out);
    if (!sink.RowDone()) return;
  }
  sink.Flush();
}

void WriteHtml(const std::vector<search::ResultRow>& rows, const SaveColumns& cols,
               const HtmlStyle& style, TextSink& sink) {
  std::string& out = sink.text();
  // Every row's texts about twice (cells and links) and its markup.
  sink.Reserve([&] { return 512 + 2 * TextBytes(rows) + rows.size() * 112; });
  // The names are UTF-8: said so, a browser shows them right whatever its own default.
  out +=
      "<html>\r\n<head>\r\n<meta charset=\"utf-8\">\r\n<title>Quillow search "
      "results</title>\r\n</head>\r\n";
  out += "<body bgcolor=\"#" + HtmlColor(style.background);
  out += "\" text=\"#" + HtmlColor(style.text);
  out += "\" link=\"#" + HtmlColor(style.link);
  out += "\" vlink=\"#" + HtmlColor(style.visitedLink);
  out += "\" alink=\"#" + HtmlColor(style.activeLink);
  out += "\">\r\n<table cellpadding=5";
  if (style.tableBorders) out += " border=2";
  out += ">\r\n<tr><th>File</th><th>Archive/Folder</th>";
  AppendColumnNames(cols, {"Modified", "Size", "Ratio", "Packed"}, "<th>", "</th>", out);
  out += "</tr>\r\n";

  const std::array<bool, 4> chosen = cols.Chosen();
  Cells cells;
  for (const search::ResultRow& row : rows) {
    cells.Show(row, Controls::kKeep);
    // A folder row's name is a file of its own; an archive member can only be reached
    // through its archive, so only the container links there. Links are made from the bytes
    // the file system gave, so that they reach the file whatever its name's encoding.
    const bool nameLink = style.hyperlinks && IsFolderRow(row.container);
    out += "<tr><td>";
    if (nameLink) {
      out += "<a href=\"";
      AppendFileUrl(row.container, row.file, out);
      out += "\">";
    }
    AppendHtmlEscaped(cells.file, out);
    if (nameLink) out += "</a>";
    out += "</td><td>";
    if (style.hyperlinks) {
      out += "<a href=\"";
      AppendFileUrl(row.container, {}, out);
      out += "\">";
    }
    AppendHtmlEscaped(cells.container, out);
    if (style.hyperlinks) out += "</a>";
    out += "</td>";
    for (size_t c = 0; c < 4; ++c) {
      if (!chosen[c]) continue;
      out += "<td>";
      AppendHtmlEscaped(row.*kOptionalTexts[c], out);
      out += "</td>";
    }
    out += "</tr>\r\n";
    if (!sink.RowDone()) return;
  }
  out += "</table>\r\n</body>\r\n</html>";
  sink.Flush();
}

SaveFormat DecideSaveFormat(std::string& fileName, int filterIndex) {
  // The extension starts at the last "." after the last separator or drive colon.
  const size_t nameStart = fileName.find_last_of("\\/:");
  const size_t dot = fileName.rfind('.');
  const bool hasExtension =
      dot != std::string::npos && (nameStart == std::string::npos || dot > nameStart);
  if (!hasExtension) {
    if (filterIndex == 1) {
      fileName += ".txt";
      return SaveFormat::kText;
    }
    fileName += ".html";
    return SaveFormat::kHtml;
  }
  const std::string_view ext = std::string_view(fileName).substr(dot);
  if (base::EqualsIgnoringAsciiCase(ext, ".txt")) return SaveFormat::kText;
  if (base::EqualsIgnoringAsciiCase(ext, ".htm") || base::EqualsIgnoringAsciiCase(ext, ".html"))
    return SaveFormat::kHtml;
  return filterIndex == 2 ? SaveFormat::kHtml : SaveFormat::kText;
}

}  // namespace quillow::output
