#include "output/writers.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <string_view>

#include "base/ascii.h"
#include "output/display_text.h"

namespace quillow {

namespace {

constexpr std::string_view kEol = "\r\n";

// Display texts of one row, in column order, with the optional ones kept only when chosen.
struct ShownRow {
  std::string file, container;
  std::vector<std::string> extra;
};

std::vector<std::string_view> OptionalTexts(const ResultRow& row, const SaveColumns& cols) {
  std::vector<std::string_view> texts;
  if (cols.dateTime) texts.push_back(row.modified);
  if (cols.size) texts.push_back(row.size);
  if (cols.ratio) texts.push_back(row.ratio);
  if (cols.packed) texts.push_back(row.packed);
  return texts;
}

ShownRow Show(const ResultRow& row, const SaveColumns& cols, Controls controls) {
  ShownRow shown{ShownFile(row), ShownContainer(row), {}};
  for (std::string_view t : OptionalTexts(row, cols)) shown.extra.emplace_back(t);
  if (controls == Controls::kEscape) {
    shown.file = EscapeControls(shown.file);
    shown.container = EscapeControls(shown.container);
  }
  return shown;
}

bool AnyOptional(const SaveColumns& cols) {
  return cols.dateTime || cols.size || cols.ratio || cols.packed;
}

void Pad(std::string& out, ptrdiff_t count) {
  if (count > 0) out.append(static_cast<size_t>(count), ' ');
}

ptrdiff_t Width(std::string_view text) { return static_cast<ptrdiff_t>(DisplayWidth(text)); }

bool IsFolderRow(std::string_view container) {
  return !container.empty() && (container.back() == '\\' || container.back() == '/');
}

}  // namespace

std::string ShownFile(const ResultRow& row) {
  return IsFolderRow(row.container) ? row.file : DisplayName(row.file);
}
std::string ShownContainer(const ResultRow& row) { return row.container; }

namespace {

bool IsUrlSafe(unsigned char c) {
  if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) return true;
  // Unreserved characters and the path characters a file name commonly holds; '&' is left
  // out so that a URL never needs an entity inside the attribute.
  static constexpr std::string_view kSafe = "-._~/:@!$'()*+,;=";
  return kSafe.find(static_cast<char>(c)) != std::string_view::npos;
}

}  // namespace

std::string HtmlColor(uint32_t bgr) {
  std::string s;
  for (int shift : {0, 8, 16}) {
    const unsigned byte = (bgr >> shift) & 0xFF;
    s += kHexDigits[byte >> 4];
    s += kHexDigits[byte & 15];
  }
  return s;
}

std::string HtmlEscape(std::string_view text) {
  std::string s;
  s.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&': s += "&amp;"; break;
      case '<': s += "&lt;"; break;
      case '>': s += "&gt;"; break;
      case '"': s += "&quot;"; break;
      default: s += c;
    }
  }
  return s;
}

std::string FileUrl(std::string_view path) {
  auto isSep = [&](size_t i) { return i < path.size() && (path[i] == '\\' || path[i] == '/'); };
  // A UNC path brings its own "//" before the server name, a POSIX absolute path its own
  // third slash; only a drive path needs all three.
  std::string url = isSep(0) && isSep(1) ? "file:" : isSep(0) ? "file://" : "file:///";
  for (char ch : path) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == '\\') {
      url += '/';
    } else if (IsUrlSafe(c)) {
      url += ch;
    } else {
      url += '%';
      url += kHexDigits[c >> 4];
      url += kHexDigits[c & 15];
    }
  }
  return url;
}

