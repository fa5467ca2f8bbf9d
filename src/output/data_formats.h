// Row layouts for scripts: CSV (RFC 4180) and JSON Lines. Each row is written on its own,
// so rows can go out as a search finds them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "output/writers.h"
#include "search/types.h"

namespace quillow::output {

// The values behind a row's texts, from the keys the row was made with; each is empty where
// its text is "?".
struct RowValues {
  std::optional<uint32_t> size, packed;
  std::optional<int64_t> ratio;         // percent; far below -100 for a packed size past the size
  std::optional<std::string> modified;  // ISO 8601 local time, "2001-03-15T15:18:00"
  bool folder = false;
};
RowValues RowValuesOf(const search::ResultRow& row);

// "File,Archive/Folder" and the chosen optional columns, CR LF.
void WriteCsvHeader(const SaveColumns& cols, std::string& out);
// The row's texts as they are shown, quoted where a field needs it, CR LF.
void WriteCsvRow(const search::ResultRow& row, const SaveColumns& cols, std::string& out);

// One object and "\n": the six texts as shown (file, container, modifiedText, sizeText,
// ratioText, packedText), then size, packed, ratio (null for "?"), modified (null for
// "?") and folder.
void WriteJsonRow(const search::ResultRow& row, std::string& out);

// Whole lists: the header and every row (CSV), every row (JSON Lines).
void WriteCsv(const std::vector<search::ResultRow>& rows, const SaveColumns& cols, TextSink& sink);
void WriteJson(const std::vector<search::ResultRow>& rows, TextSink& sink);

inline void WriteCsv(const std::vector<search::ResultRow>& rows, const SaveColumns& cols,
                     std::string& out) {
  TextSink sink(out);
  WriteCsv(rows, cols, sink);
}
inline void WriteJson(const std::vector<search::ResultRow>& rows, std::string& out) {
  TextSink sink(out);
  WriteJson(rows, sink);
}

}  // namespace quillow::output
