// ZIPSFX.BIN: the program part of a self-extracting archive. It reads the settings header
// and the ZIP data that follow its own image, offers the target folder and the members in
// a small dialog, and extracts through the same unzip core as the unzip library.
//
// Without its dialog, for scripts and tests:
//   /auto            extract at once into the default folder (or the one given by /d)
//   /d FOLDER        the folder to extract into
//   /yes, /no        the answer to every question (overwrite a file? run the command?);
//                    without either, existing files stay and the command is not asked for
// Exit codes: 0 done, 1 cancelled, 2 the archive cannot be read, 3 some members failed.
#include <windows.h>
// After <windows.h>, which they need:
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "platform/fs.h"
#include "platform/win32/text.h"
#include "resource.h"
#include "sfx_payload.h"

namespace quillow::sfx {
namespace {

using platform::Narrow;
using platform::Widen;

constexpr char kDefaultCaption[] = "Self-extracting Archive";

enum ExitCode { kDone = 0, kCancelled = 1, kUnreadable = 2, kSomeFailed = 3 };

struct Options {
  bool automatic = false;
  std::string target;
  int answer = 0;  // 1 yes to all, -1 no to all, 0 none given
};

struct App {
  Options options;
  std::string exe;
  std::string caption = kDefaultCaption;
  Payload payload;
  std::string target;
  zip::SfxOverwrite overwrite = zip::SfxOverwrite::kConfirm;
  std::vector<bool> chosen;
  HWND dialog = nullptr;
  int exitCode = kDone;
};

Options ParseArguments() {
  Options o;
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  for (int i = 1; argv && i < argc; ++i) {
    const std::wstring a = argv[i];
    if (_wcsicmp(a.c_str(), L"/auto") == 0)
      o.automatic = true;
    else if (_wcsicmp(a.c_str(), L"/yes") == 0)
      o.answer = 1;
    else if (_wcsicmp(a.c_str(), L"/no") == 0)
      o.answer = -1;
    else if (_wcsicmp(a.c_str(), L"/d") == 0 && i + 1 < argc)
      o.target = Narrow(argv[++i]);
  }
  LocalFree(argv);
  return o;
}

std::string FullPath(const std::string& path) {
  std::wstring w = Widen(path);
  DWORD n = GetFullPathNameW(w.c_str(), 0, nullptr, nullptr);
  if (n == 0) return path;
  std::wstring out(n, L'\0');
  n = GetFullPathNameW(w.c_str(), n, out.data(), nullptr);
  out.resize(n);
  return Narrow(out);
}

// A message for the user: a box, or the error stream when running without the dialog.
void Tell(const App& app, const std::string& text, UINT icon) {
  if (app.options.automatic) {
    const std::string line = text + "\r\n";
    DWORD put = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), line.data(), static_cast<DWORD>(line.size()), &put,
              nullptr);
    return;
  }
  MessageBoxW(app.dialog, Widen(text).c_str(), Widen(app.caption).c_str(), MB_OK | icon);
}

// The overwrite question: its text and caption come in through the dialog's parameter,
// the button pressed goes out as the dialog's result.
INT_PTR CALLBACK OverwriteProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_INITDIALOG: {
      const auto* texts = reinterpret_cast<const std::wstring*>(lp);
      SetDlgItemTextW(dlg, IDC_OVR_TEXT, texts[0].c_str());
      SetWindowTextW(dlg, texts[1].c_str());
      return TRUE;
    }
    case WM_COMMAND:
      switch (LOWORD(wp)) {
        case IDYES:
        case IDNO:
        case IDC_YES_ALL:
        case IDC_NO_ALL:
        case IDCANCEL: EndDialog(dlg, LOWORD(wp)); return TRUE;
      }
      break;
  }
  return FALSE;
}

