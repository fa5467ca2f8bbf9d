// Writing the Find-menu rows into the registry.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "settings/find_registration.h"

namespace quillow::settings {

// Writes `rows` in order below the two roots, opening each key with create-if-missing.
// Stops at the first key or value that cannot be written and returns its registry error;
// empty when every row was written.
std::string WriteRegistryRows(const std::vector<RegistryRow>& rows, HKEY machineRoot,
                              HKEY userRoot);

}  // namespace quillow::settings
