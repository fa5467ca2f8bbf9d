#include "ui/dialogs/zipext/zipext.h"

#include <cctype>
#include <filesystem>
#include <system_error>

#include "platform/win32/text.h"
#include "ui/components/component_folder_browser.h"
#include "ui/dialogs/zipext/zipext_ids.h"

namespace quillow::ui {

namespace id = zipext_id;

namespace {

// A path that names its drive and its root: "C:\..." or "\\server\share...". Anything else
// would be taken relative to whatever folder is current, which the user cannot see.
bool IsFullPath(const std::string& path) {
  const bool drive = path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) &&
                     path[1] == ':' && path[2] == '\\';
  return drive || (path.size() > 2 && path[0] == '\\' && path[1] == '\\');
}

DWORD Attributes(const std::string& path) {
  return GetFileAttributesW(platform::WidePath(path).c_str());
}

}  // namespace

TZipOptions::TZipOptions()
    : DialogForm({.caption = "ZIP file extraction",
                  .clientWidth = 358,
                  .clientHeight = 99,
                  .toolWindow = true,
                  .titleButtons = false,
                  .centreOnScreen = false}) {
  BrowseFolder.Directory = "C:\\";
  BrowseFolder.Flags = ui::bfFileSysDirsOnly | ui::bfStatusText;
  BrowseFolder.ShowPathInStatusArea = false;
}

int TZipOptions::Execute(ExtractAction extract) {
  extract_ = std::move(extract);
  const int result = ShowModal();
  extract_ = nullptr;
  return result;
}

void TZipOptions::OnInit() {
  const HWND form = Handle();
  BrowseFolder.SetOwnerWindow(form);
  Label3.Create(form, id::Label3, "Extract to:");
  Folder.Create(form, id::Folder, "C:\\");
  Folder.SetLimit(255);
  Button3.Create(form, id::Button3, "Browse...");
  CheckBox1.Create(form, id::CheckBox1, "Extract with folder names");
  CheckBox1.SetChecked(true);
  CheckBox2.Create(form, id::CheckBox2, "Overwrite files");
  CheckBox2.SetChecked(true);
  Button1.Create(form, id::Button1, "OK");
  Button2.Create(form, id::Button2, "Cancel");
  Progress1.Create(form, id::Progress1, "");
  Progress2.Create(form, id::Progress2, "");
  // A long member name is cut in its middle, where the file's own name survives.
  SetWindowLongPtrW(Progress2.Handle(), GWL_STYLE,
                    GetWindowLongPtrW(Progress2.Handle(), GWL_STYLE) | SS_PATHELLIPSIS);
  ShowWorking(false);
  // Enter in the folder box extracts, as a click on "OK" does.
  SendMessageW(form, DM_SETDEFID, id::Button1, 0);
}

void TZipOptions::OnLayout() {
  // Pixels at 96 dots per inch: 8 from the form's edges; the buttons in a column on the
  // right, the check boxes lined up under the folder box they belong to.
  PlaceControls({
      {Label3, 8, 13, 62, 15},
      {Folder, 72, 9, 195, 22},
      {Button3, 275, 8, 75, 25},
      {CheckBox1, 72, 43, 195, 17},
      {CheckBox2, 72, 66, 195, 17},
      {Progress1, 72, 44, 195, 15},
      {Progress2, 72, 67, 195, 15},
      {Button1, 275, 39, 75, 25},
      {Button2, 275, 68, 75, 25},
  });
}

void TZipOptions::OnShow() {
  ShowWorking(false);
  // The form keeps the focus where it was when it last closed (often "Cancel"); the folder
  // is what the user types first. Posted: the focus moves once the form is visible.
  PostMessageW(Handle(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Folder.Handle()), TRUE);
}

bool TZipOptions::OnCommand(int commandId, int code, HWND) {
  if (code != BN_CLICKED) return false;
  switch (commandId) {
    case id::Button3: Button3Click(); return true;
    case id::Button1: Button1Click(); return true;
    case id::Button2: Button2Click(); return true;
  }
  return false;
}

void TZipOptions::Button3Click() {
  ui::ComponentFolderBrowser own(BrowseFolder);
  ui::FolderBrowser& browser = browser_ ? *browser_ : own;
  browser.SetDirectory(Folder.Text());
  if (browser.Execute()) Folder.SetText(browser.Directory());
}

