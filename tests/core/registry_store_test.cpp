// The settings store against the real registry (Windows builds, under Wine in the tests):
// every value comes back with its documented type, and hand-edited values of other types
// do not stop a load. Everything goes below a test key that is removed again.
#ifdef _WIN32
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "settings/registry_store_win32.h"
#include "settings/settings_store.h"

namespace quillow::settings {
namespace {

class RegistryStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = L"Software\\QuillowTests\\" + std::to_wstring(GetCurrentProcessId());
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &root_, nullptr),
              ERROR_SUCCESS);
  }
  void TearDown() override {
    RegCloseKey(root_);
    RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\QuillowTests");  // only when empty
  }
  // Type and raw bytes of one stored value.
  DWORD TypeOf(const wchar_t* key, const wchar_t* name, std::wstring* text = nullptr,
               DWORD* number = nullptr) {
    const std::wstring full = path_ + L"\\" + key;
    wchar_t buffer[600] = {};
    DWORD type = 0, size = sizeof(buffer);
    if (RegGetValueW(HKEY_CURRENT_USER, full.c_str(), name, RRF_RT_ANY | RRF_NOEXPAND, &type,
                     buffer, &size) != ERROR_SUCCESS)
      return REG_NONE;
    if (text) *text = buffer;
    if (number) std::memcpy(number, buffer, sizeof(DWORD));
    return type;
  }
  void SetRaw(const wchar_t* name, DWORD type, const void* data, DWORD size) {
    HKEY key;
    ASSERT_EQ(RegOpenKeyExW(root_, L"Software\\Ostrel\\Quillow", 0, KEY_SET_VALUE, &key),
              ERROR_SUCCESS);
    RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
  }

  std::wstring path_;
  HKEY root_ = nullptr;
};

TEST_F(RegistryStoreTest, ValuesGoInWithTheirTypesAndComeBack) {
  RegistryStore store(root_);
  settings::AppSettings s;
  s.FilterIndex = 2;
  s.SavePath = "C:\\\xE6\x97\xA5\xE6\x9C\xAC\\";  // a folder named in Japanese
  s.SortType = 11;
  s.Placement = {false, 700, 500, -20, 30, true};
  s.FolderHistory = {"C:\\a", "D:\\"};
  s.ArchiveTypes.on[search::kSqz] = 0;
  ASSERT_TRUE(SaveSettings(store, s));

  std::wstring text;
  DWORD number = 0;
  const wchar_t* main = L"Software\\Ostrel\\Quillow";
  EXPECT_EQ(TypeOf(main, L"DoNotDeleteMe", &text), static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(text, L"");
  EXPECT_EQ(TypeOf(main, L"SavePath", &text), static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(text, L"C:\\\x65E5\x672C\\");
  EXPECT_EQ(TypeOf(main, L"Left", nullptr, &number), static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(static_cast<int32_t>(number), -20);
  EXPECT_EQ(TypeOf(main, L"SubFolders", nullptr, &number), static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(number, 1u);
  EXPECT_EQ(TypeOf(L"Software\\Ostrel\\Quillow\\ArchiveTypes", L"SQZ", nullptr, &number),
            static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(number, 0u);
  EXPECT_EQ(TypeOf(L"Software\\Ostrel\\Quillow\\OldSearches", L"2", &text),
            static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(text, L"D:\\");
  EXPECT_EQ(TypeOf(L"Software\\Ostrel\\Quillow\\OldSearches", L"20", &text),
            static_cast<DWORD>(REG_SZ));

  // Hand-edited: a text where a number belongs, a number too wide, a text without its
  // terminator, a FilterIndex beyond one byte.
  SetRaw(L"CaseSensitive", REG_SZ, L"1", 4);
  const unsigned long long wide = 1;
  SetRaw(L"SubFolders", REG_QWORD, &wide, sizeof(wide));
  SetRaw(L"SavePath", REG_SZ, L"E:\\x", 8);
  const DWORD filter = 258;
  SetRaw(L"FilterIndex", REG_DWORD, &filter, sizeof(filter));

  settings::AppSettings r;
  r.SortType = 3;
  const LoadOutcome outcome = LoadSettings(store, "Z:\\nowhere\\", r, [] { return true; });
  EXPECT_TRUE(outcome.fromRegistry);
  EXPECT_EQ(r.Options.CaseSensitive, 0);
  EXPECT_NE(r.Options.SubFolders, 0);
  EXPECT_EQ(r.SavePath, "E:\\x");
  EXPECT_EQ(r.FilterIndex, 2);
  EXPECT_EQ(r.SortType, 11);
  EXPECT_EQ(r.Placement.left, -20);
  EXPECT_EQ(r.FolderHistory, (std::vector<std::string>{"C:\\a", "D:\\"}));
  EXPECT_EQ(r.ArchiveTypes.on[search::kSqz], 0);
}

}  // namespace
}  // namespace quillow::settings
#endif
