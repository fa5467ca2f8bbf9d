#include "settings/find_registration.h"

namespace quillow::settings {

std::string ProgramFolderOf(std::string_view programPath) {
  const size_t cut = programPath.rfind('\\');
  return std::string(cut == std::string_view::npos ? std::string_view()
                                                   : programPath.substr(0, cut));
}

std::vector<RegistryRow> FindRegistrationRows(std::string_view programPath) {
  using enum RegistryRoot;
  const std::string program(programPath);
  const std::string folder = ProgramFolderOf(programPath);
  const std::string find =
      "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FindExtensions\\Static\\Quillow";
  const std::string server = std::string("SOFTWARE\\Classes\\CLSID\\") + kFindExtensionClsid;
  const std::string settings = kQuillowSettingsKey;
  return {
      {kLocalMachine, find, "", false, kFindExtensionClsid},
      {kLocalMachine, find + "\\0", "", false, kFindMenuText},
      {kLocalMachine, find + "\\0\\DefaultIcon", "", false, program + ", 0"},
      {kLocalMachine, server, "", false, "Quillow DLL"},
      {kLocalMachine, server + "\\InProcServer32", "", false, folder + "\\Quillow.dll"},
      {kLocalMachine, server + "\\InProcServer32", "ThreadingModel", false, "Apartment"},
      {kCurrentUser, settings, "Location", false, folder},
      {kCurrentUser, settings, "Case", true, "", 0},
      {kCurrentUser, settings, "SubDirs", true, "", 1},
      {kCurrentUser, settings + "\\Recent", "0", false, "*.*"},
  };
}

std::string RegistryWriteError(const RegistryRow& row) {
  if (!row.value.empty()) return "Failed to set data for '" + row.value + "'";
  // A key's unnamed value has no name to give: the key says which one it was.
  const char* root =
      row.root == RegistryRoot::kLocalMachine ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER";
  return "Failed to set data for the default value of '" + std::string(root) + "\\" + row.key + "'";
}

}  // namespace quillow::settings
