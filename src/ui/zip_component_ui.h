// The ZIP component a window owns: its messages in that window's boxes, its password asked
// in the "Password" box.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "ui/services.h"
#include "zip/component/zip_component.h"

namespace quillow::ui {

std::unique_ptr<zip::TZipComponent> MakeZipComponent(MessageBoxes& boxes, HWND owner,
                                                     const std::string& title);

}  // namespace quillow::ui
