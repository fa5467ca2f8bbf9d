// TBrowseFolder: the shell's folder picker with a preselected start folder, a shortened
// path in its status line, placement over the foreground window and an optional extra
// button.
#pragma once

#include <windows.h>

#include <shlobj.h>

#include <cstdint>
#include <functional>
#include <string>

namespace quillow::ui {

enum TBrowseInfoFlag : uint32_t {
  bfFileSysDirsOnly = 1u << 0,
  bfDontGoBelowDomain = 1u << 1,
  bfStatusText = 1u << 2,
  bfFileSysAncestors = 1u << 3,
  bfBrowseForComputer = 1u << 4,
  bfBrowseForPrinter = 1u << 5,
};
using TBrowseInfoFlags = uint32_t;  // a set of TBrowseInfoFlag

enum TSHFolders {
  foDesktop,
  foDesktopExpanded,
  foPrograms,
  foControlPanel,
  foPrinters,
  foPersonal,
  foFavorites,
  foStartup,
  foRecent,
  foSendto,
  foRecycleBin,
  foStartMenu,
  foDesktopDirectory,
  foMyComputer,
  foNetwork,
  foNetworkNeighborhood,
  foFonts,
  foTemplates,
};

enum TCustomButtonType { btPushButton, btCheckBox };

// The shell's BIF_ options for a set of flags.
UINT ShellBrowseFlags(TBrowseInfoFlags flags);
// The shell's special-folder number of a root; -1 for foDesktopExpanded (no root item).
int SpecialFolderOf(TSHFolders folder);

// `path` shortened for a status line of `limit` characters: the second part becomes "..."
// and further parts after it go until the text fits; the drive and the last name stay.
std::wstring ShortenPath(const std::wstring& path, size_t limit = 35);

// Where the dialog goes: centred horizontally on `over`, its top a quarter of `over`'s
// height below `over`'s top.
POINT CentredPosition(const RECT& over, SIZE dialog);

// The application's main window: the last-resort owner of the dialog.
void SetApplicationWindow(HWND hwnd);
HWND ApplicationWindow();

class TBrowseFolder {
 public:
  // `owner`: the window of the component's owner, when it has one.
  explicit TBrowseFolder(HWND owner = nullptr) : owner_(owner) {}
  TBrowseFolder(const TBrowseFolder&) = delete;
  TBrowseFolder& operator=(const TBrowseFolder&) = delete;

  // The owner's window, once it has one.
  void SetOwnerWindow(HWND owner) { owner_ = owner; }

  // Modal. True when the user chose a folder with "OK"; Directory then holds it.
  bool Execute();

  // Published properties.
  std::string Directory;
  std::string Title;
  TBrowseInfoFlags Flags = bfFileSysDirsOnly | bfStatusText;
  bool ShowPathInStatusArea = false;
  TSHFolders RootFolder = foDesktopExpanded;
  bool CustomButtonVisible = false;
  TCustomButtonType CustomButtonType = btPushButton;
  bool CustomButtonChecked = false;
  bool SyncCustomButton = false;
  std::function<void(TBrowseFolder& sender, HWND dialog)> OnInitialized;
  std::function<void(TBrowseFolder& sender, HWND dialog, PCIDLIST_ABSOLUTE item,
                     const std::string& directory)>
      OnSelectionChanged;
  std::function<void(TBrowseFolder& sender, HWND dialog)> OnCustomButtonClick;

  // Properties that act on the open dialog at once.
  bool CustomButtonEnabled() const { return customButtonEnabled_; }
  void SetCustomButtonEnabled(bool on);
  const std::string& CustomButtonCaption() const { return customButtonCaption_; }
  void SetCustomButtonCaption(const std::string& caption);
  int CustomButtonWidth() const { return customButtonWidth_; }
  void SetCustomButtonWidth(int width) { customButtonWidth_ = width > 0 ? width : 75; }

  // Run-time state.
  HWND ParentWindow = nullptr;
  const std::string& CurrentPath() const { return currentPath_; }
  std::string DisplayName() const;
  int ImageIndex() const { return imageIndex_; }
  HWND DialogHandle() const { return dialog_; }
  HWND CustomButtonHandle() const { return button_; }

 private:
  static int CALLBACK BrowseCallback(HWND dialog, UINT msg, LPARAM param, LPARAM self);
  static LRESULT CALLBACK DialogSubProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                        DWORD_PTR self);
  HWND OwnerWindow() const;
  void Initialized(HWND dialog);
  void SelectionChanged(HWND dialog, PCIDLIST_ABSOLUTE item);
  void CreateCustomButton();

  HWND owner_;
  bool customButtonEnabled_ = true;
  std::string customButtonCaption_;
  int customButtonWidth_ = 75;
  std::string currentPath_;
  wchar_t displayName_[MAX_PATH] = {};
  int imageIndex_ = 0;
  HWND dialog_ = nullptr;
  HWND button_ = nullptr;
};

}  // namespace quillow::ui
