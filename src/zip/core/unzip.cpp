#include "zip/core/unzip.h"

#include <zlib.h>

#include <cstdio>
#include <memory>
#include <unordered_map>

#include "platform/temp_beside.h"
#include "zip/core/archive.h"
#include "zip/core/crypto.h"
#include "zip/core/names.h"
#include "zip/core/path_safety.h"

namespace quillow::zip {

namespace {

constexpr size_t kChunk = 256 * 1024;

enum class Outcome { kOk, kCancelled, kWrongPassword, kBadCrc, kTooLong, kShort, kDamaged, kWrite };

std::string Describe(Outcome o, const Member& m) {
  switch (o) {
    case Outcome::kWrongPassword: return "wrong password";
    case Outcome::kBadCrc: return "CRC error, the data is damaged";
    case Outcome::kTooLong:
      return "data inflates beyond its declared size of " + std::to_string(m.size) +
             " bytes; stopped there";
    case Outcome::kShort: return "data ends before its declared size";
    case Outcome::kDamaged: return "compressed data is damaged";
    case Outcome::kWrite: return "cannot write the file (disk full?)";
    default: return "";
  }
}

// The buffers and the inflater of a whole run: set up once, not for every member, which on
// an archive of many small files costs more than inflating them.
struct Workspace {
  std::vector<uint8_t> in = std::vector<uint8_t>(kChunk);
  std::vector<uint8_t> out = std::vector<uint8_t>(kChunk);
  z_stream zs{};
  bool ready = false;
  Workspace() = default;
  Workspace(const Workspace&) = delete;
  Workspace& operator=(const Workspace&) = delete;
  ~Workspace() {
    if (ready) inflateEnd(&zs);
  }
  // A raw inflater in its initial state, with no input left over from a member that was
  // stopped part way; null when zlib has no memory for one.
  z_stream* Inflater() {
    zs.next_in = nullptr;
    zs.avail_in = 0;
    if (!ready) {
      ready = inflateInit2(&zs, -MAX_WBITS) == Z_OK;
      return ready ? &zs : nullptr;
    }
    return inflateReset(&zs) == Z_OK ? &zs : nullptr;
  }
};

// Decodes one member's data into `sink`, checking its password, size and CRC. The output is
// cut off at the declared size: a member that inflates further is refused, not followed.
template <typename Sink>
Outcome Decode(InputFile& file, uint64_t at, const Member& m, const std::string& password,
               Reporter& report, Workspace& work, Sink&& sink) {
  uint64_t left = m.packedSize;
  std::unique_ptr<ZipCrypto> crypt;
  if (m.flags & kFlagEncrypted) {
    uint8_t header[kCryptHeader];
    if (left < kCryptHeader || file.ReadAt(at, header, kCryptHeader) != kCryptHeader)
      return Outcome::kShort;
    crypt = std::make_unique<ZipCrypto>(password);
    const uint8_t check = (m.flags & kFlagDescriptor) ? static_cast<uint8_t>(m.modified >> 8)
                                                      : static_cast<uint8_t>(m.crc >> 24);
    if (!crypt->OpenHeader(header, check)) return Outcome::kWrongPassword;
    at += kCryptHeader;
    left -= kCryptHeader;
  }
  std::vector<uint8_t>&in = work.in, &out = work.out;
  uint32_t crc = crc32(0, nullptr, 0);
  uint64_t produced = 0;
  auto emit = [&](const uint8_t* p, size_t n) -> Outcome {
    if (n > m.size - produced) return Outcome::kTooLong;
    produced += n;
    crc = crc32(crc, p, static_cast<uInt>(n));
    if (!sink(p, n)) return Outcome::kWrite;
    return report.Step() ? Outcome::kCancelled : Outcome::kOk;
  };
  auto read = [&](size_t n) -> bool {
    if (file.ReadAt(at, in.data(), n) != n) return false;
    if (crypt) crypt->Decrypt(in.data(), n);
    at += n;
    left -= n;
    return true;
  };

  if (m.method == kMethodStored) {
    while (left > 0) {
      const size_t n = static_cast<size_t>(std::min<uint64_t>(left, kChunk));
      if (!read(n)) return Outcome::kShort;
      if (Outcome o = emit(in.data(), n); o != Outcome::kOk) return o;
    }
  } else {
    z_stream* inflater = work.Inflater();
    if (!inflater) return Outcome::kDamaged;
    z_stream& zs = *inflater;
    int rc = Z_OK;
    while (rc != Z_STREAM_END) {
      if (zs.avail_in == 0 && left > 0) {
        const size_t n = static_cast<size_t>(std::min<uint64_t>(left, kChunk));
        if (!read(n)) return Outcome::kShort;
        zs.next_in = in.data();
        zs.avail_in = static_cast<uInt>(n);
      }
      // With the input spent zlib may still hold output that did not fit the buffer: it is
      // asked again until it reports the stream's end, or that it cannot go on without more.
      zs.next_out = out.data();
      zs.avail_out = static_cast<uInt>(out.size());
      rc = inflate(&zs, Z_NO_FLUSH);
      if (rc == Z_BUF_ERROR) return Outcome::kShort;  // stream not finished, input spent
      if (rc != Z_OK && rc != Z_STREAM_END) return Outcome::kDamaged;
      const size_t n = out.size() - zs.avail_out;
      if (n > 0)
        if (Outcome o = emit(out.data(), n); o != Outcome::kOk) return o;
    }
  }
  if (produced != m.size) return Outcome::kShort;
  return crc == m.crc ? Outcome::kOk : Outcome::kBadCrc;
}

// Both paths come resolved by the file system (on Windows as their final paths, in the
// letter case stored on the disk), so they are compared byte for byte, as the file system
// tells folders apart: on Linux "BOX" beside "box" is another folder.
bool Inside(const std::string& real, const std::string& base, char sep) {
  if (base.empty() || real.compare(0, base.size(), base) != 0) return false;
  return real.size() == base.size() || real[base.size()] == sep || base.back() == sep;
}

// Deflate turns one byte into at most 1,032 (two bits per 258-byte match), so members that
// share no bytes cannot together write more than this many times the archive's size: a
// declared size past what is left of it is a lie, refused before any byte is written.
constexpr uint64_t kMaxExpansion = 1032;
// Longest name a message shows whole; longer ones lose their middle, so the reason that
// follows still fits the callback's 512 bytes.
constexpr size_t kMessageNameLimit = 200;

class Extractor {
 public:
  Extractor(const UnzipOptions& o, FileSystem& fs, Reporter& r) : opt_(o), fs_(fs), report_(r) {}

