// The main window: its state, its controls and their places, and the routing of messages
// to one handler each.
#include "app/result_form.h"

#include <commctrl.h>

#include <exception>

#include "app/ids.h"
#include "app/res/resource.h"
#include "platform/fs.h"
#include "platform/win32/text.h"
#include "ui/controls/dpi.h"
#include "ui/zip_component_ui.h"

namespace quillow::app {

namespace {

constexpr wchar_t kFormClass[] = L"TResultForm";

// Designed sizes, in pixels at 96 dots per inch.
constexpr int kFormWidth = 583, kFormHeight = 377;
constexpr int kMinWidth = 436, kMinHeight = 152;

void RegisterFormClass(WNDPROC proc) {
  static const bool registered = [proc] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hIcon = LoadIconW(wc.hInstance, MAKEINTRESOURCEW(IDI_QUILLOW));
    wc.hIconSm = static_cast<HICON>(LoadImageW(wc.hInstance, MAKEINTRESOURCEW(IDI_QUILLOW),
                                               IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                               GetSystemMetrics(SM_CYSMICON), 0));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kFormClass;
    return RegisterClassExW(&wc) != 0;
  }();
  (void)registered;
}

}  // namespace

TResultForm::TResultForm(FormServices services)
    : services_(std::move(services)),
      messages_(services_.messages ? *services_.messages : systemMessages_),
      shell_(services_.shell ? *services_.shell : systemShell_),
      saver_(services_.fileDialogs, messages_, shell_),
      printer_(services_.printers, messages_),
      extractor_(messages_),
      opener_(shell_, messages_),
      // Taken once: a drive attached later is not in the drive sets until the next start.
      scope_(services_.browser,
             services_.driveTypes ? services_.driveTypes() : platform::ReadDriveTypes()),
      windowSettings_(services_.settingsStore, messages_, Files, Folder),
      programFolder_(services_.programFolder.empty() ? platform::ExecutableFolder() + "\\"
                                                     : services_.programFolder),
      startFolder_(platform::CurrentFolder()),
      shellCommands_({programFolder_, services_.programPath, services_.programsFolder,
                      services_.machineRoot, services_.userRoot},
                     messages_, shell_),
      queue_([this] { PostMessageW(hwnd_, kQueueMessage, 0, 0); }),
      handOver_(queue_, *this) {
  if (services_.wrapSearchHost) wrappedHost_ = services_.wrapSearchHost(handOver_);
}

TResultForm::~TResultForm() {
  ZipComponent.reset();  // before the message boxes it shows its messages in
  queue_.Close();
  search_.reset();  // waits for the thread, which no longer reaches the window
  if (hwnd_) DestroyWindow(hwnd_);
}

std::string TResultForm::WarningsPath() const { return programFolder_ + search::kWarningsFileName; }

