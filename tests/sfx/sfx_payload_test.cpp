// The self-extractor's reading and extraction, over programs made by the real conversion
// from a hand-built stub: PE headers whose one section ends at byte 16,384.
#include "sfx_payload.h"

#include <gtest/gtest.h>

#include "core/reader_test_util.h"
#include "zip/component/zip_listing.h"
#include "zip/sfx/sfx_convert.h"
#include "zip/zip_test_util.h"

namespace quillow::test {
namespace {

using sfx::Answer;

constexpr uint32_t kImageEnd = 16384;

std::string FakeStub() {
  std::string s(kImageEnd, '\0');
  s[0] = 'M', s[1] = 'Z';
  s[0x3C] = 64;
  s.replace(64, 4, std::string("PE\0\0", 4));
  s[64 + 6] = 1;  // one section, no optional header
  std::string section;
  Le(section, kImageEnd - 512, 4);  // raw size
  Le(section, 512, 4);              // raw offset
  s.replace(88 + 16, 8, section);
  return s;
}

struct NoHost final : zip::ConvertHost {
  void ShowMessage(const std::string& t) override { ADD_FAILURE() << t; }
  void BeginBusy() override {}
  void EndBusy() override {}
  void PumpMessages() override {}
};

class SfxPayload : public ::testing::Test {
 protected:
  // Converts an archive of `members` and returns the program's path.
  std::string Program(const std::vector<RawMember>& members, zip::SfxSettings s = {}) {
    tree.Write("stub.bin", FakeStub());
    tree.Write("pack.zip", BuildZip(members));
    zip::SfxStubSearch search{tree.Path("stub.bin"), ""};
    NoHost host;
    auto r = zip::ConvertSFX(tree.Path("pack.zip"), s, search, host);
    EXPECT_EQ(r.code, 0);
    return r.output;
  }
  sfx::ExtractOutcome Extract(const std::string& exe, sfx::ExtractRequest request) {
    std::string error;
    auto payload = sfx::OpenPayload(zip::SystemFileSystem(), exe, error);
    EXPECT_TRUE(payload) << error;
    if (!payload) return {};
    return sfx::ExtractPayload(zip::SystemFileSystem(), exe, *payload, request);
  }

