#include "app/member_opener.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/member_extraction.h"
#include "app/program_title.h"
#include "base/ascii.h"
#include "output/display_text.h"
#include "platform/fs.h"
#include "platform/win32/text.h"
#include "zip/component/zip_component.h"
#include "zip/core/path_safety.h"

namespace quillow::app {

namespace {

constexpr char kOverwriteQuestion[] =
    "This file already exists in the temporary folder.\nDo you want to overwrite it?";

std::string AsciiLower(std::string text) {
  base::FoldAscii(text);
  return text;
}

bool IsZipRow(const std::string& container) {
  return base::EndsWithIgnoringAsciiCase(container, ".zip");
}

DWORD Attributes(const std::string& path) {
  return GetFileAttributesW(platform::WidePath(path).c_str());
}

bool Exists(const std::string& path) { return Attributes(path) != INVALID_FILE_ATTRIBUTES; }

bool IsFolder(const std::string& path) {
  const DWORD attributes = Attributes(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The user's temporary folder with its trailing backslash; empty when the system has none.
std::string TemporaryFolder() {
  std::vector<wchar_t> buffer(MAX_PATH + 1);
  DWORD n = GetTempPathW(static_cast<DWORD>(buffer.size()), buffer.data());
  if (n >= buffer.size()) {
    // A TMP longer than the classic buffer: ask again with the room it needs.
    buffer.resize(n + 1);
    n = GetTempPathW(static_cast<DWORD>(buffer.size()), buffer.data());
  }
  if (n == 0 || n >= buffer.size()) return {};
  std::string folder = platform::Narrow(std::wstring_view(buffer.data(), n));
  if (folder.back() != '\\') folder += '\\';
  return folder;
}

// The part of a member name after its last folder separator. The extraction treats both
// slashes as separators, so a backslash stored by a DOS archiver must split here too, or the
// file would be looked for in a folder that the extraction never makes.
std::string LastPart(const std::string& name) {
  const size_t cut = name.find_last_of("/\\");
  return cut == std::string::npos ? name : name.substr(cut + 1);
}

}  // namespace

void MemberOpener::Open(HWND owner, search::ResultRow row, zip::TZipComponent& component) {
  const std::string& container = row.container;
  const std::string& name = row.file;

  if (!IsZipRow(container)) {
    const bool folderRow = !container.empty() && container.back() == '\\';
    shell_.Open(owner, folderRow ? container + name : container, SW_SHOW);
    return;
  }
  // A folder entry of a ZIP archive holds nothing to extract: its archive is opened, as the
  // members of other archives are.
  const std::string shown = output::DisplayName(name);
  const std::string leaf = LastPart(shown);
  if (leaf.empty()) {
    shell_.Open(owner, container, SW_SHOW);
    return;
  }

  // Without the folder the extraction would go to whatever folder is current, and leave a
  // file there that nobody deletes.
  const std::string temp = TemporaryFolder();
  if (temp.empty() || !IsFolder(temp)) {
    messages_.Show(owner,
                   "The temporary folder \"" + temp + "\" does not exist, so \"" + shown +
                       "\" cannot be extracted for opening.",
                   "Error", MB_OK | MB_ICONERROR);
    return;
  }

  component.ExtrOptions = zip::ExtrOpts{zip::ExtrOverWrite};
  component.SetZipFilename(container);
  component.ExtrBaseDir = temp;

  const std::string target = AsciiLower(temp + leaf);
  const bool listed =
      std::find(temporaryFiles_.begin(), temporaryFiles_.end(), target) != temporaryFiles_.end();
  if (!listed) {
    // A name Windows keeps for a device (nul.txt) "exists" in every folder: it is refused
    // before the overwrite question could be asked about it.
    if (const zip::SafePath safe = zip::CheckMemberPath(leaf); safe.parts.empty()) {
      messages_.Show(owner, "\"" + shown + "\" cannot be opened: " + safe.refusal + ".",
                     kProgramTitle, MB_OK | MB_ICONWARNING);
      return;
    }
    if (Exists(target) &&
        messages_.Show(owner, kOverwriteQuestion, "Warning", MB_YESNO | MB_ICONWARNING) != IDYES)
      return;
    HCURSOR previous = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    const ExtractionOutcome outcome = ExtractMembers(component, {name}, nullptr);
    SetCursor(previous);
    if (!outcome.failures.empty())
      messages_.Show(owner, FailureReport(outcome), kProgramTitle, MB_OK | MB_ICONWARNING);
    // Only a file this run wrote is remembered, and opened: after a failure a file of that
    // name may be an old one, or none.
    if (outcome.written == 0 || !Exists(target)) return;
    temporaryFiles_.push_back(target);
  }
  shell_.Open(owner, target, SW_SHOW);
}

void MemberOpener::DeleteTemporaryFiles() {
  for (const std::string& file : temporaryFiles_) platform::DeleteFileAt(file);
  temporaryFiles_.clear();
}

}  // namespace quillow::app
