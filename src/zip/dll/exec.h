// The two libraries' work on a call record: check it, turn it into the core's options, run
// the core and carry its reports to the record's callback. Nothing is thrown out of these.
#pragma once

#include <cstdint>

#include "zip/core/zip_fs.h"
#include "zip/dll/records.h"

namespace quillow::zip {

// What GetZipDllVersion and GetUnzDllVersion answer.
inline constexpr int32_t kLibraryVersion = 140;

int32_t ExecZip(ZipCallRecord* record, FileSystem& fs);
int32_t ExecUnzip(UnzipCallRecord* record, FileSystem& fs);

}  // namespace quillow::zip
