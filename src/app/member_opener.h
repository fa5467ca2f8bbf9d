// Opening a result with the program the shell associates with it: a file found in a folder
// where it lies, a member of any other archive by its archive, and a ZIP member from a copy
// extracted into the temporary folder. The copies are listed, and deleted when asked.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "search/types.h"
#include "ui/services.h"

namespace quillow::zip {
class TZipComponent;
}  // namespace quillow::zip

namespace quillow::app {

class MemberOpener {
 public:
  MemberOpener(ui::Shell& shell, ui::MessageBoxes& messages) : shell_(shell), messages_(messages) {}
  MemberOpener(const MemberOpener&) = delete;
  MemberOpener& operator=(const MemberOpener&) = delete;

  // A copy of the row: a message box below runs the message loop, and a search may add rows
  // meanwhile.
  void Open(HWND owner, search::ResultRow row, zip::TZipComponent& zip);

  // The copies this run placed in the temporary folder, lower case, in the order written.
  std::vector<std::string>& TemporaryFiles() { return temporaryFiles_; }
  // Deletes each listed copy; one that cannot be deleted is left without a message.
  void DeleteTemporaryFiles();

 private:
  ui::Shell& shell_;
  ui::MessageBoxes& messages_;
  std::vector<std::string> temporaryFiles_;
};

}  // namespace quillow::app
