// ZIPDLL.DLL: adds files to and deletes members from ZIP archives, driven by one call
// record per call; the work is the portable core's.
#include "zip/dll/exec.h"

extern "C" int32_t QUILLOW_STDCALL ZipDllExec(quillow::zip::ZipCallRecord* record) {
  return quillow::zip::ExecZip(record, quillow::zip::SystemFileSystem());
}

extern "C" int32_t QUILLOW_STDCALL GetZipDllVersion() { return quillow::zip::kLibraryVersion; }