bool TResultForm::Create() {
  RegisterFormClass(WndProc);
  hwnd_ =
      CreateWindowExW(WS_EX_CONTROLPARENT, kFormClass, platform::Widen(kProgramTitle).c_str(),
                      WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT,
                      kFormWidth, kFormHeight, nullptr, nullptr, GetModuleHandleW(nullptr), this);
  if (!hwnd_) return false;
  scope_.SetOwnerWindow(hwnd_);
  ZipComponent = ui::MakeZipComponent(messages_, hwnd_, kProgramTitle);
  ZipComponent->SFXCaption = zip::kDefaultSFXCaption;
  layout_.SetDpi(ui::WindowDpi(hwnd_));
  if (layout_.Dpi() != 96)
    SetWindowPos(hwnd_, nullptr, 0, 0, layout_.Scale(kFormWidth), layout_.Scale(kFormHeight),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  CreateControls();
  menu_.Create(hwnd_);
  Constrain1 = std::make_unique<ui::TConstrain>(hwnd_);
  Constrain1->MinWidth = layout_.Scale(kMinWidth);
  Constrain1->MinHeight = layout_.Scale(kMinHeight);
  layout_.Layout(hwnd_);
  FormCreate();
  return true;
}

void TResultForm::CreateControls() {
  Panel1.Create(hwnd_, id::Panel1);
  const HWND panel = Panel1.Handle();
  Label1.Create(panel, id::Label1, "Find files named:");
  Files.Create(panel, id::Files);
  Label2.Create(panel, id::Label2, "Look in:");
  Folder.Create(panel, id::Folder);
  Folder.SetText("C:\\");
  BeginSearch.Create(panel, id::BeginSearch, kBeginSearchCaption);
  layout_.LoadGlyph();
  BeginSearch.Enable(false);
  Button1.Create(panel, id::Button1, "Browse...");
  Results.Create(hwnd_, id::Results);
  StatusBar1.Create(hwnd_, id::StatusBar1);

  // Enter in either box is a key press of the box, not of the dialog manager.
  for (HWND edit : {Files.EditHandle(), Folder.EditHandle()})
    if (edit) SetWindowSubclass(edit, EditSubProc, 1, reinterpret_cast<DWORD_PTR>(this));

  layout_.ApplyFont();
  static constexpr struct {
    const char* caption;
    int width;
  } kColumns[] = {{"File", 160}, {"Archive/Folder", 180}, {"Modified", 115},
                  {"Size", 75},  {"Ratio", 50},           {"Packed", 50}};
  for (const auto& column : kColumns)
    Results.AddColumn(column.caption, layout_.Scale(column.width));
}

void TResultForm::OnDpiChanged(int dpi, const RECT& suggested) {
  layout_.ChangeDpi(dpi);
  if (Constrain1) {
    Constrain1->MinWidth = layout_.Scale(kMinWidth);
    Constrain1->MinHeight = layout_.Scale(kMinHeight);
  }
  SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  layout_.Layout(hwnd_);
}

void TResultForm::SetForms(ui::TAdvancedOptions* advanced, ui::TAboutBox* about,
                           ui::TZipOptions* zipOptions) {
  advancedOptions_ = advanced;
  aboutBox_ = about;
  zipOptions_ = zipOptions;
}

void TResultForm::Show(int showCommand) {
  FormShow();
  ShowWindow(hwnd_, windowSettings_.ShowCommand(showCommand));
  UpdateWindow(hwnd_);
  SetFocus(Files.Handle());
}

bool TResultForm::PreTranslateMessage(MSG& msg) {
  if (!hwnd_ || (msg.hwnd != hwnd_ && !IsChild(hwnd_, msg.hwnd))) return false;
  return IsDialogMessageW(hwnd_, &msg) != FALSE;
}

void TResultForm::FormCreate() {
  windowSettings_.Load(hwnd_, programFolder_, Settings);
  menu_.SetOptionChecks(Settings);
}

// Only a migration from the legacy configuration file has a window placement to apply.
void TResultForm::FormShow() { windowSettings_.ApplyLegacyWindow(hwnd_); }

// Runs once: at the end of the session the window may be told to close after the settings
// were already saved, and a second save would only repeat the first.
void TResultForm::FormClose() {
  if (closed_) return;
  closed_ = true;
  if (search_) search_->RequestStop();
  // Saved without waiting for the search: it only reads the settings.
  windowSettings_.Save(hwnd_, Settings);
  opener_.DeleteTemporaryFiles();
}

void TResultForm::Exit1Click() {
  if (search_) search_->RequestStop();
  PostMessageW(hwnd_, WM_CLOSE, 0, 0);
}

// The window is no dialog, so it keeps the focused control itself across activations.
void TResultForm::OnActivate(bool active) {
  if (!active) {
    HWND focus = GetFocus();
    if (focus && IsChild(hwnd_, focus)) lastFocus_ = focus;
    return;
  }
  SetFocus(lastFocus_ && IsWindow(lastFocus_) ? lastFocus_ : Files.Handle());
}

void TResultForm::OnDestroy() {
  // From here on the search thread neither queues nor waits for anything.
  queue_.Close();
  if (search_) search_->RequestStop();
  KillTimer(hwnd_, kQueueTimer);
  if (mainWindow_) PostQuitMessage(0);
}

LRESULT CALLBACK TResultForm::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  TResultForm* form;
  if (msg == WM_NCCREATE) {
    form = static_cast<TResultForm*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
    form->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
  } else {
    form = reinterpret_cast<TResultForm*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  }
  if (!form) return DefWindowProcW(hwnd, msg, wp, lp);
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    form->hwnd_ = nullptr;
    return DefWindowProcW(hwnd, msg, wp, lp);
  }
  // An exception never crosses the message loop: it is shown and the window goes on.
  try {
    return form->HandleMessage(msg, wp, lp);
  } catch (const std::exception& e) {
    form->ShowException(e.what());
  } catch (...) {
    form->ShowException("Unexpected error.");
  }
  return 0;
}

