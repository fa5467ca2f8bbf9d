#include <cstdint>
#include <cstdlib>

#include "platform/bulk_memory.h"

namespace quillow::platform {

// Large pages on Windows need a privilege users do not hold: ordinary heap memory.
void BulkFree::operator()(char* p) const { std::free(p); }

BulkMemory AllocateBulk(size_t bytes) {
  if (bytes > SIZE_MAX - kBulkGranule) return nullptr;
  const size_t size = (bytes + kBulkGranule - 1) / kBulkGranule * kBulkGranule;
  return BulkMemory(static_cast<char*>(std::malloc(size)));
}

}  // namespace quillow::platform
