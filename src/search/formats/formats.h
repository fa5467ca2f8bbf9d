// The directory readers, one per format family. Each walks the archive's headers from
// offset 0 and reports every member it meets; none reads member data.
#pragma once

#include "search/reader.h"

namespace quillow::search::formats {

void ReadZip(ByteSource& src, ReaderContext& ctx);
// ZIP from its central directory; the local-header walk above when there is none.
void ReadZipCentral(ByteSource& src, ReaderContext& ctx);
void ReadRar(ByteSource& src, ReaderContext& ctx);  // RAR5 too, through ReadRar5
void ReadRar5(ByteSource& src, ReaderContext& ctx);
void ReadWad(ByteSource& src, ReaderContext& ctx);
void ReadGrp(ByteSource& src, ReaderContext& ctx);
void ReadArj(ByteSource& src, ReaderContext& ctx);
void ReadLzh(ByteSource& src, ReaderContext& ctx);
void ReadZoo(ByteSource& src, ReaderContext& ctx);
void ReadTar(ByteSource& src, ReaderContext& ctx);
void ReadArc(ByteSource& src, ReaderContext& ctx);  // also PAK
void ReadHyp(ByteSource& src, ReaderContext& ctx);
void ReadSqz(ByteSource& src, ReaderContext& ctx);
void ReadCab(ByteSource& src, ReaderContext& ctx);
void ReadAce(ByteSource& src, ReaderContext& ctx);
void ReadSevenZip(ByteSource& src, ReaderContext& ctx);

}  // namespace quillow::search::formats
