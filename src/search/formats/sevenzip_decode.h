// Unpacking a compressed 7z header: the one place where the search decompresses anything,
// and only the archive's own directory, never member data.
#pragma once

#include <cstdint>
#include <string>

#include "search/byte_source.h"
#include "search/formats/sevenzip_streams.h"

namespace quillow::search::formats::sevenzip {

enum class Unpacked {
  kOk,
  kCorrupt,      // the sizes, positions, coder chain or packed bytes do not hold together
  kEncrypted,    // an AES coder: the key is the user's password
  kUnsupported,  // a method or chain no header of a known archiver uses
};

// Unpacks folder `folder` of `info` into `out`. Its packed stream lies in `src` at 32 +
// packPos + the packed streams before it. `limit` caps the unpacked size the folder may
// declare, and the output never grows past what it declares.
Unpacked UnpackFolder(ByteSource& src, const StreamsInfo& info, size_t folder, uint64_t limit,
                      std::string& out);

uint32_t Crc32(const void* data, size_t n);
// Whether a stored CRC-32 matches; always true in the fuzz build (see the top CMakeLists).
bool CrcMatches(const void* data, size_t n, uint32_t stored);

}  // namespace quillow::search::formats::sevenzip