// Yes, No, or the same answer for every file still to come.
Answer Confirm(const App& app, const std::string& path) {
  if (app.options.automatic || app.options.answer != 0)
    return app.options.answer > 0 ? Answer::kYesToAll : Answer::kNoToAll;
  const std::wstring texts[2] = {Widen("The file\r\n" + path + "\r\nexists already. Overwrite it?"),
                                 Widen(app.caption)};
  switch (DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_OVERWRITE), app.dialog,
                          OverwriteProc, reinterpret_cast<LPARAM>(texts))) {
    case IDYES: return Answer::kYes;
    case IDC_YES_ALL: return Answer::kYesToAll;
    case IDNO: return Answer::kNo;
    case IDC_NO_ALL: return Answer::kNoToAll;
    default: return Answer::kCancel;
  }
}

// Runs the command line in the target folder: its first word (quoted or not) is the
// program or document, the rest its arguments.
void RunCommand(App& app) {
  const std::string& cmd = app.payload.settings.commandLine;
  if (cmd.empty()) return;
  if (app.payload.settings.options & zip::kSfxAskCmdLine) {
    bool yes = app.options.answer > 0;
    if (!app.options.automatic && app.options.answer == 0)
      yes = MessageBoxW(app.dialog, Widen("Run \"" + cmd + "\" now?").c_str(),
                        Widen(app.caption).c_str(), MB_YESNO | MB_ICONQUESTION) == IDYES;
    if (!yes) return;
  }
  std::string file, params;
  size_t i = 0;
  if (cmd[0] == '"') {
    size_t close = cmd.find('"', 1);
    file = cmd.substr(1, close == std::string::npos ? std::string::npos : close - 1);
    i = close == std::string::npos ? cmd.size() : close + 1;
  } else {
    i = cmd.find(' ');
    file = cmd.substr(0, i);
  }
  if (i < cmd.size())
    params = cmd.substr(cmd.find_first_not_of(' ', i) == std::string::npos
                            ? cmd.size()
                            : cmd.find_first_not_of(' ', i));
  // A relative program name means one of the files just extracted.
  SetCurrentDirectoryW(Widen(app.target).c_str());
  const std::wstring wfile = Widen(file), wparams = Widen(params), wdir = Widen(app.target);
  SHELLEXECUTEINFOW sei{};
  sei.cbSize = sizeof sei;
  sei.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  sei.hwnd = app.dialog;
  sei.lpFile = wfile.c_str();
  sei.lpParameters = params.empty() ? nullptr : wparams.c_str();
  sei.lpDirectory = wdir.c_str();
  sei.nShow = SW_SHOWNORMAL;
  if (!ShellExecuteExW(&sei)) {
    Tell(app, "The files were extracted, but the command \"" + cmd + "\" could not be run.",
         MB_ICONWARNING);
    app.exitCode = kSomeFailed;
    return;
  }
  if (sei.hProcess) {
    // Without the dialog the caller waits for the whole job, command included.
    if (app.options.automatic) WaitForSingleObject(sei.hProcess, INFINITE);
    CloseHandle(sei.hProcess);
  }
}

void Extract(App& app) {
  ExtractRequest request;
  request.target = FullPath(app.target);
  app.target = request.target;
  request.chosen = app.chosen;
  request.overwrite = app.overwrite;
  request.confirm = [&app](const std::string& path) { return Confirm(app, path); };
  request.progress = [&app](const std::string& name) {
    if (!app.dialog) return;
    SetDlgItemTextW(app.dialog, IDC_STATUS, Widen(name).c_str());
    UpdateWindow(GetDlgItem(app.dialog, IDC_STATUS));
  };
  HCURSOR old = SetCursor(LoadCursor(nullptr, IDC_WAIT));
  ExtractOutcome out = ExtractPayload(zip::SystemFileSystem(), app.exe, app.payload, request);
  SetCursor(old);
  if (out.cancelled) {
    app.exitCode = kCancelled;
    return;
  }
  if (!out.problems.empty()) {
    std::string text = "Not everything could be extracted into " + app.target + ":";
    for (size_t i = 0; i < out.problems.size() && i < 20; ++i) text += "\r\n" + out.problems[i];
    if (out.problems.size() > 20)
      text += "\r\n... and " + std::to_string(out.problems.size() - 20) + " more";
    Tell(app, text, MB_ICONWARNING);
    app.exitCode = kSomeFailed;
  }
  RunCommand(app);
}

