#include "ui/components/browse_folder.h"

#include <commctrl.h>

#include <vector>

#include "platform/win32/handles.h"
#include "platform/win32/text.h"
#include "ui/barrier.h"

namespace quillow::ui {

namespace {

constexpr int kCustomButtonId = 255;
constexpr int kCustomButtonX = 12;
constexpr int kCustomButtonY = 270;
constexpr int kCustomButtonHeight = 23;

HWND g_applicationWindow = nullptr;

std::vector<std::wstring> SplitPath(const std::wstring& path) {
  std::vector<std::wstring> parts;
  size_t start = 0;
  for (;;) {
    const size_t sep = path.find(L'\\', start);
    parts.push_back(
        path.substr(start, sep == std::wstring::npos ? std::wstring::npos : sep - start));
    if (sep == std::wstring::npos) return parts;
    start = sep + 1;
  }
}

std::wstring JoinPath(const std::vector<std::wstring>& parts) {
  std::wstring path;
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i) path += L'\\';
    path += parts[i];
  }
  return path;
}

std::string PathOf(PCIDLIST_ABSOLUTE item) {
  wchar_t path[MAX_PATH] = {};
  if (!item || !SHGetPathFromIDListW(item, path)) return {};
  return platform::Narrow(path);
}

}  // namespace

UINT ShellBrowseFlags(TBrowseInfoFlags flags) {
  UINT shell = 0;
  if (flags & bfFileSysDirsOnly) shell |= BIF_RETURNONLYFSDIRS;
  if (flags & bfDontGoBelowDomain) shell |= BIF_DONTGOBELOWDOMAIN;
  if (flags & bfStatusText) shell |= BIF_STATUSTEXT;
  if (flags & bfFileSysAncestors) shell |= BIF_RETURNFSANCESTORS;
  if (flags & bfBrowseForComputer) shell |= BIF_BROWSEFORCOMPUTER;
  if (flags & bfBrowseForPrinter) shell |= BIF_BROWSEFORPRINTER;
  return shell;
}

int SpecialFolderOf(TSHFolders folder) {
  static constexpr int kNumbers[] = {
      CSIDL_DESKTOP,
      -1,
      CSIDL_PROGRAMS,
      CSIDL_CONTROLS,
      CSIDL_PRINTERS,
      CSIDL_PERSONAL,
      CSIDL_FAVORITES,
      CSIDL_STARTUP,
      CSIDL_RECENT,
      CSIDL_SENDTO,
      CSIDL_BITBUCKET,
      CSIDL_STARTMENU,
      CSIDL_DESKTOPDIRECTORY,
      CSIDL_DRIVES,
      CSIDL_NETWORK,
      CSIDL_NETHOOD,
      CSIDL_FONTS,
      CSIDL_TEMPLATES,
  };
  const int i = static_cast<int>(folder);
  if (i < 0 || i >= static_cast<int>(std::size(kNumbers))) return -1;
  return kNumbers[i];
}

std::wstring ShortenPath(const std::wstring& path, size_t limit) {
  std::vector<std::wstring> parts = SplitPath(path);
  if (path.size() <= limit || parts.size() < 3) return path;
  parts[1] = L"...";
  std::wstring shortened = JoinPath(parts);
  while (shortened.size() > limit && parts.size() > 3) {
    parts.erase(parts.begin() + 2);
    shortened = JoinPath(parts);
  }
  return shortened;
}

POINT CentredPosition(const RECT& over, SIZE dialog) {
  const LONG width = over.right - over.left, height = over.bottom - over.top;
  return {over.left + width / 2 - dialog.cx / 2, over.top + height / 4};
}

void SetApplicationWindow(HWND hwnd) { g_applicationWindow = hwnd; }
HWND ApplicationWindow() { return g_applicationWindow; }

std::string TBrowseFolder::DisplayName() const { return platform::Narrow(displayName_); }

HWND TBrowseFolder::OwnerWindow() const {
  if (ParentWindow && IsWindow(ParentWindow)) return ParentWindow;
  if (owner_ && IsWindow(owner_)) return owner_;
  return g_applicationWindow;
}

bool TBrowseFolder::Execute() {
  const HWND owner = OwnerWindow();
  platform::UniquePidl root;
  const int special = SpecialFolderOf(RootFolder);
  if (special >= 0 && FAILED(SHGetSpecialFolderLocation(owner, special, root.put()))) root.reset();

  const std::wstring title = platform::Widen(Title);
  BROWSEINFOW info{};
  info.hwndOwner = owner;
  info.pidlRoot = root.get();
  info.pszDisplayName = displayName_;
  info.lpszTitle = title.c_str();
  info.ulFlags = ShellBrowseFlags(Flags);
  info.lpfn = BrowseCallback;
  info.lParam = reinterpret_cast<LPARAM>(this);

  const platform::UniquePidl chosen(SHBrowseForFolderW(&info));
  dialog_ = nullptr;
  button_ = nullptr;
  if (!chosen) return false;
  Directory = PathOf(chosen.get());
  currentPath_ = Directory;
  imageIndex_ = info.iImage;
  return true;
}

