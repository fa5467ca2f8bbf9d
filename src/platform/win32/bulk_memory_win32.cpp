#include <cstdlib>

#include "platform/bulk_memory.h"

namespace quillow::platform {

// Large pages on Windows need a privilege users do not hold: ordinary heap memory.
void BulkFree::operator()(char* p) const { std::free(p); }

BulkMemory AllocateBulk(size_t bytes) {
  const size_t size = BulkSize(bytes);
  if (size == 0) return nullptr;
  return BulkMemory(static_cast<char*>(std::malloc(size)));
}

}  // namespace quillow::platform
