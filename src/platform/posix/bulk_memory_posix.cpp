#include <sys/mman.h>

#include <cstdlib>

#include "platform/bulk_memory.h"

namespace quillow::platform {

void BulkFree::operator()(char* p) const { std::free(p); }

BulkMemory AllocateBulk(size_t bytes) {
  const size_t size = BulkSize(bytes);
  if (size == 0) return nullptr;
  // Aligned to the huge page, which the kernel then backs in one piece where it can; the
  // advice is only a hint, and the memory is as good without it.
  char* p = static_cast<char*>(std::aligned_alloc(kBulkGranule, size));
#ifdef MADV_HUGEPAGE
  if (p) ::madvise(p, size, MADV_HUGEPAGE);
#endif
  return BulkMemory(p);
}

}  // namespace quillow::platform
