#include "app/application.h"

#include "app/res/resource.h"
#include "platform/win32/text.h"
#include "ui/barrier.h"
#include "ui/components/browse_folder.h"

namespace quillow::app {

Application::Application(FormServices services) : services_(std::move(services)) {}

Application::~Application() {
  ui::SetExceptionReporter({});
  // The dialogs are owned by the main window: they go first.
  zipOptions_.reset();
  aboutBox_.reset();
  advancedOptions_.reset();
  resultForm_.reset();
}

bool Application::CreateForms() {
  resultForm_ = std::make_unique<TResultForm>(services_);
  if (!resultForm_->Create()) return false;
  resultForm_->SetMainWindow(true);
  const HWND main = resultForm_->Handle();
  ui::SetApplicationWindow(main);
  // What escapes a callback outside the forms (the folder browser's) is shown as the
  // forms show theirs.
  ui::SetExceptionReporter([this](HWND owner, const std::string& what) {
    if (services_.messages)
      services_.messages->Show(owner, what, title_, MB_OK | MB_ICONERROR);
    else
      MessageBoxW(owner, platform::Widen(what).c_str(), platform::Widen(title_).c_str(),
                  MB_OK | MB_ICONERROR);
  });
  advancedOptions_ = std::make_unique<ui::TAdvancedOptions>();
  aboutBox_ = std::make_unique<ui::TAboutBox>(IDI_QUILLOW);
  zipOptions_ = std::make_unique<ui::TZipOptions>();
  for (ui::DialogForm* form : std::initializer_list<ui::DialogForm*>{
           advancedOptions_.get(), aboutBox_.get(), zipOptions_.get()})
    form->SetMessageBoxes(services_.messages);
  aboutBox_->SetShell(services_.shell);
  zipOptions_->SetFolderBrowser(services_.browser);
  if (!advancedOptions_->Create(main) || !aboutBox_->Create(main) || !zipOptions_->Create(main))
    return false;
  resultForm_->SetForms(advancedOptions_.get(), aboutBox_.get(), zipOptions_.get());
  return true;
}

int Application::Run(int showCommand) {
  resultForm_->Show(showCommand);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (resultForm_->PreTranslateMessage(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}

void Application::ShowException(const std::string& message) const {
  MessageBoxW(resultForm_ ? resultForm_->Handle() : nullptr, platform::Widen(message).c_str(),
              platform::Widen(title_).c_str(), MB_OK | MB_ICONERROR);
}

}  // namespace quillow::app