  int Run() {
    auto file = fs_.OpenRead(opt_.zipName);
    if (!file) return Fail("cannot open the archive " + opt_.zipName);
    std::string error;
    auto dir = ReadDirectory(*file, error);
    if (!dir) return Fail(opt_.zipName + ": " + error);
    base_ = fs_.CurrentFolder();
    realBase_ = fs_.RealPath(base_);
    budget_ = file->Length() * kMaxExpansion;
    MemberSelection selection(opt_.names, dir->members);
    std::vector<bool> taken(dir->members.size());
    for (size_t i = 0; i < taken.size(); ++i) taken[i] = selection.Selects(dir->members[i]);
    const std::vector<Placement> placed = PlaceMembers(*file, *dir, taken);
    bool whole = true;
    for (size_t i = 0; i < dir->members.size(); ++i) {
      if (!taken[i]) continue;
      if (!One(*file, dir->members[i], placed[i])) {
        whole = false;
        break;
      }
    }
    if (whole)
      for (const std::string& spec : selection.Unmatched())
        if (report_.Message(kNoteSkipped,
                            MessageName(spec, kMessageNameLimit) + ": no member of that name"))
          break;
    report_.BatchEnd();
    return count_;
  }

 private:
  int Fail(const std::string& why) {
    report_.Message(kNoteFailed, why);
    report_.BatchEnd();
    return 0;
  }
  // Every message asks whether to go on; false means stop.
  bool Say(int32_t code, const Member& m, const std::string& why) {
    stop_ = report_.Message(code, MessageName(m.name, kMessageNameLimit) + ": " + why) || stop_;
    return !stop_;
  }
  bool Skip(const Member& m, const std::string& why) { return Say(kNoteSkipped, m, why); }
  void Note(const Member& m, const std::string& what) {
    if (opt_.verbose) Say(kNoteInfo, m, what);
  }

