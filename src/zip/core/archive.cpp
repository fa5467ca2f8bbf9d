#include "zip/core/archive.h"

#include <zlib.h>

#include <algorithm>
#include <unordered_set>

#include "base/zip_extra.h"
#include "zip/core/names.h"

namespace quillow::zip {

namespace {

// The local header's signature is tested as "PK" and its kind apart, never as one 32-bit
// constant: the self-extractor holds this code, and a reader scanning a self-extracting
// archive for that signature must find none in the program part.
constexpr uint16_t kSigPK = 0x4B50, kLocalKind = 0x0403;
constexpr uint32_t kCentralSig = 0x02014B50;
constexpr uint32_t kEndSig = 0x06054B50;
constexpr uint32_t kEnd64Sig = 0x06064B50;
constexpr uint32_t kEnd64LocatorSig = 0x07064B50;
constexpr size_t kEndSize = 22;
constexpr size_t kEnd64LocatorSize = 20;
constexpr size_t kEnd64Size = 56;
constexpr size_t kCentralSize = 46;
constexpr size_t kLocalSize = 30;
constexpr size_t kMaxComment = 0xFFFF;
// A directory larger than this is not read into memory: no real archive of files this
// program handles comes near it, and a lying size must not make us allocate gigabytes.
constexpr uint64_t kMaxCentral = 512ull << 20;

bool ReadExact(InputFile& f, uint64_t at, void* dst, size_t n) {
  return n == 0 || f.ReadAt(at, dst, n) == n;
}

// Central header:
//   0  4  signature 50 4B 01 02     24 4  size
//   4  2  version made by           28 2  name length
//   6  2  version needed            30 2  extra length
//   8  2  flags                     32 2  comment length
//  10  2  method                    34 2  disk number
//  12  2  DOS time                  36 2  internal attributes
//  14  2  DOS date                  38 4  external attributes
//  16  4  CRC-32                    42 4  local header offset
//  20  4  packed size               46    name, extra field, comment
bool ParseCentral(const uint8_t* p, size_t avail, Member& m, size_t& used) {
  if (avail < kCentralSize || base::Le32(p) != kCentralSig) return false;
  const size_t nameLen = base::Le16(p + 28), extraLen = base::Le16(p + 30),
               commentLen = base::Le16(p + 32);
  used = kCentralSize + nameLen + extraLen + commentLen;
  if (used > avail) return false;
  m.flags = base::Le16(p + 8);
  m.method = base::Le16(p + 10);
  m.modified = static_cast<DosDateTime>(base::Le16(p + 14)) << 16 | base::Le16(p + 12);
  m.crc = base::Le32(p + 16);
  m.packedSize = base::Le32(p + 20);
  m.size = base::Le32(p + 24);
  m.localOffset = base::Le32(p + 42);
  m.rawName.assign(reinterpret_cast<const char*>(p + kCentralSize), nameLen);
  m.central.assign(reinterpret_cast<const char*>(p), used);
  const uint8_t* extra = p + kCentralSize + nameLen;

  // ZIP64 values appear in this order, each only when its 32-bit field is all ones.
  const base::Zip64Outcome z64 =
      base::ApplyZip64(extra, extraLen, {&m.size, &m.packedSize, &m.localOffset});
  if (z64.applied) m.zip64 = true;
  if (z64.missing) m.zip64Missing = true;

  if (m.flags & kFlagUtf8) {
    m.badUtf8 = !base::IsValidUtf8(m.rawName);
    m.name = m.badUtf8 ? base::Cp437ToUtf8(m.rawName) : m.rawName;
  } else {
    // Info-ZIP keeps the UTF-8 name in an extra record, valid while the CRC of the stored
    // name still matches it.
    size_t upLen = 0;
    const uint8_t* up = base::FindExtraRecord(extra, extraLen, 0x7075, upLen);
    const std::string_view upName =
        up && upLen > 5 ? std::string_view(reinterpret_cast<const char*>(up + 5), upLen - 5)
                        : std::string_view();
    if (up && upLen > 5 && up[0] == 1 &&
        base::Le32(up + 1) == crc32(0, reinterpret_cast<const Bytef*>(m.rawName.data()),
                                    static_cast<uInt>(m.rawName.size())) &&
        base::IsValidUtf8(upName))
      m.name = upName;
    else if (base::IsValidUtf8(m.rawName))
      // The program shows such a name as UTF-8 (archivers on Unix store it so, unflagged);
      // extracting it under another name would make a file the list never named.
      m.name = m.rawName;
    else
      m.name = base::Cp437ToUtf8(m.rawName);
  }
  return true;
}

}  // namespace

std::optional<Directory> ReadDirectory(InputFile& file, std::string& error) {
  const uint64_t length = file.Length();
  if (length < kEndSize) {
    error = "not a zip file (too short)";
    return std::nullopt;
  }
  // The end record sits in the last 22 bytes plus at most a 64 KB comment.
  const size_t tail = static_cast<size_t>(std::min<uint64_t>(length, kEndSize + kMaxComment));
  std::vector<uint8_t> buf(tail);
  if (!ReadExact(file, length - tail, buf.data(), tail)) {
    error = "cannot read the file";
    return std::nullopt;
  }
  size_t endAt = std::string::npos;
  for (size_t i = tail - kEndSize + 1; i-- > 0;) {
    if (base::Le32(&buf[i]) == kEndSig && i + kEndSize + base::Le16(&buf[i + 20]) <= tail) {
      endAt = i;
      break;
    }
  }
  if (endAt == std::string::npos) {
    error = "not a zip file (no end of central directory)";
    return std::nullopt;
  }
  const uint64_t endPos = length - tail + endAt;
  const uint8_t* e = &buf[endAt];
  Directory dir;
  dir.comment.assign(reinterpret_cast<const char*>(e + kEndSize), base::Le16(e + 20));
  uint64_t cdSize = base::Le32(e + 12), cdOffset = base::Le32(e + 16);
  uint64_t cdEnd = endPos;  // the directory ends where the end records begin
  if ((base::Le16(e + 4) != 0 && base::Le16(e + 4) != 0xFFFF) ||
      base::Le16(e + 6) != base::Le16(e + 4)) {
    error = "multi-part archives are not supported";
    return std::nullopt;
  }
  // A ZIP64 end record may stand before the classic one even when the classic values are
  // not saturated (Info-ZIP writes one for streamed input); the directory then ends there.
  const bool saturated =
      cdSize == 0xFFFFFFFFu || cdOffset == 0xFFFFFFFFu || base::Le16(e + 10) == 0xFFFF;
  uint8_t loc[kEnd64LocatorSize], rec[kEnd64Size];
  if (endPos >= kEnd64LocatorSize && ReadExact(file, endPos - kEnd64LocatorSize, loc, sizeof loc) &&
      base::Le32(loc) == kEnd64LocatorSig) {
    const uint64_t recPos = base::Le64(loc + 8);
    if (recPos <= endPos - kEnd64LocatorSize - kEnd64Size &&
        ReadExact(file, recPos, rec, sizeof rec) && base::Le32(rec) == kEnd64Sig) {
      cdEnd = recPos;
      if (saturated) {
        cdSize = base::Le64(rec + 40);
        cdOffset = base::Le64(rec + 48);
        dir.zip64 = true;
      }
    }
  }
  if (cdSize > cdEnd) {
    error = "central directory size exceeds the file";
    return std::nullopt;
  }
  if (cdSize > kMaxCentral) {
    error = "central directory too large";
    return std::nullopt;
  }
  // Where the directory really starts; the stored offset is less by the bytes in front.
  dir.centralStart = cdEnd - cdSize;
  if (cdOffset > dir.centralStart) {
    error = "central directory offset beyond the file";
    return std::nullopt;
  }
  dir.shift = dir.centralStart - cdOffset;

  std::vector<uint8_t> cd(static_cast<size_t>(cdSize));
  if (!ReadExact(file, dir.centralStart, cd.data(), cd.size())) {
    error = "cannot read the central directory";
    return std::nullopt;
  }
  size_t at = 0;
  while (at < cd.size()) {
    Member m;
    size_t used = 0;
    if (!ParseCentral(cd.data() + at, cd.size() - at, m, used)) {
      error = "damaged central directory";
      return std::nullopt;
    }
    at += used;
    dir.members.push_back(std::move(m));
  }
  return dir;
}

std::optional<uint64_t> LocateData(InputFile& file, const Directory& dir, const Member& m,
                                   std::string& error) {
  const uint64_t at = m.localOffset + dir.shift;
  uint8_t h[kLocalSize];
  if (at > dir.centralStart || dir.centralStart - at < kLocalSize ||
      !ReadExact(file, at, h, sizeof h) || base::Le16(h) != kSigPK ||
      base::Le16(h + 2) != kLocalKind) {
    error = "local header missing";
    return std::nullopt;
  }
  const uint64_t data = at + kLocalSize + base::Le16(h + 26) + base::Le16(h + 28);
  // Members precede the directory; data reaching into it is a lie about sizes or offsets.
  if (data > dir.centralStart || dir.centralStart - data < m.packedSize) {
    error = "member data runs past the end of the archive";
    return std::nullopt;
  }
  return data;
}

std::vector<Placement> PlaceMembers(InputFile& file, const Directory& dir,
                                    const std::vector<bool>& taken) {
  std::vector<Placement> out(dir.members.size());
  struct Span {
    uint64_t begin, end;
    size_t member;
  };
  std::vector<Span> spans;
  for (size_t i = 0; i < dir.members.size(); ++i) {
    const Member& m = dir.members[i];
    if (!taken[i] || m.IsFolder()) continue;
    out[i].data = LocateData(file, dir, m, out[i].error);
    // Checked by LocateData: the header starts before its data, and the data ends in the file.
    if (out[i].data) spans.push_back({m.localOffset + dir.shift, *out[i].data + m.packedSize, i});
  }
  // In order of their start, a span overlaps an earlier one exactly when it starts before
  // the furthest end so far; the one holding that end overlaps it too.
  std::sort(spans.begin(), spans.end(),
            [](const Span& a, const Span& b) { return a.begin < b.begin; });
  const Span* furthest = nullptr;
  for (const Span& s : spans) {
    if (furthest && s.begin < furthest->end) {
      out[s.member].overlaps = true;
      out[furthest->member].overlaps = true;
    }
    if (!furthest || s.end > furthest->end) furthest = &s;
  }
  return out;
}

MemberSelection::MemberSelection(const std::vector<std::string>& specs,
                                 const std::vector<Member>& members) {
  if (specs.empty()) return;
  std::unordered_set<std::string_view> names;
  for (const Member& m : members) {
    names.insert(m.rawName);
    names.insert(m.name);
  }
  for (const std::string& given : specs) {
    Spec s{given, CallerTextToUtf8(given)};
    s.exact = names.count(s.given) || names.count(s.utf8);
    specs_.push_back(std::move(s));
  }
  for (size_t i = 0; i < specs_.size(); ++i) {
    if (!specs_[i].exact) {
      patterns_.push_back(i);
      continue;
    }
    exact_.emplace(specs_[i].given, i);
    if (specs_[i].utf8 != specs_[i].given) exact_.emplace(specs_[i].utf8, i);
  }
}

bool MemberSelection::Selects(const Member& m) {
  if (specs_.empty()) return true;
  bool selected = false;
  for (const std::string* name : {&m.rawName, &m.name}) {
    auto [from, to] = exact_.equal_range(*name);
    for (; from != to; ++from) selected = specs_[from->second].used = true;
    if (m.name == m.rawName) break;
  }
  // Every pattern is tried until each has been used once, so Unmatched stays right.
  for (size_t i : patterns_) {
    Spec& s = specs_[i];
    if (selected && s.used) continue;
    if (MatchSpec(s.utf8, m.name) || (m.rawName != m.name && MatchSpec(s.given, m.rawName)))
      selected = s.used = true;
  }
  return selected;
}

std::vector<std::string> MemberSelection::Unmatched() const {
  std::vector<std::string> out;
  for (const Spec& s : specs_)
    if (!s.used) out.push_back(s.given);
  return out;
}

}  // namespace quillow::zip
