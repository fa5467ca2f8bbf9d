#include "search/formats/formats.h"

namespace quillow::formats {

// Not read yet: lists nothing.
void ReadLzh(ByteSource&, ReaderContext&) {}

}  // namespace quillow::formats