int CALLBACK TBrowseFolder::BrowseCallback(HWND dialog, UINT msg, LPARAM param, LPARAM self) {
  auto* browser = reinterpret_cast<TBrowseFolder*>(self);
  // The shell calls in here: nothing may be thrown back into it (the event handlers are the
  // owner's code).
  return Guarded(dialog, 0, [&] {
    if (msg == BFFM_INITIALIZED)
      browser->Initialized(dialog);
    else if (msg == BFFM_SELCHANGED)
      browser->SelectionChanged(dialog, reinterpret_cast<PCIDLIST_ABSOLUTE>(param));
    return 0;
  });
}

void TBrowseFolder::Initialized(HWND dialog) {
  dialog_ = dialog;
  SetWindowLongPtrW(dialog, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));

  if (HWND foreground = GetForegroundWindow(); foreground && foreground != dialog) {
    RECT over{}, own{};
    GetWindowRect(foreground, &over);
    GetWindowRect(dialog, &own);
    const POINT at = CentredPosition(over, {own.right - own.left, own.bottom - own.top});
    SetWindowPos(dialog, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }

  const std::wstring start = platform::Widen(Directory);
  const DWORD attributes =
      start.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(start.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
    SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(start.c_str()));

  if (CustomButtonVisible) CreateCustomButton();
  if (OnInitialized) OnInitialized(*this, dialog);
}

void TBrowseFolder::SelectionChanged(HWND dialog, PCIDLIST_ABSOLUTE item) {
  currentPath_ = PathOf(item);
  if (ShowPathInStatusArea) {
    const std::wstring status = ShortenPath(platform::Widen(currentPath_));
    SendMessageW(dialog, BFFM_SETSTATUSTEXTW, 0, reinterpret_cast<LPARAM>(status.c_str()));
  }
  const bool hasPath = !currentPath_.empty();
  SendMessageW(dialog, BFFM_ENABLEOK, 0, hasPath ? TRUE : FALSE);
  if (SyncCustomButton) SetCustomButtonEnabled(hasPath);
  if (OnSelectionChanged) OnSelectionChanged(*this, dialog, item, currentPath_);
}

void TBrowseFolder::CreateCustomButton() {
  DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
  style |= CustomButtonType == btCheckBox ? BS_AUTOCHECKBOX : BS_PUSHBUTTON;
  button_ = CreateWindowExW(0, WC_BUTTONW, platform::Widen(customButtonCaption_).c_str(), style,
                            kCustomButtonX, kCustomButtonY, customButtonWidth_, kCustomButtonHeight,
                            dialog_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kCustomButtonId)),
                            GetModuleHandleW(nullptr), nullptr);
  if (!button_) return;
  SendMessageW(button_, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)),
               TRUE);
  if (CustomButtonType == btCheckBox)
    SendMessageW(button_, BM_SETCHECK, CustomButtonChecked ? BST_CHECKED : BST_UNCHECKED, 0);
  EnableWindow(button_, customButtonEnabled_ ? TRUE : FALSE);
  SetWindowSubclass(dialog_, DialogSubProc, 1, reinterpret_cast<DWORD_PTR>(this));
}

LRESULT CALLBACK TBrowseFolder::DialogSubProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                              DWORD_PTR self) {
  auto* browser = reinterpret_cast<TBrowseFolder*>(self);
  return Guarded(hwnd, LRESULT{0}, [&]() -> LRESULT {
    if (msg == WM_COMMAND) {
      const int id = LOWORD(wp) & 0xFF;
      if (id == IDOK && browser->CustomButtonType == btCheckBox && browser->button_)
        browser->CustomButtonChecked =
            SendMessageW(browser->button_, BM_GETCHECK, 0, 0) == BST_CHECKED;
      if (id == kCustomButtonId) {
        if (browser->OnCustomButtonClick) browser->OnCustomButtonClick(*browser, hwnd);
        return 0;
      }
    } else if (msg == WM_NCDESTROY) {
      RemoveWindowSubclass(hwnd, DialogSubProc, 1);
    }
    return DefSubclassProc(hwnd, msg, wp, lp);
  });
}

void TBrowseFolder::SetCustomButtonEnabled(bool on) {
  customButtonEnabled_ = on;
  if (button_ && IsWindow(button_)) EnableWindow(button_, on ? TRUE : FALSE);
}

void TBrowseFolder::SetCustomButtonCaption(const std::string& caption) {
  customButtonCaption_ = caption;
  if (button_ && IsWindow(button_)) SetWindowTextW(button_, platform::Widen(caption).c_str());
}

}  // namespace quillow::ui