void TZipOptions::Button1Click() { Accept(); }

void TZipOptions::Button2Click() { Cancel(); }

std::string TZipOptions::TargetFolder() {
  std::string folder = Folder.Text();
  for (char& c : folder)
    if (c == '/') c = '\\';
  while (!folder.empty() && folder.back() == ' ') folder.pop_back();
  if (!IsFullPath(folder)) {
    ShowMessage(folder.empty() ? "Type the folder to extract to."
                               : "\"" + folder +
                                     "\" is not a full path. Type the folder with its drive, "
                                     "for example C:\\Extracted.",
                "Error", MB_OK | MB_ICONERROR);
    return {};
  }
  const DWORD attributes = Attributes(folder);
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return folder;
    ShowMessage("\"" + folder + "\" is a file, not a folder.", "Error", MB_OK | MB_ICONERROR);
    return {};
  }
  if (ShowMessage("The folder \"" + folder + "\" does not exist. Create it?", "Warning",
                  MB_YESNO | MB_ICONQUESTION) != IDYES)
    return {};
  const std::u8string utf8(folder.begin(), folder.end());
  std::error_code error;
  std::filesystem::create_directories(std::filesystem::path(utf8), error);
  if (error || !(Attributes(folder) & FILE_ATTRIBUTE_DIRECTORY) ||
      Attributes(folder) == INVALID_FILE_ATTRIBUTES) {
    ShowMessage("The folder \"" + folder + "\" cannot be created" +
                    (error ? ": " + error.message() : std::string(".")),
                "Error", MB_OK | MB_ICONERROR);
    return {};
  }
  return folder;
}

bool TZipOptions::OnOK() {
  // A second "OK" while the first still extracts (from a message the extraction let
  // through) does nothing.
  if (extracting_) return false;
  const std::string folder = TargetFolder();
  if (folder.empty()) {
    SendMessageW(Handle(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Folder.Handle()), TRUE);
    return false;
  }
  Folder.SetText(folder);
  choices_ = {folder, CheckBox1.Checked(), CheckBox2.Checked()};
  if (!extract_) return true;

  // The form stays up with the hourglass while the work runs, showing each file as it
  // begins; "Cancel" then stops the work instead of closing the form at once.
  struct Scope {
    TZipOptions& form;
    HCURSOR cursor;
    ~Scope() {
      form.extracting_ = false;
      form.ShowWorking(false);
      SetCursor(cursor);
    }
  } scope{*this, SetCursor(LoadCursorW(nullptr, IDC_WAIT))};
  extracting_ = true;
  stopRequested_ = false;
  ShowWorking(true);
  extract_(choices_, *this);
  return true;
}

void TZipOptions::OnCancel() {
  if (extracting_) stopRequested_ = true;
}

void TZipOptions::ShowWorking(bool working) {
  for (ui::Control* input :
       {static_cast<ui::Control*>(&Folder), static_cast<ui::Control*>(&Button3),
        static_cast<ui::Control*>(&Button1)})
    input->Enable(!working);
  CheckBox1.Show(!working);
  CheckBox2.Show(!working);
  Progress1.SetText(working ? "Extracting..." : "");
  Progress2.SetText("");
  Progress1.Show(working);
  Progress2.Show(working);
}

void TZipOptions::FileStarted(const std::string& name, int number, int total) {
  Progress1.SetText("Extracting file " + std::to_string(number) + " of " + std::to_string(total) +
                    ":");
  Progress2.SetText(name);
  UpdateWindow(Handle());
}

bool TZipOptions::KeepGoing() {
  MSG msg;
  while (!stopRequested_ && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      // The loop that waits for it must still see it; the work stops here.
      PostQuitMessage(static_cast<int>(msg.wParam));
      stopRequested_ = true;
      break;
    }
    if (!IsDialogMessageW(Handle(), &msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  if (extracting_) SetCursor(LoadCursorW(nullptr, IDC_WAIT));
  return !stopRequested_;
}

std::optional<LRESULT> TZipOptions::OnMessage(UINT msg, WPARAM, LPARAM) {
  if (msg == WM_SETCURSOR && extracting_) {
    SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    return TRUE;
  }
  return std::nullopt;
}

}  // namespace quillow::ui