void WriteTextWithSpaces(const std::vector<ResultRow>& rows, const SaveColumns& cols,
                         std::string& out, Controls controls) {
  static constexpr std::array<std::string_view, 4> kHeaders = {
      "Date/Time              ", "Size          ", "Ratio   ", "Packed"};
  static constexpr std::array<ptrdiff_t, 4> kWidths = {23, 14, 8, 0};
  const std::array<bool, 4> chosen = {cols.dateTime, cols.size, cols.ratio, cols.packed};

  std::vector<ShownRow> shown;
  shown.reserve(rows.size());
  ptrdiff_t w1 = 0, w2 = 0;
  for (const ResultRow& row : rows) {
    shown.push_back(Show(row, cols, controls));
    w1 = std::max(w1, Width(shown.back().file));
    w2 = std::max(w2, Width(shown.back().container));
  }
  w1 += 4;
  w2 += 4;
  const bool optional = AnyOptional(cols);

  out += "File";
  Pad(out, w1 - 4);
  out += "Archive/Folder";
  if (optional) {
    Pad(out, w2 - 14);
    for (size_t c = 0; c < 4; ++c)
      if (chosen[c]) out += kHeaders[c];
  }
  out += kEol;

  for (const ShownRow& row : shown) {
    out += row.file;
    Pad(out, w1 - Width(row.file));
    out += row.container;
    if (optional) {
      Pad(out, w2 - Width(row.container));
      size_t k = 0;
      for (size_t c = 0; c < 4; ++c) {
        if (!chosen[c]) continue;
        const std::string& text = row.extra[k++];
        out += text;
        if (kWidths[c] > 0) Pad(out, kWidths[c] - Width(text));
      }
    }
    out += kEol;
  }
}

void WriteTabsHeader(const SaveColumns& cols, std::string& out) {
  out += "File\tArchive/Folder";
  if (cols.dateTime) out += "\tDate/Time";
  if (cols.size) out += "\tSize";
  if (cols.ratio) out += "\tRatio";
  if (cols.packed) out += "\tPacked";
  out += kEol;
}

void WriteTabsRow(const ResultRow& row, const SaveColumns& cols, Controls controls,
                  std::string& out) {
  const ShownRow shown = Show(row, cols, controls);
  out += shown.file;
  out += '\t';
  out += shown.container;
  for (const std::string& text : shown.extra) {
    out += '\t';
    out += text;
  }
  out += kEol;
}

void WriteTextWithTabs(const std::vector<ResultRow>& rows, const SaveColumns& cols, bool header,
                       std::string& out, Controls controls) {
  if (header) WriteTabsHeader(cols, out);
  for (const ResultRow& row : rows) WriteTabsRow(row, cols, controls, out);
}

void WriteHtml(const std::vector<ResultRow>& rows, const SaveColumns& cols, const HtmlStyle& style,
               std::string& out) {
  out += "<html>\r\n<head>\r\n<title>Quillow search results</title>\r\n</head>\r\n";
  out += "<body bgcolor=\"#" + HtmlColor(style.background);
  out += "\" text=\"#" + HtmlColor(style.text);
  out += "\" link=\"#" + HtmlColor(style.link);
  out += "\" vlink=\"#" + HtmlColor(style.visitedLink);
  out += "\" alink=\"#" + HtmlColor(style.activeLink);
  out += "\">\r\n<table cellpadding=5";
  if (style.tableBorders) out += " border=2";
  out += ">\r\n<tr><th>File</th><th>Archive/Folder</th>";
  if (cols.dateTime) out += "<th>Modified</th>";
  if (cols.size) out += "<th>Size</th>";
  if (cols.ratio) out += "<th>Ratio</th>";
  if (cols.packed) out += "<th>Packed</th>";
  out += "</tr>\r\n";

  for (const ResultRow& row : rows) {
    const ShownRow shown = Show(row, cols, Controls::kKeep);
    // A folder row's name is a file of its own; an archive member can only be reached
    // through its archive, so only the container links there. Links are made from the bytes
    // the file system gave, so that they reach the file whatever its name's encoding.
    const bool nameLink = style.hyperlinks && IsFolderRow(row.container);
    out += "<tr><td>";
    if (nameLink) out += "<a href=\"" + FileUrl(row.container + row.file) + "\">";
    out += HtmlEscape(shown.file);
    if (nameLink) out += "</a>";
    out += "</td><td>";
    if (style.hyperlinks) out += "<a href=\"" + FileUrl(row.container) + "\">";
    out += HtmlEscape(shown.container);
    if (style.hyperlinks) out += "</a>";
    out += "</td>";
    for (const std::string& text : shown.extra) out += "<td>" + HtmlEscape(text) + "</td>";
    out += "</tr>\r\n";
  }
  out += "</table>\r\n</body>\r\n</html>";
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
  if (EqualsIgnoringAsciiCase(ext, ".txt")) return SaveFormat::kText;
  if (EqualsIgnoringAsciiCase(ext, ".htm") || EqualsIgnoringAsciiCase(ext, ".html"))
    return SaveFormat::kHtml;
  return filterIndex == 2 ? SaveFormat::kHtml : SaveFormat::kText;
}

}  // namespace quillow