  std::string Join(const std::vector<std::string>& parts, size_t n) const {
    std::string path = base_;
    for (size_t i = 0; i < n; ++i) Append(path, parts[i]);
    return path;
  }
  void Append(std::string& path, const std::string& part) const {
    if (!path.empty() && path.back() != fs_.Separator()) path += fs_.Separator();
    path += part;
  }

  // Makes the first `n` folders of `parts`, each one checked to resolve inside the
  // extraction folder so a link planted earlier cannot carry files elsewhere. Each folder is
  // checked once in a run, relative to its parent, checked before it: one this run made, or
  // one found that is no link, is inside because its parent is; only a link found there is
  // resolved. This run makes no links, and resolving every step of every path again would
  // cost more than writing the files (a name may nest thousands of folders).
  std::string Folders(const std::vector<std::string>& parts, size_t n) {
    std::string path = base_, key;
    uint32_t node = 0;  // the extraction folder
    for (size_t i = 0; i < n; ++i) {
      Append(path, parts[i]);
      key.assign(reinterpret_cast<const char*>(&node), sizeof node).append(parts[i]);
      if (auto known = folders_.find(key); known != folders_.end()) {
        node = known->second;
        continue;
      }
      // Named by its path below the extraction folder, built only when something is wrong:
      // built for every folder of a deep name it would cost more than the checks.
      auto shown = [&] {
        std::string below;
        for (size_t k = 0; k <= i; ++k) below += (k ? "/" : "") + parts[k];
        return MessageName(below, kMessageNameLimit);
      };
      auto info = fs_.Stat(path);
      if (!info && !fs_.MakeFolder(path) && !(info = fs_.Stat(path)))
        return "cannot make folder " + shown();
      if (info && !info->isDirectory) return "a file stands where folder " + shown() + " should be";
      if (info && info->isLink && !Inside(fs_.RealPath(path), realBase_, fs_.Separator()))
        return "folder " + shown() + " leads outside the extraction folder";
      node = folders_.emplace(key, static_cast<uint32_t>(folders_.size() + 1)).first->second;
    }
    return "";
  }

