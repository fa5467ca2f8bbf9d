#include "output/data_formats.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <string_view>

#include "output/display_text.h"

namespace quillow {

namespace {

template <typename T>
std::optional<T> Number(std::string_view text) {
  T value{};
  const auto r = std::from_chars(text.data(), text.data() + text.size(), value);
  if (r.ec != std::errc() || r.ptr != text.data() + text.size() || text.empty())
    return std::nullopt;
  return value;
}

// Reads the next unsigned number up to `stop` (or the end) and moves past the stop.
std::optional<unsigned> Field(std::string_view& text, char stop) {
  size_t end = text.find(stop);
  if (stop == '\0') end = text.size();
  if (end == std::string_view::npos) return std::nullopt;
  auto value = Number<unsigned>(text.substr(0, end));
  text.remove_prefix(std::min(end + 1, text.size()));
  return value;
}

// "M/D/YYYY h:mm AM" -> "YYYY-MM-DDTHH:MM:00".
std::optional<std::string> IsoDate(std::string_view text) {
  if (text.size() < 3) return std::nullopt;
  const std::string_view half = text.substr(text.size() - 3);
  if (half != " AM" && half != " PM") return std::nullopt;
  text.remove_suffix(3);
  const auto month = Field(text, '/'), day = Field(text, '/'), year = Field(text, ' ');
  const auto hour = Field(text, ':'), minute = Field(text, '\0');
  if (!month || !day || !year || !hour || !minute || *month < 1 || *month > 12 || *day > 31 ||
      *year > 9999 || *hour < 1 || *hour > 12 || *minute > 59)
    return std::nullopt;
  const unsigned h24 = (*hour % 12) + (half == " PM" ? 12 : 0);
  char buf[32];
  const int n = std::snprintf(buf, sizeof buf, "%04u-%02u-%02uT%02u:%02u:00", *year, *month, *day,
                              h24, *minute);
  return std::string(buf, static_cast<size_t>(n));
}

void CsvField(std::string_view text, std::string& out) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
    out += text;
    return;
  }
  out += '"';
  for (char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}

void JsonString(std::string_view text, std::string& out) {
  static constexpr char kHex[] = "0123456789abcdef";
  out += '"';
  for (char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20) {
          out += "\\u00";
          out += kHex[c >> 4];
          out += kHex[c & 15];
        } else {
          out += ch;
        }
    }
  }
  out += '"';
}

template <typename T>
void JsonNumber(const std::optional<T>& value, std::string& out) {
  if (!value) {
    out += "null";
    return;
  }
  char buf[16];
  const auto r = std::to_chars(buf, buf + sizeof buf, *value);
  out.append(buf, r.ptr);
}

}  // namespace

RowValues RowValuesOf(const ResultRow& row) {
  RowValues v;
  v.size = Number<uint32_t>(row.size);
  v.packed = Number<uint32_t>(row.packed);
  if (!row.ratio.empty() && row.ratio.back() == '%')
    v.ratio = Number<int32_t>(std::string_view(row.ratio).substr(0, row.ratio.size() - 1));
  v.modified = IsoDate(row.modified);
  v.folder =
      !row.container.empty() && (row.container.back() == '\\' || row.container.back() == '/');
  return v;
}

void WriteCsvHeader(const SaveColumns& cols, std::string& out) {
  out += "File,Archive/Folder";
  if (cols.dateTime) out += ",Modified";
  if (cols.size) out += ",Size";
  if (cols.ratio) out += ",Ratio";
  if (cols.packed) out += ",Packed";
  out += "\r\n";
}

void WriteCsvRow(const ResultRow& row, const SaveColumns& cols, std::string& out) {
  CsvField(DisplayName(row.file), out);
  out += ',';
  CsvField(DisplayName(row.container), out);
  const std::pair<bool, const std::string*> optional[] = {{cols.dateTime, &row.modified},
                                                          {cols.size, &row.size},
                                                          {cols.ratio, &row.ratio},
                                                          {cols.packed, &row.packed}};
  for (const auto& [chosen, text] : optional) {
    if (!chosen) continue;
    out += ',';
    CsvField(*text, out);
  }
  out += "\r\n";
}

void WriteJsonRow(const ResultRow& row, std::string& out) {
  const RowValues v = RowValuesOf(row);
  out += "{\"file\":";
  JsonString(DisplayName(row.file), out);
  out += ",\"container\":";
  JsonString(DisplayName(row.container), out);
  out += ",\"modifiedText\":";
  JsonString(row.modified, out);
  out += ",\"sizeText\":";
  JsonString(row.size, out);
  out += ",\"ratioText\":";
  JsonString(row.ratio, out);
  out += ",\"packedText\":";
  JsonString(row.packed, out);
  out += ",\"size\":";
  JsonNumber(v.size, out);
  out += ",\"packed\":";
  JsonNumber(v.packed, out);
  out += ",\"ratio\":";
  JsonNumber(v.ratio, out);
  out += ",\"modified\":";
  if (v.modified)
    JsonString(*v.modified, out);
  else
    out += "null";
  out += v.folder ? ",\"folder\":true}\n" : ",\"folder\":false}\n";
}

}  // namespace quillow