// Hides a control and moves everything below it up by its height (and the gap after it).
void Collapse(HWND dlg, std::initializer_list<int> ids) {
  RECT gap{LONG_MAX, LONG_MAX, 0, 0};
  for (int id : ids) {
    HWND c = GetDlgItem(dlg, id);
    RECT r;
    GetWindowRect(c, &r);
    MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&r), 2);
    gap.top = std::min(gap.top, r.top);
    gap.bottom = std::max(gap.bottom, r.bottom);
    ShowWindow(c, SW_HIDE);
  }
  RECT unit{0, 0, 0, 4};
  MapDialogRect(dlg, &unit);
  const int shift = gap.bottom - gap.top + unit.bottom;
  for (HWND c = GetWindow(dlg, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    RECT r;
    GetWindowRect(c, &r);
    MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&r), 2);
    if (r.top >= gap.bottom)
      SetWindowPos(c, nullptr, r.left, r.top - shift, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  }
  RECT w;
  GetWindowRect(dlg, &w);
  SetWindowPos(dlg, nullptr, 0, 0, w.right - w.left, w.bottom - w.top - shift,
               SWP_NOMOVE | SWP_NOZORDER);
}

int CALLBACK BrowseCallback(HWND wnd, UINT msg, LPARAM, LPARAM data) {
  if (msg == BFFM_INITIALIZED) SendMessageW(wnd, BFFM_SETSELECTIONW, TRUE, data);
  return 0;
}

void Browse(App& app) {
  wchar_t typed[MAX_PATH] = {};
  GetDlgItemTextW(app.dialog, IDC_TARGET, typed, MAX_PATH);
  wchar_t chosen[MAX_PATH] = {};
  BROWSEINFOW bi{};
  bi.hwndOwner = app.dialog;
  bi.pszDisplayName = chosen;
  bi.lpszTitle = L"Extract the files to:";
  bi.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
  bi.lpfn = BrowseCallback;
  bi.lParam = reinterpret_cast<LPARAM>(typed);
  if (PIDLIST_ABSOLUTE pidl = SHBrowseForFolderW(&bi)) {
    if (SHGetPathFromIDListW(pidl, chosen)) SetDlgItemTextW(app.dialog, IDC_TARGET, chosen);
    CoTaskMemFree(pidl);
  }
}

