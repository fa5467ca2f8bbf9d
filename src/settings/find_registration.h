// What "Create shortcut in Start Menu | Find" writes: the Start menu's Find extension entry
// for our "Quillow.dll", its class registration, and the values the extension reads.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quillow::settings {

inline constexpr char kFindExtensionClsid[] = "{5B2E8A41-7C3D-4F96-A1E0-3D4C6B9F2E17}";
inline constexpr char kFindMenuText[] = "using &Quillow...";
inline constexpr char kQuillowSettingsKey[] = "Software\\Ostrel\\Quillow";

enum class RegistryRoot { kLocalMachine, kCurrentUser };

struct RegistryRow {
  RegistryRoot root;
  std::string key;    // full path below the root
  std::string value;  // empty: the key's unnamed value
  bool dword = false;
  std::string text;     // REG_SZ data
  uint32_t number = 0;  // REG_DWORD data
};

// The program folder as the extension gets it: `programPath` cut before its last
// backslash, with no trailing backslash.
std::string ProgramFolderOf(std::string_view programPath);

// Every row in the order it is written: the machine rows first, then the user rows.
std::vector<RegistryRow> FindRegistrationRows(std::string_view programPath);

// The registry error for a row whose key or value could not be written: the value's name,
// or for a key's unnamed value the key's full path.
std::string RegistryWriteError(const RegistryRow& row);

}  // namespace quillow::settings
