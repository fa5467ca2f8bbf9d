#include "search/formats/formats.h"

namespace quillow::formats {

// Not read yet: lists nothing.
void ReadHyp(ByteSource&, ReaderContext&) {}

}  // namespace quillow::formats