void TResultForm::ShowException(const char* what) {
  messages_.Show(hwnd_, what, kProgramTitle, MB_OK | MB_ICONERROR);
}

LRESULT TResultForm::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_SIZE: layout_.Layout(hwnd_); return 0;
    case WM_COMMAND: OnCommand(LOWORD(wp), HIWORD(wp)); return 0;
    case WM_NOTIFY: return OnNotify(reinterpret_cast<NMHDR*>(lp));
    case WM_CONTEXTMENU: OnContextMenu(reinterpret_cast<HWND>(wp), lp); return 0;
    case kQueueMessage: RunQueue(); return 0;
    case WM_TIMER:
      if (wp == kQueueTimer) {
        RunQueue();
        return 0;
      }
      break;
    case WM_DPICHANGED: OnDpiChanged(HIWORD(wp), *reinterpret_cast<RECT*>(lp)); return 0;
    case WM_ACTIVATE: OnActivate(LOWORD(wp) != WA_INACTIVE); return 0;
    case WM_CLOSE:
      FormClose();
      DestroyWindow(hwnd_);
      return 0;
    // Logging off or shutting down ends the process without a WM_CLOSE: what closing would
    // keep is kept now.
    case WM_QUERYENDSESSION: return TRUE;
    case WM_ENDSESSION:
      if (wp) FormClose();
      return 0;
    case WM_DESTROY: OnDestroy(); return 0;
  }
  return DefWindowProcW(hwnd_, msg, wp, lp);
}

LRESULT CALLBACK TResultForm::EditSubProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                          DWORD_PTR self) {
  auto* form = reinterpret_cast<TResultForm*>(self);
  // As in the window procedure, no exception leaves the subclass.
  try {
    switch (msg) {
      case WM_GETDLGCODE:
        // Enter belongs to the box (it may start a search), not to the dialog manager.
        if (lp && reinterpret_cast<MSG*>(lp)->message == WM_KEYDOWN && wp == VK_RETURN)
          return DefSubclassProc(hwnd, msg, wp, lp) | DLGC_WANTALLKEYS;
        break;
      case WM_CHAR: {
        wchar_t key = static_cast<wchar_t>(wp);
        const HWND combo = GetParent(hwnd);
        if (combo == form->Files.Handle())
          form->FilesKeyPress(key);
        else
          form->FolderKeyPress(key);
        if (key == 0) return 0;  // handled: the edit must not beep
        wp = key;
        break;
      }
      case WM_NCDESTROY: RemoveWindowSubclass(hwnd, EditSubProc, 1); break;
    }
    return DefSubclassProc(hwnd, msg, wp, lp);
  } catch (const std::exception& e) {
    form->ShowException(e.what());
  } catch (...) {
    form->ShowException("Unexpected error.");
  }
  return 0;
}

}  // namespace quillow::app
