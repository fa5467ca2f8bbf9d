#include "output/data_formats.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <string_view>

#include "output/append.h"
#include "output/display_text.h"

namespace quillow::output {

namespace {

// The DOS date and time as "YYYY-MM-DDTHH:MM:00", to the minute as the Modified text
// shows it; false, with nothing appended, for fields no calendar has (a damaged header can
// hold month 0 or hour 31).
bool AppendIsoDate(uint16_t date, uint16_t time, std::string& out) {
  const unsigned month = (date >> 5) & 15, day = date & 31, year = (date >> 9) + 1980u;
  const unsigned hour = time >> 11, minute = (time >> 5) & 63;
  if (month < 1 || month > 12 || day < 1 || hour > 23 || minute > 59) return false;
  char s[19] = {0, 0, 0, 0, '-', 0, 0, '-', 0, 0, 'T', 0, 0, ':', 0, 0, ':', '0', '0'};
  auto digits = [&s](size_t at, unsigned value, int count) {
    for (int i = count - 1; i >= 0; --i, value /= 10)
      s[at + static_cast<size_t>(i)] = static_cast<char>('0' + value % 10);
  };
  digits(0, year, 4);
  digits(5, month, 2);
  digits(8, day, 2);
  digits(11, hour, 2);
  digits(14, minute, 2);
  out.append(s, sizeof s);
  return true;
}

constexpr ByteSet kCsvQuoted = MakeByteSet(",\"\r\n");
constexpr ByteSet kCsvDoubled = MakeByteSet("\"");

// Whether a field holds one of the bytes that make it quoted. This is the one look the
// layout takes at every byte, and the common name has none of them, so it looks at eight
// bytes at a time: a byte equal to `b` is a zero byte of `word ^ b`, which the borrow of the
// subtraction finds.
bool NeedsQuotes(std::string_view text) {
  constexpr uint64_t kOnes = 0x0101010101010101u, kHighs = 0x8080808080808080u;
  auto holds = [](uint64_t word, unsigned char b) {
    const uint64_t x = word ^ (kOnes * b);
    return (x - kOnes) & ~x & kHighs;
  };
  size_t i = 0;
  for (; i + 8 <= text.size(); i += 8) {
    uint64_t word;
    std::memcpy(&word, text.data() + i, 8);
    if (holds(word, ',') | holds(word, '"') | holds(word, '\r') | holds(word, '\n')) return true;
  }
  for (; i < text.size(); ++i)
    if (kCsvQuoted[static_cast<unsigned char>(text[i])]) return true;
  return false;
}

void CsvField(std::string_view text, std::string& out) {
  if (!NeedsQuotes(text)) {
    out += text;
    return;
  }
  out += '"';
  AppendEscaped(text, kCsvDoubled, out, [](unsigned char, std::string& o) { o += "\"\""; });
  out += '"';
}

constexpr ByteSet kJsonEscaped = MakeByteSet("\"\\", 0x20);

// The characters of a JSON string, without its quotes: the callers write those with the
// key before and the comma after.
void JsonChars(std::string_view text, std::string& out) {
  static constexpr char kHex[] = "0123456789abcdef";
  AppendEscaped(text, kJsonEscaped, out, [](unsigned char c, std::string& o) {
    switch (c) {
      case '"': o += "\\\""; break;
      case '\\': o += "\\\\"; break;
      case '\n': o += "\\n"; break;
      case '\r': o += "\\r"; break;
      case '\t': o += "\\t"; break;
      default:
        o += "\\u00";
        o += kHex[c >> 4];
        o += kHex[c & 15];
    }
  });
}

// A name that is not UTF-8 (a file-system name is whatever bytes the disk holds) cannot go
// into a JSON string as it is: each byte that starts no well-formed character is shown as
// U+FFFD, and the exact bytes follow in base64 under the key with "Bytes" added.
void JsonName(std::string_view key, std::string_view name, std::string& out) {
  out += '"';
  out += key;
  out += "\":\"";
  if (base::IsValidUtf8(name)) {
    JsonChars(name, out);
    out += '"';
    return;
  }
  std::string shown;
  for (size_t i = 0; i < name.size();) {
    // The shortest valid piece from here is one character; none within four bytes, no
    // character starts here.
    size_t len = 1;
    while (len <= 4 && (i + len > name.size() || !base::IsValidUtf8(name.substr(i, len)))) ++len;
    if (len > 4) {
      shown += "\xEF\xBF\xBD";
      ++i;
    } else {
      shown.append(name.substr(i, len));
      i += len;
    }
  }
  JsonChars(shown, out);
  out += "\",\"";
  out += key;
  out += "Bytes\":\"";
  static constexpr char kBase64[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  for (size_t i = 0; i < name.size(); i += 3) {
    const size_t n = std::min<size_t>(3, name.size() - i);
    uint32_t bits = 0;
    for (size_t k = 0; k < 3; ++k)
      bits = bits << 8 | (k < n ? static_cast<uint8_t>(name[i + k]) : 0u);
    for (size_t k = 0; k < 4; ++k) out += k <= n ? kBase64[(bits >> (18 - 6 * k)) & 63] : '=';
  }
  out += '"';
}

template <typename T>
void JsonNumber(T value, std::string& out) {
  char buf[24];
  const auto r = std::to_chars(buf, buf + sizeof buf, value);
  out.append(buf, r.ptr);
}

}  // namespace

RowValues RowValuesOf(const search::ResultRow& row) {
  const search::RowKeys& k = row.keys;
  RowValues v;
  v.size = k.size;
  // Packed and Ratio are "?" exactly when either size is unknown.
  if (k.size != 0 && k.packed != 0) {
    v.packed = k.packed;
    v.ratio = k.ratio;
  }
  if (std::string iso; k.dated && AppendIsoDate(k.dosDate, k.dosTime, iso)) v.modified = iso;
  v.folder = k.folderEntry;
  return v;
}

void WriteCsvHeader(const SaveColumns& cols, std::string& out) {
  out += "File,Archive/Folder";
  AppendColumnNames(cols, {"Modified", "Size", "Ratio", "Packed"}, ",", {}, out);
  out += "\r\n";
}

void WriteCsvRow(const search::ResultRow& row, const SaveColumns& cols, std::string& out) {
  std::string scratch;
  CsvField(ShownFile(row, Controls::kKeep, scratch), out);
  out += ',';
  CsvField(ShownContainer(row, Controls::kKeep, scratch), out);
  const std::array<bool, 4> chosen = cols.Chosen();
  for (size_t c = 0; c < 4; ++c) {
    if (!chosen[c]) continue;
    out += ',';
    CsvField(row.*kOptionalTexts[c], out);
  }
  out += "\r\n";
}

void WriteJsonRow(const search::ResultRow& row, std::string& out) {
  const search::RowKeys& k = row.keys;
  const bool known = k.size != 0 && k.packed != 0;
  std::string scratch;
  out += '{';
  JsonName("file", ShownFile(row, Controls::kKeep, scratch), out);
  out += ',';
  JsonName("container", ShownContainer(row, Controls::kKeep, scratch), out);
  out += ",\"modifiedText\":\"";
  JsonChars(row.modified, out);
  out += "\",\"sizeText\":\"";
  JsonChars(row.size, out);
  out += "\",\"ratioText\":\"";
  JsonChars(row.ratio, out);
  out += "\",\"packedText\":\"";
  JsonChars(row.packed, out);
  // The same values as RowValuesOf, written straight into the line.
  out += "\",\"size\":";
  JsonNumber(k.size, out);
  out += ",\"packed\":";
  if (known)
    JsonNumber(k.packed, out);
  else
    out += "null";
  out += ",\"ratio\":";
  if (known)
    JsonNumber(k.ratio, out);
  else
    out += "null";
  out += ",\"modified\":";
  const size_t quote = out.size();
  out += '"';
  if (k.dated && AppendIsoDate(k.dosDate, k.dosTime, out)) {
    out += '"';
  } else {
    out.resize(quote);
    out += "null";
  }
  out += k.folderEntry ? ",\"folder\":true}\n" : ",\"folder\":false}\n";
}

void WriteCsv(const std::vector<search::ResultRow>& rows, const SaveColumns& cols, TextSink& sink) {
  std::string& out = sink.text();
  sink.Reserve([&] { return 64 + TextBytes(rows) + rows.size() * 8; });
  WriteCsvHeader(cols, out);
  for (const search::ResultRow& row : rows) {
    WriteCsvRow(row, cols, out);
    if (!sink.RowDone()) return;
  }
  sink.Flush();
}

void WriteJson(const std::vector<search::ResultRow>& rows, TextSink& sink) {
  std::string& out = sink.text();
  // The names and the numbers each row repeats.
  sink.Reserve([&] { return TextBytes(rows) + rows.size() * 192; });
  for (const search::ResultRow& row : rows) {
    WriteJsonRow(row, out);
    if (!sink.RowDone()) return;
  }
  sink.Flush();
}

}  // namespace quillow::output
