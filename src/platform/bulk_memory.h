// Memory for large buffers that are filled once and kept to the end: results spooled until
// their column widths are known, say. Where the system offers it the memory comes in huge
// pages, so that filling it costs a page fault per 2 MB rather than one per 4 KB; in a
// virtual machine each fault is dear.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace quillow::platform {

struct BulkFree {
  void operator()(char* p) const;
};
using BulkMemory = std::unique_ptr<char[], BulkFree>;

// The granule bulk memory is handed out in; a request is rounded up to it.
inline constexpr size_t kBulkGranule = size_t{2} << 20;

// What a request for `bytes` is rounded up to; 0 when that does not fit in a size_t.
constexpr size_t BulkSize(size_t bytes) {
  return bytes > SIZE_MAX - kBulkGranule ? 0
                                         : (bytes + kBulkGranule - 1) / kBulkGranule * kBulkGranule;
}

// BulkSize(bytes) bytes, or null when there is no memory.
BulkMemory AllocateBulk(size_t bytes);

}  // namespace quillow::platform