  bool One(InputFile& file, const Member& m, const Placement& placed) {
    SafePath safe = CheckMemberPath(m.name);
    if (safe.parts.empty()) return Skip(m, "refused, " + safe.refusal);
    if (m.zip64Missing) return Skip(m, "ZIP64 sizes missing, skipped");
    if (m.IsFolder()) {
      if (opt_.testOnly || !opt_.dirNames) return true;
      const std::string why = Folders(safe.parts, safe.parts.size());
      return why.empty() ? true : Skip(m, why);
    }
    if (!placed.data) return Skip(m, placed.error);
    if (placed.overlaps)
      return Skip(m, "refused, its header or data overlaps another member's (a zip bomb?)");
    if (m.method == kMethodAes) return Skip(m, "AES encryption is not supported, skipped");
    if (m.method != kMethodStored && m.method != kMethodDeflated)
      return Skip(m, "compression method " + std::to_string(m.method) + " not supported, skipped");
    if (m.flags & kFlagStrongCrypto) return Skip(m, "strong encryption not supported, skipped");
    if ((m.flags & kFlagEncrypted) && opt_.password.empty())
      return Skip(m, "encrypted and no password given, skipped");
    if (m.size > budget_)
      return Skip(m, "refused, its size of " + std::to_string(m.size) +
                         " bytes would take this extraction past " + std::to_string(kMaxExpansion) +
                         " times the archive's size");
    if (m.badUtf8 &&
        !Say(kNoteWarning, m, "name marked as UTF-8 is not UTF-8; read in code page 437"))
      return false;
    if (!opt_.dirNames) safe.parts.erase(safe.parts.begin(), safe.parts.end() - 1);

    if (opt_.testOnly) {
      if (report_.FileStart(m.name, m.size)) return false;
      budget_ -= m.size;
      const Outcome o = Decode(file, *placed.data, m, opt_.password, report_, work_,
                               [](const uint8_t*, size_t) { return true; });
      if (o == Outcome::kCancelled) return false;
      if (o != Outcome::kOk) return Skip(m, Describe(o, m));
      ++count_;
      Note(m, "tested OK");
      return !stop_;
    }

    const std::string target = Join(safe.parts, safe.parts.size());
    if (auto info = fs_.Stat(target)) {
      if (info->isDirectory) return Skip(m, "a folder of that name exists, skipped");
      if (opt_.freshen || opt_.update) {
        if (m.modified <= info->modified) {
          Note(m, "file there is not older, skipped");
          return !stop_;
        }
      } else if (!opt_.overwrite) {
        return Skip(m, "file exists, not overwritten");
      }
    } else if (opt_.freshen) {
      Note(m, "no file there to freshen, skipped");
      return !stop_;
    }
    if (const std::string why = Folders(safe.parts, safe.parts.size() - 1); !why.empty())
      return Skip(m, why);
    if (report_.FileStart(m.name, m.size)) return false;
    budget_ -= m.size;

    // Written under a temporary name beside the target and renamed over it only when the
    // CRC is right: a wrong password or damaged data never replaces a good file.
    std::string temp;
    std::unique_ptr<OutputFile> out;
    platform::TakeTempNameBeside(target, [&](std::string name) {
      temp = std::move(name);
      out = fs_.CreateNew(temp);
      return out != nullptr;
    });
    if (!out) return Skip(m, "cannot create a file in its folder");
    uint64_t written = 0;
    Outcome o = Decode(file, *placed.data, m, opt_.password, report_, work_,
                       [&](const uint8_t* p, size_t n) {
                         if (!out->WriteAt(written, p, n)) return false;
                         written += n;
                         return true;
                       });
    if (o == Outcome::kOk && !out->Finish(written)) o = Outcome::kWrite;
    // Stamped through the open file: no second open by name.
    if (o == Outcome::kOk) out->SetModified(m.modified);
    const std::string why = o == Outcome::kWrite ? out->Error() : std::string();
    out.reset();
    if (o != Outcome::kOk) {
      fs_.Remove(temp);
      if (o == Outcome::kCancelled) return false;
      return Skip(m, why.empty() ? Describe(o, m) : "cannot write the file: " + why);
    }
    if (!fs_.Replace(temp, target)) {
      fs_.Remove(temp);
      return Skip(m, "cannot replace the file there");
    }
    ++count_;
    Note(m, "extracted");
    return !stop_;
  }

  const UnzipOptions& opt_;
  FileSystem& fs_;
  Reporter& report_;
  std::string base_, realBase_;
  // Folders made or found inside the extraction folder in this run, as a tree: the key is
  // the parent's number (0 for the extraction folder) followed by one name.
  std::unordered_map<std::string, uint32_t> folders_;
  uint64_t budget_ = 0;  // bytes this run may still write
  Workspace work_;
  int count_ = 0;
  bool stop_ = false;
};

}  // namespace

int Unzip(const UnzipOptions& options, FileSystem& fs, Reporter& report) {
  return Extractor(options, fs, report).Run();
}

}  // namespace quillow::zip
