// UNZDLL.DLL: extracts and tests the members of ZIP archives into the current folder, driven
// by one call record per call; the work is the portable core's.
#include "zip/dll/exec.h"

extern "C" int32_t QUILLOW_STDCALL UnzDllExec(quillow::zip::UnzipCallRecord* record) {
  return quillow::zip::ExecUnzip(record, quillow::zip::SystemFileSystem());
}

extern "C" int32_t QUILLOW_STDCALL GetUnzDllVersion() { return quillow::zip::kLibraryVersion; }