  TempTree tree;
  const std::vector<RawMember> members{{"docs/read me.txt", "read me\n", 8}, {"b.txt", "new b"}};
};

TEST_F(SfxPayload, ReadsTheSettingsAndExtractsEveryMemberWithItsFolders) {
  zip::SfxSettings s;
  s.options = zip::kSfxAskFiles;
  s.overwrite = zip::SfxOverwrite::kAlways;
  s.caption = "Caption";
  s.commandLine = "b.txt";
  const std::string exe = Program(members, s);
  std::string error;
  auto payload = sfx::OpenPayload(zip::SystemFileSystem(), exe, error);
  ASSERT_TRUE(payload) << error;
  EXPECT_EQ(payload->dataStart, kImageEnd + 256u);
  EXPECT_EQ(payload->settings.caption, "Caption");
  EXPECT_EQ(payload->settings.commandLine, "b.txt");
  EXPECT_EQ(payload->settings.overwrite, zip::SfxOverwrite::kAlways);
  ASSERT_EQ(payload->members.size(), 2u);

  auto out = Extract(exe, {.target = tree.Path("deep/target")});
  EXPECT_EQ(out.extracted, 2);
  EXPECT_TRUE(out.problems.empty());
  EXPECT_EQ(
      FilesBelow(tree.Path("deep/target")),
      (std::map<std::string, std::string>{{"b.txt", "new b"}, {"docs/read me.txt", "read me\n"}}));
}

TEST_F(SfxPayload, ExistingFilesFollowTheOverwriteModeAndTheAnswers) {
  const std::string exe = Program(members);
  using M = zip::SfxOverwrite;
  struct Case {
    M mode;
    Answer answer;
    const char* b;  // b.txt afterwards
    bool readMe;    // the other member written
  } cases[] = {
      {M::kAlways, Answer::kNo, "new b", true},     {M::kNever, Answer::kYes, "old", true},
      {M::kConfirm, Answer::kNo, "old", true},      {M::kConfirm, Answer::kYes, "new b", true},
      {M::kConfirm, Answer::kNoToAll, "old", true}, {M::kConfirm, Answer::kCancel, "old", false},
  };
  for (const Case& c : cases) {
    tree.Write("t/b.txt", "old");
    std::filesystem::remove_all(tree.Path("t/docs"));
    int asked = 0;
    auto out = Extract(
        exe,
        {.target = tree.Path("t"), .overwrite = c.mode, .confirm = [&](const std::string& path) {
           EXPECT_EQ(path, tree.Path("t/b.txt"));
           ++asked;
           return c.answer;
         }});
    const int mode = static_cast<int>(c.mode);
    EXPECT_EQ(asked, c.mode == M::kConfirm ? 1 : 0) << mode;
    EXPECT_EQ(LoadFile(tree.Path("t/b.txt")), c.b) << mode;
    EXPECT_EQ(std::filesystem::exists(tree.Path("t/docs/read me.txt")), c.readMe) << mode;
    EXPECT_EQ(out.cancelled, c.answer == Answer::kCancel && c.mode == M::kConfirm);
  }
}

TEST_F(SfxPayload, OnlyTickedMembersAreExtracted) {
  const std::string exe = Program(members);
  auto out = Extract(exe, {.target = tree.Path("t"), .chosen = {false, true}});
  EXPECT_EQ(out.extracted, 1);
  EXPECT_EQ(FilesBelow(tree.Path("t")), (std::map<std::string, std::string>{{"b.txt", "new b"}}));
}

TEST_F(SfxPayload, DamageIsToldAndNothingIsWrittenOutsideTheTarget) {
  const std::string exe = Program({{"../evil.txt", "x"}, {"ok.txt", "fine"}});
  auto out = Extract(exe, {.target = tree.Path("t")});
  EXPECT_EQ(out.extracted, 1);
  ASSERT_EQ(out.problems.size(), 1u);
  EXPECT_NE(out.problems[0].find("../evil.txt"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(tree.Path("evil.txt")));

  const std::string good = LoadFile(exe);
  struct Case {
    std::string bytes;
    const char* says;
  } cases[] = {
      {good.substr(0, good.size() - 30), "damaged or truncated"},
      {good.substr(0, kImageEnd + 100), "truncated"},
      {good.substr(0, kImageEnd), "nothing follows"},
      {std::string(good).replace(kImageEnd, 3, "XYZ"), "settings are damaged"},
      {std::string(good).replace(0, 2, "ZM"), "headers are damaged"},
  };
  for (const Case& c : cases) {
    tree.Write("bad.exe", c.bytes);
    std::string error;
    EXPECT_FALSE(sfx::OpenPayload(zip::SystemFileSystem(), tree.Path("bad.exe"), error));
    EXPECT_NE(error.find(c.says), std::string::npos) << error;
  }
}

TEST_F(SfxPayload, ListingFindsTheDataBehindTheStubSoConvertZipRestoresTheArchive) {
  const std::string exe = Program(members);
  const std::string bytes = LoadFile(exe);
  search::ByteSource src(bytes);
  auto listing = zip::ListZipDirectory(src, zip::IsProgramFile(exe));
  EXPECT_EQ(listing.firstEntryOffset, kImageEnd + 256u);
  ASSERT_EQ(listing.entries.size(), 2u);
  NoHost host;
  auto back = zip::ConvertZIP(exe, static_cast<int64_t>(listing.firstEntryOffset), host);
  ASSERT_EQ(back.code, 0);
  EXPECT_EQ(LoadFile(back.output), BuildZip(members));
}

}  // namespace
}  // namespace quillow::test
