// Stand-in libraries for the loading tests, each lacking one entry point: the zip one
// exports only "ZipDllExec", the unzip one only "GetUnzDllVersion". Both record the error
// mode they were loaded under; the zip one also records the record it was given and calls
// back through it.
#include <windows.h>

#include <cstring>

#include "zip/dll/records.h"

using quillow::zip::ZCallBackStruct;

extern "C" {

__declspec(dllexport) UINT LoadErrorMode = 0xFFFFFFFF;

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) LoadErrorMode = GetErrorMode();
  return TRUE;
}

#ifdef PROBE_ZIP
__declspec(dllexport) quillow::zip::ZipCallRecord Received;
__declspec(dllexport) char ReceivedName[256];

// Two callbacks, a file start and a step; the result tells their answers apart (tens for
// the first, ones for the second).
__declspec(dllexport) int32_t QUILLOW_STDCALL ZipDllExec(quillow::zip::ZipCallRecord* r) {
  Received = *r;
  std::strncpy(ReceivedName, r->NameCount > 0 ? r->Names[0] : "", sizeof ReceivedName - 1);
  Received.Names[0] = nullptr;  // the buffer is gone after the call
  ZCallBackStruct cb{};
  cb.Caller = r->Caller;
  cb.Version = r->Version;
  cb.IsZip = 1;
  cb.ActionCode = 1;
  cb.FileSize = 5;
  std::strcpy(cb.Text, "a.txt");
  const int32_t first = r->CallbackProc(&cb);
  cb.ActionCode = 2;
  cb.Text[0] = '\0';
  const int32_t second = r->CallbackProc(&cb);
  return first * 10 + second;
}
#else
__declspec(dllexport) int32_t QUILLOW_STDCALL GetUnzDllVersion() { return 7; }
#endif

}  // extern "C"
