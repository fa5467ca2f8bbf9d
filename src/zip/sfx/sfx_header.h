// The settings header of a self-extracting archive: 256 bytes between the extractor
// program and the ZIP data, written by the conversion and read back by the extractor.
//
//   offset  width  content
//   0       3      signature "QSx"
//   3       1      option bits (kSfx... below)
//   4       1      caption length c
//   5       1      default-folder length d
//   6       1      command-line length m
//   7       c+d+m  caption, default folder, command line, back to back (at most 249 bytes)
//   rest           zero bytes up to 256
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>

namespace quillow::zip {

inline constexpr size_t kSfxHeaderSize = 256;
inline constexpr size_t kSfxTextRoom = kSfxHeaderSize - 7;  // 249
inline constexpr char kSfxSignature[3] = {'Q', 'S', 'x'};

// Option bits. The first three are the component's SFXOptions set in its bit order.
enum : uint8_t {
  kSfxAskCmdLine = 1,
  kSfxAskFiles = 2,
  kSfxHideOverwriteBox = 4,
  kSfxOverwriteAlways = 8,
  kSfxOverwriteNever = 16,
};

enum class SfxOverwrite : uint8_t { kConfirm, kAlways, kNever };

struct SfxSettings {
  uint8_t options = 0;  // kSfxAskCmdLine | kSfxAskFiles | kSfxHideOverwriteBox
  SfxOverwrite overwrite = SfxOverwrite::kConfirm;
  std::string caption;
  std::string defaultDir;
  std::string commandLine;

  size_t TextLength() const { return caption.size() + defaultDir.size() + commandLine.size(); }
};

// The header for `s`; the texts must fit (TextLength() <= kSfxTextRoom).
inline std::array<uint8_t, kSfxHeaderSize> EncodeSfxHeader(const SfxSettings& s) {
  std::array<uint8_t, kSfxHeaderSize> h{};
  std::memcpy(h.data(), kSfxSignature, 3);
  uint8_t bits = s.options & (kSfxAskCmdLine | kSfxAskFiles | kSfxHideOverwriteBox);
  if (s.overwrite == SfxOverwrite::kAlways) bits |= kSfxOverwriteAlways;
  if (s.overwrite == SfxOverwrite::kNever) bits |= kSfxOverwriteNever;
  h[3] = bits;
  h[4] = static_cast<uint8_t>(s.caption.size());
  h[5] = static_cast<uint8_t>(s.defaultDir.size());
  h[6] = static_cast<uint8_t>(s.commandLine.size());
  size_t at = 7;
  for (const std::string* text : {&s.caption, &s.defaultDir, &s.commandLine}) {
    std::memcpy(h.data() + at, text->data(), text->size());
    at += text->size();
  }
  return h;
}

// The settings in a header, or nothing when the bytes are not one of ours: a wrong
// signature, texts longer than the room for them, both overwrite bits, or bits unknown.
inline std::optional<SfxSettings> DecodeSfxHeader(const uint8_t* h, size_t n) {
  if (n < kSfxHeaderSize || std::memcmp(h, kSfxSignature, 3) != 0) return std::nullopt;
  const uint8_t bits = h[3];
  if (bits & ~0x1F) return std::nullopt;
  if ((bits & kSfxOverwriteAlways) && (bits & kSfxOverwriteNever)) return std::nullopt;
  const size_t c = h[4], d = h[5], m = h[6];
  if (c + d + m > kSfxTextRoom) return std::nullopt;
  SfxSettings s;
  s.options = bits & (kSfxAskCmdLine | kSfxAskFiles | kSfxHideOverwriteBox);
  s.overwrite = (bits & kSfxOverwriteAlways)  ? SfxOverwrite::kAlways
                : (bits & kSfxOverwriteNever) ? SfxOverwrite::kNever
                                              : SfxOverwrite::kConfirm;
  const char* text = reinterpret_cast<const char*>(h + 7);
  s.caption.assign(text, c);
  s.defaultDir.assign(text + c, d);
  s.commandLine.assign(text + c + d, m);
  return s;
}

}  // namespace quillow::zip
