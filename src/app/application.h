// The application object: its title, the four forms of the program made once in their
// order, and the message loop that runs until the main window closes.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "app/result_form.h"
#include "ui/dialogs/about/about.h"
#include "ui/dialogs/advanced/advanced.h"
#include "ui/dialogs/zipext/zipext.h"

namespace quillow::app {

class Application {
 public:
  explicit Application(FormServices services = {});
  ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  void SetTitle(const std::string& title) { title_ = title; }
  const std::string& Title() const { return title_; }

  // Makes TResultForm (the main window), TAdvancedOptions, TAboutBox and TZipOptions.
  bool CreateForms();
  // Shows the main window and runs the message loop until it closes; the exit code.
  int Run(int showCommand);

  TResultForm& ResultForm() { return *resultForm_; }
  ui::TAdvancedOptions& AdvancedOptions() { return *advancedOptions_; }
  ui::TAboutBox& AboutBox() { return *aboutBox_; }
  ui::TZipOptions& ZipOptions() { return *zipOptions_; }

  // The application's standard exception message.
  void ShowException(const std::string& message) const;

 private:
  FormServices services_;
  std::string title_;
  std::unique_ptr<TResultForm> resultForm_;
  std::unique_ptr<ui::TAdvancedOptions> advancedOptions_;
  std::unique_ptr<ui::TAboutBox> aboutBox_;
  std::unique_ptr<ui::TZipOptions> zipOptions_;
};

}  // namespace quillow::app
