// The ZIP component's own reader of an archive's directory: it walks the local headers from
// the first one it finds by scanning for the signature, so ZIP data behind a program stub (a
// self-extracting archive) is listed too.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "search/byte_source.h"

namespace quillow::zip {

// The 26 bytes after a local header's signature, in file order, and the member's name.
struct ZipDirEntry {
  uint16_t VersionNeeded = 0;
  uint16_t Flags = 0;
  uint16_t Method = 0;
  uint16_t ModTime = 0;
  uint16_t ModDate = 0;
  uint32_t CRC32 = 0;
  int32_t CompressedSize = 0;
  int32_t UncompressedSize = 0;
  uint16_t FileNameLength = 0;
  uint16_t ExtraFieldLength = 0;
  // As stored, every forward slash turned into a backslash. Read whole, whatever its length.
  std::string FileName;
};

inline constexpr uint32_t kLocalHeaderSignature = 0x04034B50;
inline constexpr uint32_t kCentralHeaderSignature = 0x02014B50;
inline constexpr uint32_t kEndRecordSignature = 0x06054B50;
// Where the scan of a program file starts: past any stub small enough to matter.
inline constexpr uint64_t kProgramScanStart = 14000;
inline constexpr int kMaxScanAttempts = 60000;
inline constexpr int64_t kEndRecordAllowance = 22;

struct ListingResult {
  std::vector<ZipDirEntry> entries;
  uint64_t firstEntryOffset = 0;  // of the first local header kept (0 when none)
  // Empty after a normal end; else the text to show. The entries read before it stay.
  std::string message;
};

// True when the file name's extension, in capitals, is ".EXE".
bool IsProgramFile(std::string_view path);

// Lists the archive in `src`; a program file is scanned from kProgramScanStart.
ListingResult ListZipDirectory(search::ByteSource& src, bool programFile);

// Every forward slash of the zero-terminated `buffer` becomes a backslash; returns `buffer`.
char* ReplaceForwardSlash(char* buffer);

}  // namespace quillow::zip
