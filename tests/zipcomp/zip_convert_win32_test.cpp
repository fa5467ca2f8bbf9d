// The conversions through the component as the program makes it, with the real ZIPSFX.BIN:
// the archive becomes a program that the component lists, and back, byte for byte; the
// copy is called by the name <windows.h> also defines.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "core/reader_test_util.h"
#include "core/temp_tree.h"
#include "ui/services.h"
#include "ui/zip_component_ui.h"

#undef CopyFile

namespace quillow::zip {
namespace {

class NoBoxes final : public ui::MessageBoxes {
 public:
  int Show(HWND, const std::string& text, const std::string&, UINT) override {
    ADD_FAILURE() << text;
    return IDOK;
  }
};

TEST(ZipConvertWin32, RealStubRoundTripIsListed) {
  test::TempTree tree;
  const std::string archive = test::LoadFile(test::TestData("zip/basic.zip"));
  tree.Write("Pack.zip", archive);
  NoBoxes boxes;
  auto comp = ui::MakeZipComponent(boxes, nullptr, "Quillow");
  comp->SFXPath = QUILLOW_SFX_STUB;
  comp->SetZipFilename(tree.Path("Pack.zip"));

  ASSERT_EQ(comp->ConvertSFX(), 0);
  EXPECT_EQ(comp->ZipFilename(), tree.Path("Pack.exe"));
  const int64_t stub = static_cast<int64_t>(std::filesystem::file_size(QUILLOW_SFX_STUB));
  EXPECT_EQ(static_cast<int64_t>(std::filesystem::file_size(tree.Path("Pack.exe"))),
            stub + 256 + static_cast<int64_t>(archive.size()));
  EXPECT_EQ(comp->GetCount(), 4);
  EXPECT_EQ(comp->FirstEntryOffset, static_cast<uint64_t>(stub + 256));
  EXPECT_FALSE(std::filesystem::exists(tree.Path("Pack.zip")));

  ASSERT_EQ(comp->CopyFile(tree.Path("Pack.exe"), tree.Path("Copy.exe")), 0);
  ASSERT_EQ(comp->ConvertZIP(), 0);
  EXPECT_EQ(test::LoadFile(tree.Path("Pack.zip")), archive);
  EXPECT_EQ(comp->GetCount(), 4);
  EXPECT_TRUE(std::filesystem::exists(tree.Path("Copy.exe")));
}

}  // namespace
}  // namespace quillow::zip
