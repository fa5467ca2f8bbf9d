#include "settings/find_registration.h"

#include <gtest/gtest.h>

#include <string>

namespace quillow {
namespace {

TEST(FindRegistration, RowsForAProgramInToolsQ) {
  const auto rows = settings::FindRegistrationRows("C:\\Tools\\Q\\Quillow.exe");
  ASSERT_EQ(rows.size(), 10u);
  auto data = [&](const std::string& keyEnd, const std::string& value) {
    for (const settings::RegistryRow& row : rows)
      if (row.value == value && row.key.ends_with(keyEnd)) return row.text;
    return std::string("(missing)");
  };
  EXPECT_EQ(data("\\InProcServer32", ""), "C:\\Tools\\Q\\Quillow.dll");
  EXPECT_EQ(data("\\Ostrel\\Quillow", "Location"), "C:\\Tools\\Q");
  EXPECT_EQ(data("\\Static\\Quillow\\0\\DefaultIcon", ""), "C:\\Tools\\Q\\Quillow.exe, 0");
  EXPECT_EQ(data("\\Static\\Quillow", ""), "{5B2E8A41-7C3D-4F96-A1E0-3D4C6B9F2E17}");
  EXPECT_EQ(
      data("\\CLSID\\{5B2E8A41-7C3D-4F96-A1E0-3D4C6B9F2E17}\\InProcServer32", "ThreadingModel"),
      "Apartment");
  // Six machine rows, then the four of the user's settings key: the root switches once.
  for (size_t i = 0; i < rows.size(); ++i)
    EXPECT_EQ(rows[i].root,
              i < 6 ? settings::RegistryRoot::kLocalMachine : settings::RegistryRoot::kCurrentUser);
  EXPECT_TRUE(rows[7].dword && rows[7].number == 0 && rows[7].value == "Case");
  EXPECT_TRUE(rows[8].dword && rows[8].number == 1 && rows[8].value == "SubDirs");
  EXPECT_EQ(settings::RegistryWriteError(rows[6]), "Failed to set data for 'Location'");
  EXPECT_EQ(settings::RegistryWriteError(rows[1]),
            "Failed to set data for the default value of 'HKEY_LOCAL_MACHINE\\Software\\Microsoft\\"
            "Windows\\CurrentVersion\\Explorer\\FindExtensions\\Static\\Quillow\\0'");
}

}  // namespace
}  // namespace quillow
