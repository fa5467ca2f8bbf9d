#include "settings/legacy_file.h"

#include <array>
#include <cstdint>
#include <cstring>

#include "base/little_endian.h"
#include "base/text.h"
#include "platform/fs.h"

namespace quillow::settings {

namespace {

// Block 1, the options record (304 bytes):
//   0 CaseSensitive  1 SubFolders  2 CountOnly  3..16 archive flags 0-13 (no ACE)
//   17..19 unused  20 BackgroundColor  24 TextColor  28 LinkColor  32 VisitedLinkColor
//   36 ActiveLinkColor (signed 32-bit each)  40 Hyperlinks  41 TableBorders
//   42 LaunchViewer  43 FilterIndex  44..303 SavePath, zero-terminated
constexpr size_t kLegacyTypes = 14;
constexpr size_t kColorsAt = 20, kHyperlinksAt = 40, kSavePathAt = 44;
constexpr size_t kSavePathField = 260;

// Block 2, the window settings (5,224 bytes):
//   0 maximized  1..3 unused  4 width  8 height  12 left  16 top (signed 32-bit)
//   20..5219 the history texts  5220 ShowWarnings  5221..5223 unused
// Look-in text i (0-9) starts at 20 + 40 i, file-name text i at 40 + 40 i; longer texts
// run into the next ones, as the older releases wrote them.
constexpr size_t kBoundsAt = 4, kHistoryAt = 20, kHistoryEnd = 5220, kShowWarningsAt = 5220;

using Block1 = std::array<uint8_t, kOptionsBlockSize>;
using Block2 = std::array<uint8_t, kWindowBlockSize>;

// Texts of older releases are in the Windows ANSI code page; one that is already UTF-8 is
// kept, anything else is read as Windows-1252.
std::string LegacyText(const uint8_t* at, size_t limit) {
  size_t n = 0;
  while (n < limit && at[n] != 0) ++n;
  const std::string_view bytes(reinterpret_cast<const char*>(at), n);
  if (base::IsValidUtf8(bytes)) return std::string(bytes);
  std::string text;
  for (unsigned char c : bytes) {
    // A byte the code page has no character for is shown as the replacement character.
    const char32_t cp = base::Win1252ToUnicode(c);
    base::AppendUtf8(text, cp ? cp : 0xFFFD);
  }
  return text;
}

// The records as they are before the read: a short file overwrites only what it holds.
Block1 OptionsImage(const AppSettings& s) {
  Block1 b{};
  b[0] = s.Options.CaseSensitive;
  b[1] = s.Options.SubFolders;
  b[2] = s.Options.CountOnly;
  for (size_t i = 0; i < kLegacyTypes; ++i) b[3 + i] = s.ArchiveTypes.on[i];
  const uint32_t colors[] = {s.Html.background, s.Html.text, s.Html.link, s.Html.visitedLink,
                             s.Html.activeLink};
  for (size_t i = 0; i < 5; ++i) base::SetLe32(&b[kColorsAt + 4 * i], colors[i]);
  b[kHyperlinksAt] = s.Html.hyperlinks;
  b[kHyperlinksAt + 1] = s.Html.tableBorders;
  b[kHyperlinksAt + 2] = s.LaunchViewer;
  b[kHyperlinksAt + 3] = s.FilterIndex;
  std::memcpy(&b[kSavePathAt], s.SavePath.data(), std::min(s.SavePath.size(), kSavePathLimit));
  return b;
}

Block2 WindowImage(const AppSettings& s) {
  Block2 b{};
  const WindowPlacement& p = s.Placement;
  const int32_t bounds[] = {p.width, p.height, p.left, p.top};
  for (size_t i = 0; i < 4; ++i)
    base::SetLe32(&b[kBoundsAt + 4 * i], static_cast<uint32_t>(bounds[i]));
  b[kShowWarningsAt] = s.Options.ShowWarnings;
  return b;
}

}  // namespace

bool ReadLegacyFile(const std::string& path, AppSettings& s, LegacyBlocks& blocks) {
  auto file = platform::OpenForReading(path);
  if (!file) return false;
  Block1 b1 = OptionsImage(s);
  Block2 b2 = WindowImage(s);
  const size_t read1 = file->ReadAt(0, b1.data(), b1.size());
  const size_t read2 = read1 == b1.size() ? file->ReadAt(b1.size(), b2.data(), b2.size()) : 0;
  blocks.windowBlockRead = read2 > 0;

  s.Options.CaseSensitive = b1[0];
  s.Options.SubFolders = b1[1];
  s.Options.CountOnly = b1[2];
  for (size_t i = 0; i < kLegacyTypes; ++i) s.ArchiveTypes.on[i] = b1[3 + i];
  uint32_t* colors[] = {&s.Html.background, &s.Html.text, &s.Html.link, &s.Html.visitedLink,
                        &s.Html.activeLink};
  for (size_t i = 0; i < 5; ++i) *colors[i] = base::Le32(&b1[kColorsAt + 4 * i]);
  s.Html.hyperlinks = b1[kHyperlinksAt] != 0;
  s.Html.tableBorders = b1[kHyperlinksAt + 1] != 0;
  s.LaunchViewer = b1[kHyperlinksAt + 2];
  s.FilterIndex = b1[kHyperlinksAt + 3];
  // A field without its terminator holds no path that can be trusted: it is ignored.
  const uint8_t* field = &b1[kSavePathAt];
  if (std::memchr(field, 0, kSavePathField)) s.SavePath = LegacyText(field, kSavePathField);

  if (!blocks.windowBlockRead) return true;
  WindowPlacement& p = blocks.window.placement;
  p.maximized = b2[0] != 0;
  p.width = static_cast<int32_t>(base::Le32(&b2[kBoundsAt]));
  p.height = static_cast<int32_t>(base::Le32(&b2[kBoundsAt + 4]));
  p.left = static_cast<int32_t>(base::Le32(&b2[kBoundsAt + 8]));
  p.top = static_cast<int32_t>(base::Le32(&b2[kBoundsAt + 12]));
  p.known = true;
  for (size_t i = 0; i < kHistoryLimit; ++i) {
    for (auto [at, list] : {std::pair{kHistoryAt + 40 * i, &blocks.window.folders},
                            std::pair{kHistoryAt + 20 + 40 * i, &blocks.window.files}}) {
      std::string text = LegacyText(&b2[at], std::min(kHistoryEnd - at, kSavePathField - 1));
      if (!text.empty()) list->push_back(std::move(text));
    }
  }
  s.Options.ShowWarnings = b2[kShowWarningsAt];
  return true;
}

}  // namespace quillow::settings
