// A folder tree under the temporary folder, removed again when the test ends.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "platform/fs.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace quillow::test {

class TempTree {
 public:
  TempTree() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string leaf = std::string("quillow-") + (info ? info->test_suite_name() : "t") + "-" +
                       (info ? info->name() : "t");
    for (char& c : leaf)
      if (c == '/') c = '_';
    // Two test runs at once on one machine (two checkouts, say) must not share a tree.
    leaf += "-" + std::to_string(std::random_device{}() % 1000000);
    root_ = std::filesystem::temp_directory_path() / leaf;
    Remove();
    std::filesystem::create_directories(root_);
  }
  ~TempTree() {
    // Leave the tree so it can be removed even where the search left it current.
    platform::SetCurrentFolder(std::filesystem::temp_directory_path().string());
    Remove();
  }
  TempTree(const TempTree&) = delete;
  TempTree& operator=(const TempTree&) = delete;

  // The root as the search writes paths: the platform's separators.
  std::string Root() const { return root_.make_preferred().string(); }
  std::string Path(const std::string& relative) const {
    return (root_ / std::filesystem::path(relative)).make_preferred().string();
  }
  void Write(const std::string& relative, const std::string& bytes) {
    auto p = root_ / std::filesystem::path(relative);
    std::filesystem::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << bytes;
  }
  void Folder(const std::string& relative) {
    std::filesystem::create_directories(root_ / relative);
  }

 private:
  void Remove() {
#ifdef _WIN32
    // The runtime's remove_all stops at the classic path limit; deeper trees go by their
    // "\\?\" names.
    RemoveLong(L"\\\\?\\" + root_.make_preferred().wstring());
#endif
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
  }
#ifdef _WIN32
  static void RemoveLong(const std::wstring& path) {
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((path + L"\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
      do {
        const std::wstring name = fd.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::wstring child = path + L"\\" + name;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
          RemoveLong(child);
        else
          DeleteFileW(child.c_str());
      } while (FindNextFileW(h, &fd));
      FindClose(h);
    }
    RemoveDirectoryW(path.c_str());
  }
#endif

  mutable std::filesystem::path root_;
};

}  // namespace quillow::test
