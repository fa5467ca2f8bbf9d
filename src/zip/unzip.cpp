#include "zip/unzip.h"

#include <zlib.h>

#include <cstdio>
#include <memory>
#include <unordered_set>

#include "zip/archive.h"
#include "zip/crypto.h"
#include "zip/names.h"
#include "zip/path_safety.h"

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
      if (zs.avail_in == 0) {
        if (left == 0) return Outcome::kShort;  // stream not finished, input spent
        const size_t n = static_cast<size_t>(std::min<uint64_t>(left, kChunk));
        if (!read(n)) return Outcome::kShort;
        zs.next_in = in.data();
        zs.avail_in = static_cast<uInt>(n);
      }
      zs.next_out = out.data();
      zs.avail_out = static_cast<uInt>(out.size());
      rc = inflate(&zs, Z_NO_FLUSH);
      if (rc != Z_OK && rc != Z_STREAM_END && rc != Z_BUF_ERROR) return Outcome::kDamaged;
      const size_t n = out.size() - zs.avail_out;
      if (n > 0)
        if (Outcome o = emit(out.data(), n); o != Outcome::kOk) return o;
    }
  }
  if (produced != m.size) return Outcome::kShort;
  return crc == m.crc ? Outcome::kOk : Outcome::kBadCrc;
}

