// Quillow.exe: start-up.
#include <windows.h>

#include <commctrl.h>
#include <objbase.h>

#include <exception>

#include "app/application.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  // The shell's folder picker needs the apartment of this thread.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);

  int code = 1;
  quillow::app::Application application;
  try {
    application.SetTitle(quillow::app::kProgramTitle);
    if (application.CreateForms()) code = application.Run(SW_SHOWMAXIMIZED);
  } catch (const std::exception& e) {
    application.ShowException(e.what());
  }
  if (SUCCEEDED(com)) CoUninitialize();
  return code;
}
