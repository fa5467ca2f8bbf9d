#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <cstdio>

#include "platform/console.h"
#include "platform/win32/text.h"

namespace quillow::platform {

std::vector<std::string> StartConsoleProgram(int, char**) {
  // Arguments in any script: take the wide command line, hand UTF-8 inward.
  std::vector<std::string> args;
  int wargc = 0;
  LPWSTR* wargv = CommandLineToArgvW(GetCommandLineW(), &wargc);
  for (int i = 1; wargv && i < wargc; ++i) args.push_back(Narrow(wargv[i]));
  if (wargv) LocalFree(wargv);
  _setmode(_fileno(stdout), _O_BINARY);
  SetConsoleOutputCP(CP_UTF8);
  return args;
}

}  // namespace quillow::platform