void InitDialog(App& app, HWND dlg) {
  app.dialog = dlg;
  SetWindowTextW(dlg, Widen(app.caption).c_str());
  SetDlgItemTextW(dlg, IDC_TARGET, Widen(app.target).c_str());
  const uint8_t opts = app.payload.settings.options;
  HWND list = GetDlgItem(dlg, IDC_FILES);
  if (opts & zip::kSfxAskFiles) {
    ListView_SetExtendedListViewStyle(list, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    RECT r;
    GetClientRect(list, &r);
    LVCOLUMNW col{};
    col.mask = LVCF_WIDTH;
    col.cx = r.right - GetSystemMetrics(SM_CXVSCROLL);
    ListView_InsertColumn(list, 0, &col);
    for (size_t i = 0; i < app.payload.members.size(); ++i) {
      std::wstring name = Widen(app.payload.members[i].name);
      LVITEMW item{};
      item.mask = LVIF_TEXT;
      item.iItem = static_cast<int>(i);
      item.pszText = name.data();
      ListView_InsertItem(list, &item);
      ListView_SetCheckState(list, static_cast<int>(i), TRUE);
    }
  } else {
    Collapse(dlg, {IDC_FILES});
  }
  const int radio = app.overwrite == zip::SfxOverwrite::kAlways  ? IDC_OVR_ALWAYS
                    : app.overwrite == zip::SfxOverwrite::kNever ? IDC_OVR_NEVER
                                                                 : IDC_OVR_CONFIRM;
  CheckRadioButton(dlg, IDC_OVR_CONFIRM, IDC_OVR_NEVER, radio);
  if (opts & zip::kSfxHideOverwriteBox)
    Collapse(dlg, {IDC_OVR_GROUP, IDC_OVR_CONFIRM, IDC_OVR_ALWAYS, IDC_OVR_NEVER});
}

void OnExtract(App& app) {
  wchar_t typed[32768];
  GetDlgItemTextW(app.dialog, IDC_TARGET, typed, 32768);
  app.target = Narrow(typed);
  if (app.target.empty()) {
    Tell(app, "Please name the folder to extract the files to.", MB_ICONWARNING);
    return;
  }
  if (!(app.payload.settings.options & zip::kSfxHideOverwriteBox))
    app.overwrite = IsDlgButtonChecked(app.dialog, IDC_OVR_ALWAYS)  ? zip::SfxOverwrite::kAlways
                    : IsDlgButtonChecked(app.dialog, IDC_OVR_NEVER) ? zip::SfxOverwrite::kNever
                                                                    : zip::SfxOverwrite::kConfirm;
  if (app.payload.settings.options & zip::kSfxAskFiles) {
    HWND list = GetDlgItem(app.dialog, IDC_FILES);
    app.chosen.assign(app.payload.members.size(), false);
    for (size_t i = 0; i < app.chosen.size(); ++i)
      app.chosen[i] = ListView_GetCheckState(list, static_cast<int>(i)) != 0;
  }
  for (int id : {IDOK, IDCANCEL, IDC_BROWSE}) EnableWindow(GetDlgItem(app.dialog, id), FALSE);
  Extract(app);
  if (app.exitCode == kCancelled) {
    // Nothing was written: the user may choose again.
    app.exitCode = kDone;
    for (int id : {IDOK, IDCANCEL, IDC_BROWSE}) EnableWindow(GetDlgItem(app.dialog, id), TRUE);
    SetDlgItemTextW(app.dialog, IDC_STATUS, L"");
    return;
  }
  EndDialog(app.dialog, IDOK);
}

INT_PTR CALLBACK DialogProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  App* app = reinterpret_cast<App*>(GetWindowLongPtrW(dlg, DWLP_USER));
  switch (msg) {
    case WM_INITDIALOG:
      SetWindowLongPtrW(dlg, DWLP_USER, lp);
      InitDialog(*reinterpret_cast<App*>(lp), dlg);
      return TRUE;
    case WM_COMMAND:
      if (!app) break;
      switch (LOWORD(wp)) {
        case IDC_BROWSE: Browse(*app); return TRUE;
        case IDOK: OnExtract(*app); return TRUE;
        case IDCANCEL:
          app->exitCode = kCancelled;
          EndDialog(dlg, IDCANCEL);
          return TRUE;
      }
      break;
  }
  return FALSE;
}

int Run(HINSTANCE instance) {
  App app;
  app.options = ParseArguments();
  app.exe = platform::ExecutablePath();
  std::string error;
  auto payload = OpenPayload(zip::SystemFileSystem(), app.exe, error);
  if (!payload) {
    Tell(app, error, MB_ICONERROR);
    return kUnreadable;
  }
  app.payload = std::move(*payload);
  if (!app.payload.settings.caption.empty()) app.caption = app.payload.settings.caption;
  app.overwrite = app.payload.settings.overwrite;
  if (!app.options.target.empty()) {
    app.target = app.options.target;
  } else if (!app.payload.settings.defaultDir.empty()) {
    app.target = app.payload.settings.defaultDir;
  } else {
    app.target = app.exe.substr(0, app.exe.find_last_of('\\'));
  }
  if (app.options.automatic) {
    Extract(app);
    return app.exitCode;
  }
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_SFX), nullptr, DialogProc,
                  reinterpret_cast<LPARAM>(&app));
  CoUninitialize();
  return app.exitCode;
}

}  // namespace
}  // namespace quillow::sfx

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  return quillow::sfx::Run(instance);
}