bool Inside(const std::string& real, const std::string& base, char sep) {
  if (base.empty() || real.size() < base.size()) return false;
  for (size_t i = 0; i < base.size(); ++i) {
    char a = real[i], b = base[i];
    if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
    if (b >= 'A' && b <= 'Z') b = static_cast<char>(b - 'A' + 'a');
    if (a != b) return false;
  }
  return real.size() == base.size() || real[base.size()] == sep || base.back() == sep;
}

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
    for (const Member& m : dir->members) {
      if (!Wanted(m)) continue;
      if (!One(*file, *dir, m)) break;
    }
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
  bool Skip(const Member& m, const std::string& why) {
    stop_ = report_.Message(kNoteSkipped, m.name + ": " + why) || stop_;
    return !stop_;
  }
  void Note(const std::string& text) {
    if (opt_.verbose) stop_ = report_.Message(kNoteInfo, text) || stop_;
  }

  bool Wanted(const Member& m) const {
    if (opt_.names.empty()) return true;
    // A name taken from a listing comes as the bytes stored, which differ from the decoded
    // name when the archiver used the DOS code page.
    for (const std::string& spec : opt_.names)
      if (MatchSpec(spec, m.name) || (m.rawName != m.name && MatchSpec(spec, m.rawName)))
        return true;
    return false;
  }

  std::string Join(const std::vector<std::string>& parts, size_t n) const {
    std::string path = base_;
    for (size_t i = 0; i < n; ++i) {
      if (!path.empty() && path.back() != fs_.Separator()) path += fs_.Separator();
      path += parts[i];
    }
    return path;
  }

  // Makes the first `n` folders of `parts`, each one checked to resolve inside the
  // extraction folder so a link planted earlier cannot carry files elsewhere. A folder once
  // checked is not looked at again in this run: this run makes no links, and resolving every
  // step of every member's path again would cost more than writing the files.
  std::string Folders(const std::vector<std::string>& parts, size_t n) {
    for (size_t i = 1; i <= n; ++i) {
      std::string path = Join(parts, i);
      if (checked_.count(path)) continue;
      auto info = fs_.Stat(path);
      if (!info) {
        if (!fs_.MakeFolder(path) && !(info = fs_.Stat(path))) return "cannot make folder " + path;
      } else if (!info->isDirectory) {
        return "a file stands where folder " + path + " should be";
      }
      if (!Inside(fs_.RealPath(path), realBase_, fs_.Separator()))
        return "folder " + path + " leads outside the extraction folder";
      checked_.insert(std::move(path));
    }
    return "";
  }

  bool One(InputFile& file, const Directory& dir, const Member& m) {
    SafePath safe = CheckMemberPath(m.name);
    if (safe.parts.empty()) return Skip(m, "refused, " + safe.refusal);
    if (m.zip64Missing) return Skip(m, "ZIP64 sizes missing, skipped");
    if (m.IsFolder()) {
      if (opt_.testOnly || !opt_.dirNames) return true;
      const std::string why = Folders(safe.parts, safe.parts.size());
      return why.empty() ? true : Skip(m, why);
    }
    if (m.method != kMethodStored && m.method != kMethodDeflated)
      return Skip(m, "compression method " + std::to_string(m.method) + " not supported, skipped");
    if (m.flags & kFlagStrongCrypto) return Skip(m, "strong encryption not supported, skipped");
    if ((m.flags & kFlagEncrypted) && opt_.password.empty())
      return Skip(m, "encrypted and no password given, skipped");
    std::string error;
    auto at = LocateData(file, dir, m, error);
    if (!at) return Skip(m, error);
    if (!opt_.dirNames) safe.parts.erase(safe.parts.begin(), safe.parts.end() - 1);

    if (opt_.testOnly) {
      if (report_.FileStart(m.name, m.size)) return false;
      const Outcome o = Decode(file, *at, m, opt_.password, report_, work_,
                               [](const uint8_t*, size_t) { return true; });
      if (o == Outcome::kCancelled) return false;
      if (o != Outcome::kOk) return Skip(m, Describe(o, m));
      ++count_;
      Note("tested: " + m.name + " OK");
      return !stop_;
    }

    const std::string target = Join(safe.parts, safe.parts.size());
    if (auto info = fs_.Stat(target)) {
      if (info->isDirectory) return Skip(m, "a folder of that name exists, skipped");
      if (opt_.freshen || opt_.update) {
        if (m.modified <= info->modified) {
          Note(m.name + ": file there is not older, skipped");
          return !stop_;
        }
      } else if (!opt_.overwrite) {
        return Skip(m, "file exists, not overwritten");
      }
    } else if (opt_.freshen) {
      Note(m.name + ": no file there to freshen, skipped");
      return !stop_;
    }
    if (const std::string why = Folders(safe.parts, safe.parts.size() - 1); !why.empty())
      return Skip(m, why);
    if (report_.FileStart(m.name, m.size)) return false;

    // Written under a temporary name beside the target and renamed over it only when the
    // CRC is right: a wrong password or damaged data never replaces a good file.
    const std::string folder = Join(safe.parts, safe.parts.size() - 1);
    std::string temp;
    std::unique_ptr<OutputFile> out;
    for (int attempt = 0; attempt < 1000 && !out; ++attempt) {
      char leaf[32];
      std::snprintf(leaf, sizeof leaf, "~qz%05u%03d.tmp", static_cast<unsigned>(count_), attempt);
      temp =
          folder +
          (folder.empty() || folder.back() == fs_.Separator() ? std::string()
                                                              : std::string(1, fs_.Separator())) +
          leaf;
      out = fs_.CreateNew(temp);
    }
    if (!out) return Skip(m, "cannot create a file in " + folder);
    uint64_t written = 0;
    Outcome o =
        Decode(file, *at, m, opt_.password, report_, work_, [&](const uint8_t* p, size_t n) {
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
      return Skip(m, "cannot replace " + target);
    }
    ++count_;
    Note("extracted: " + m.name);
    return !stop_;
  }

  const UnzipOptions& opt_;
  FileSystem& fs_;
  Reporter& report_;
  std::string base_, realBase_;
  std::unordered_set<std::string> checked_;  // folders made or found, and found inside
  Workspace work_;
  int count_ = 0;
  bool stop_ = false;
};

}  // namespace

int Unzip(const UnzipOptions& options, FileSystem& fs, Reporter& report) {
  return Extractor(options, fs, report).Run();
}

}  // namespace quillow::zip
