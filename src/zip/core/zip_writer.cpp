#include "zip/core/zip_writer.h"

#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <unordered_map>
#include <unordered_set>

#include "base/ascii.h"
#include "base/little_endian.h"
#include "base/separators.h"
#include "platform/temp_beside.h"
#include "zip/core/archive.h"
#include "zip/core/crypto.h"
#include "zip/core/names.h"

namespace quillow::zip {

namespace {

constexpr size_t kChunk = 256 * 1024;
constexpr uint64_t kMax32 = 0xFFFFFFFFu;
constexpr size_t kMaxMembers = 0xFFFF;  // no ZIP64 records are written
constexpr uint32_t kAttrArchive = 0x20, kAttrDirectory = 0x10;

// "Made by": version 2.0 and MS-DOS attributes while a name is plain ASCII. Any other name
// is UTF-8 (flag bit 11), yet Info-ZIP unzip reads a name from an MS-DOS host in the OEM code
// page whatever the flag says; so such a member names the host it really came from, NTFS, or
// Unix with the file's type and permission bits in the upper half of its attributes, and
// version 6.3, the first to define the flag. The Info-ZIP Unicode path record (0x7075) is not
// written: it serves a name field kept in a code page, and the readers that know it honour
// bit 11, so it would only repeat the name.
constexpr uint16_t kMadeByDos = 20;
#if defined(_WIN32)
constexpr uint16_t kMadeByNonAscii = 10 << 8 | 63;
constexpr bool kUnixHost = false;
// File names on Windows fold letter case: a file named in other case than its member is
// that member.
constexpr bool kFoldCase = true;
constexpr bool kWidePaths = true;  // every path goes to the wide functions as UTF-8
#else
constexpr uint16_t kMadeByNonAscii = 3 << 8 | 63;
constexpr bool kUnixHost = true;
constexpr bool kFoldCase = false;
constexpr bool kWidePaths = false;  // a path is the file system's own bytes
#endif

// A member name as a look-up key: '\' (written by some old tools) is '/', and letter case
// counts unless `fold`. Two names are the same name only when their bytes are: "Makefile"
// and "makefile" are two members.
std::string NameKey(std::string_view name, bool fold) {
  std::string key(name);
  for (char& c : key) {
    if (c == '\\') c = '/';
    if (fold) c = base::UpperAscii(c);
  }
  return key;
}

// Text from the caller in UTF-8. On Windows every path goes to the wide functions, so all of
// it is converted once; elsewhere a path is the file system's own bytes and stays as given,
// and only what is stored is converted (see StoredName). A delete's specifications are left
// as given: the member selection matches them both as bytes and converted, as extraction does.
ZipOptions InUtf8(ZipOptions o) {
  if (kWidePaths) o.zipName = CallerTextToUtf8(o.zipName);
  if (kWidePaths && !o.deleteMode)
    for (std::string& n : o.names) n = CallerTextToUtf8(n);
  return o;
}

bool HasWildcard(std::string_view s) { return s.find_first_of("*?") != std::string_view::npos; }

// Sequential output with its own buffer, so a member's many small writes cost few calls.
// Going back into what is still buffered (to patch a header, or to write a member again
// stored) touches only the buffer.
class Sink {
 public:
  explicit Sink(OutputFile& f) : file_(f) { buf_.reserve(1 << 20); }
  uint64_t Pos() const { return pos_ + buf_.size(); }
  bool Put(const void* p, size_t n) {
    if (buf_.size() + n > buf_.capacity() && !Flush()) return false;
    if (n >= buf_.capacity()) {
      if (!file_.WriteAt(pos_, p, n)) return false;
      pos_ += n;
      return true;
    }
    buf_.insert(buf_.end(), static_cast<const char*>(p), static_cast<const char*>(p) + n);
    return true;
  }
  bool Flush() {
    if (buf_.empty()) return true;
    if (!file_.WriteAt(pos_, buf_.data(), buf_.size())) return false;
    pos_ += buf_.size();
    buf_.clear();
    return true;
  }
  // Goes back to `at`: what was put after it is dropped.
  bool Rewind(uint64_t at) {
    if (at >= pos_ && at <= Pos()) {
      buf_.resize(static_cast<size_t>(at - pos_));
      return true;
    }
    if (!Flush()) return false;
    pos_ = at;
    return true;
  }
  bool PatchAt(uint64_t at, const void* p, size_t n) {
    if (at >= pos_ && at + n <= Pos()) {
      std::memcpy(buf_.data() + (at - pos_), p, n);
      return true;
    }
    return Flush() && file_.WriteAt(at, p, n);
  }

 private:
  OutputFile& file_;
  std::vector<char> buf_;
  uint64_t pos_ = 0;
};

// The buffers and the deflater of a whole run, set up once rather than for every file.
class Workspace {
 public:
  Workspace() = default;
  Workspace(const Workspace&) = delete;
  Workspace& operator=(const Workspace&) = delete;
  ~Workspace() {
    if (ready_) deflateEnd(&zs_);
  }
  std::vector<uint8_t> in = std::vector<uint8_t>(kChunk);
  std::vector<uint8_t> out = std::vector<uint8_t>(kChunk);
  // A raw deflater at `level` in its initial state; null when zlib has no memory for one.
  // Level 9 with zlib's largest hash: archives as small as Info-ZIP's at its -9.
  z_stream* Deflater(int level) {
    if (ready_ && level != level_) {
      deflateEnd(&zs_);
      ready_ = false;
    }
    if (!ready_) {
      zs_ = z_stream{};
      ready_ = deflateInit2(&zs_, level, Z_DEFLATED, -MAX_WBITS, 9, Z_DEFAULT_STRATEGY) == Z_OK;
      level_ = level;
      return ready_ ? &zs_ : nullptr;
    }
    return deflateReset(&zs_) == Z_OK ? &zs_ : nullptr;
  }

 private:
  z_stream zs_{};
  bool ready_ = false;
  int level_ = 0;
};

// One file to add: where it is and the name it gets.
struct Source {
  std::string path;
  std::string stored;
  FileInfo info;
  bool folder = false;
};

// One member of the archive being written: a member copied from the old archive, or a
// source written anew.
struct Entry {
  const Member* old = nullptr;
  const Source* source = nullptr;
  std::string central;  // its central header, once written
  DosDateTime modified = 0;
};

class Writer {
 public:
  Writer(const ZipOptions& o, FileSystem& fs, Reporter& r) : opt_(InUtf8(o)), fs_(fs), report_(r) {}

  int Run() {
    int result = Work();
    report_.BatchEnd();
    return result;
  }

 private:
  int Work() {
    if (opt_.zipName.empty()) return Fail("no archive name given");
    RemoveLeftovers();
    const bool exists = fs_.Stat(opt_.zipName).has_value();
    if (exists) {
      old_ = fs_.OpenRead(opt_.zipName);
      if (!old_) return Fail("cannot open the archive " + opt_.zipName);
      std::string error;
      dir_ = ReadDirectory(*old_, error);
      if (!dir_) return Fail(opt_.zipName + ": " + error + "; archive not changed");
      for (const Member& m : dir_->members)
        if (m.zip64 || m.zip64Missing || dir_->zip64)
          return Fail(opt_.zipName + ": ZIP64 archives cannot be changed");
      members_.reserve(dir_->members.size());
      for (size_t i = 0; i < dir_->members.size(); ++i) {
        members_.emplace(NameKey(dir_->members[i].name, false), i);
        if (kFoldCase) folded_.emplace(NameKey(dir_->members[i].name, true), i);
      }
    } else if (opt_.deleteMode) {
      return Fail("the archive " + opt_.zipName + " does not exist");
    }
    std::vector<Entry> plan;
    int count = opt_.deleteMode ? PlanDelete(plan) : PlanAdd(plan);
    if (stop_) return 0;
    if (count == 0) {
      report_.Message(kNoteInfo, opt_.deleteMode ? "nothing matched; archive not changed"
                                                 : "nothing to do; archive not changed");
      return 0;
    }
    if (plan.size() > kMaxMembers) return Fail("more than 65,535 members; archive not changed");
    count = WriteArchive(plan, count);
    if (count <= 0) return 0;
    Finalize(plan);
    return count;
  }

  int Fail(const std::string& why) {
    report_.Message(kNoteFailed, why);
    return 0;
  }
  void Skip(const std::string& what, const std::string& why) {
    stop_ = report_.Message(kNoteSkipped, what + ": " + why) || stop_;
  }
  void Note(const std::string& text) {
    if (opt_.verbose) stop_ = report_.Message(kNoteInfo, text) || stop_;
  }

  int PlanDelete(std::vector<Entry>& plan) {
    int deleted = 0;
    if (opt_.names.empty()) return 0;  // no specification deletes nothing, not everything
    // The same members an extraction with these specifications would write.
    MemberSelection selection(opt_.names, dir_->members);
    for (const Member& m : dir_->members) {
      if (selection.Selects(m)) {
        ++deleted;
        Note("deleting: " + m.name);
      } else {
        plan.push_back(Entry{&m, nullptr, {}, m.modified});
      }
    }
    for (const std::string& spec : selection.Unmatched())
      Skip(MessageName(spec, 200), "no member of that name");
    return deleted;
  }

  // The name a file gets: its path as given, without a drive, root or "." and ".." steps.
  std::string StoredName(const std::string& path, bool folder) const {
    std::string_view p = path;
    if (p.size() > 1 && p[1] == ':') p.remove_prefix(2);
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= p.size()) {
      size_t end = p.find_first_of("/\\", start);
      if (end == std::string_view::npos) end = p.size();
      std::string part(p.substr(start, end - start));
      start = end + 1;
      if (part.empty() || part == "." || part == "..") continue;
      parts.push_back(opt_.forceDos ? DosComponent(part) : CallerTextToUtf8(part));
    }
    if (opt_.noDirNames && !parts.empty()) parts.erase(parts.begin(), parts.end() - 1);
    std::string name;
    for (const std::string& part : parts) name += (name.empty() ? "" : "/") + part;
    if (folder && !name.empty()) name += '/';
    return name;
  }

  std::string Child(const std::string& folder, const std::string& name) const {
    if (folder.empty()) return name;
    return base::IsSlash(folder.back()) ? folder + name : folder + fs_.Separator() + name;
  }

  void Collect(const std::string& folder, const std::string& pattern, bool whole,
               std::vector<Source>& found) {
    // In name order, so the same files always make the same archive.
    std::vector<FolderItem> items = fs_.List(folder.empty() ? "." : folder);
    std::sort(items.begin(), items.end(),
              [](const FolderItem& a, const FolderItem& b) { return a.name < b.name; });
    for (const FolderItem& item : items) {
      if (stop_) return;
      const std::string path = Child(folder, item.name);
      auto info = fs_.Stat(path);
      if (!info) continue;
      if (info->isDirectory) {
        if (!opt_.recurse) continue;
        if (info->hidden && !opt_.hidden) {
          Skip(path, "hidden or system folder, not added");
          continue;
        }
        if (whole && !opt_.noDirNames)
          found.push_back(Source{path, StoredName(path, true), *info, true});
        Collect(path, pattern, whole, found);
      } else if (MatchSpec(pattern, item.name)) {
        if (info->hidden && !opt_.hidden)
          Skip(path, "hidden or system file, not added");
        else
          found.push_back(Source{path, StoredName(path, false), *info, false});
      }
    }
  }

  void Expand(const std::string& spec, std::vector<Source>& found) {
    auto info = fs_.Stat(spec);
    if (info && info->isDirectory) return Collect(spec, "*", true, found);
    if (info && !HasWildcard(spec)) {
      if (info->hidden && !opt_.hidden) return Skip(spec, "hidden or system file, not added");
      found.push_back(Source{spec, StoredName(spec, false), *info, false});
      return;
    }
    size_t cut = spec.find_last_of("/\\");
    if (cut == std::string::npos && spec.size() > 1 && spec[1] == ':') cut = 1;
    const std::string folder = cut == std::string::npos ? "" : spec.substr(0, cut + 1);
    const std::string pattern = cut == std::string::npos ? spec : spec.substr(cut + 1);
    if (HasWildcard(folder)) return Skip(spec, "wildcards are allowed in the file name only");
    Collect(folder, pattern, pattern == "*" || pattern == "*.*", found);
  }

  // The member a stored name replaces: the one of the same bytes, or on Windows the one of
  // the same folded name.
  const Member* Existing(const std::string& stored) const {
    if (!dir_) return nullptr;
    if (auto it = members_.find(NameKey(stored, false)); it != members_.end())
      return &dir_->members[it->second];
    if (auto it = folded_.find(NameKey(stored, true)); it != folded_.end())
      return &dir_->members[it->second];
    return nullptr;
  }

  int PlanAdd(std::vector<Entry>& plan) {
    const std::string archiveReal = fs_.RealPath(opt_.zipName);
    // Only a file as long as the archive can be the archive: the others need no resolving.
    const auto archiveInfo = fs_.Stat(opt_.zipName);
    for (const std::string& spec : opt_.names) {
      const size_t before = sources_.size();
      Expand(spec, sources_);
      if (stop_) return 0;
      if (sources_.size() == before) Skip(spec, "no files found");
    }
    std::vector<const Source*> replacing(dir_ ? dir_->members.size() : 0, nullptr);
    std::vector<const Source*> appended;
    std::unordered_set<std::string_view> named;  // views into sources_, complete by now
    named.reserve(sources_.size());
    int files = 0;
    for (const Source& s : sources_) {
      if (stop_) return 0;
      if (s.stored.empty()) continue;
      if (!s.folder && !archiveReal.empty() && archiveInfo && s.info.size == archiveInfo->size &&
          fs_.RealPath(s.path) == archiveReal) {
        Skip(s.path, "the archive itself, not added");
        continue;
      }
      if (!s.folder && s.info.size >= kMax32) {
        Skip(s.path, "4 GB or larger, not added");
        continue;
      }
      const Member* m = Existing(s.stored);
      const size_t at = m ? static_cast<size_t>(m - dir_->members.data()) : 0;
      // The same bytes twice, or (folding case) two names of one member.
      if (!named.insert(s.stored).second || (m && replacing[at])) {
        if (!s.folder) Skip(s.path, "named " + s.stored + " twice, added once");
        continue;
      }
      if (s.folder && (m || opt_.freshen)) continue;  // the folder entry is there already
      if (opt_.freshen || opt_.update) {
        if (!m && !opt_.update) {
          Skip(s.path, "not in the archive, not freshened");
          continue;
        }
        if (m && s.info.modified <= m->modified) {
          Skip(s.path, "not newer than its member, not replaced");
          continue;
        }
      }
      if (m)
        replacing[at] = &s;
      else
        appended.push_back(&s);
      if (!s.folder) ++files;
    }
    if (dir_)
      for (size_t i = 0; i < dir_->members.size(); ++i)
        plan.push_back(
            Entry{&dir_->members[i],
                  replacing[i],
                  {},
                  replacing[i] ? replacing[i]->info.modified : dir_->members[i].modified});
    for (const Source* s : appended) plan.push_back(Entry{nullptr, s, {}, s->info.modified});
    return files;
  }

  // The archive's folder as a prefix ("" for the current one) and its file name.
  std::pair<std::string, std::string> ArchivePlace() const {
    std::string folder = opt_.zipName.substr(0, opt_.zipName.find_last_of("/\\") + 1);
    if (folder.empty() && opt_.zipName.size() > 1 && opt_.zipName[1] == ':')
      folder = opt_.zipName.substr(0, 2);
    return {folder, opt_.zipName.substr(folder.size())};
  }

  // Temporary files that a killed run left beside this archive. One that a run still
  // writing holds open stays on Windows; elsewhere that run finds its file gone and leaves
  // the archive as it was, which two runs on one archive at once could not do better.
  void RemoveLeftovers() {
    const auto [folder, leaf] = ArchivePlace();
    if (leaf.empty()) return;
    for (const FolderItem& item : fs_.List(folder.empty() ? "." : folder))
      if (!item.isDirectory && platform::IsTempNameOf(item.name, leaf, kFoldCase) &&
          fs_.Remove(folder + item.name))
        Note("removed " + folder + item.name + ", left by a run that did not finish");
  }

  // Writes the archive to a temporary file beside the old one and puts it in its place.
  // Returns the count of files written, or 0 when nothing was changed.
  int WriteArchive(std::vector<Entry>& plan, int planned) {
    const auto [folder, leaf] = ArchivePlace();
    std::string temp;
    std::unique_ptr<OutputFile> out;
    platform::TakeTempNameBeside(opt_.zipName, [&](std::string name) {
      temp = std::move(name);
      return (out = fs_.CreateNew(temp)) != nullptr;
    });
    if (!out) return Fail("cannot create a temporary file beside " + opt_.zipName);
    // The archive keeps who may read and write it.
    if (old_)
      if (const auto info = fs_.Stat(opt_.zipName); info && !out->SetMode(info->mode))
        Skip(opt_.zipName, "its permissions could not be kept");
    Sink sink(*out);
    int written = 0;
    bool ok = true;
    for (Entry& e : plan) {
      if (e.source) {
        const int r = WriteNew(sink, e);
        if (r < 0) {
          ok = false;
          break;
        }
        if (r > 0) {
          written += e.source->folder ? 0 : 1;
          continue;
        }
        e.source = nullptr;  // not readable: the old member, if any, stays
        if (e.old) e.modified = e.old->modified;
        if (!e.old) {
          e.central.clear();
          continue;
        }
      }
      if (!CopyOld(sink, e)) {
        ok = false;
        break;
      }
    }
    if (ok && !stop_) ok = WriteCentral(sink, plan);
    // On the disk before it takes an old archive's place, so a crash cannot cost both; a new
    // archive puts nothing at stake and is left to the system's own writing.
    if (ok && !stop_) ok = sink.Flush() && out->Finish(sink.Pos()) && (!old_ || out->Sync());
    const std::string why = out->Error();
    out.reset();
    if (!ok || stop_) {
      fs_.Remove(temp);
      if (!stop_)
        Fail("writing " + opt_.zipName + " failed (" + (why.empty() ? "disk full?" : why) +
             "); archive not changed");
      return 0;
    }
    old_.reset();  // Windows renames nothing over a file that is still open
    if (!fs_.Replace(temp, opt_.zipName)) {
      fs_.Remove(temp);
      return Fail("cannot replace " + opt_.zipName + "; archive not changed");
    }
    return opt_.deleteMode ? planned : written;
  }

  // Returns 1 when written, 0 when the file could not be read (nothing written), -1 when
  // the archive cannot be finished (write failure, stop, size limit).
  int WriteNew(Sink& sink, Entry& e) {
    const Source& s = *e.source;
    const uint64_t headerAt = sink.Pos();
    const bool utf8 = std::any_of(s.stored.begin(), s.stored.end(),
                                  [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    uint32_t attributes = s.folder ? kAttrDirectory : kAttrArchive;
    if (utf8 && kUnixHost)
      attributes |= (s.info.mode ? s.info.mode : s.folder ? 040755u : 0100644u) << 16;
    if (report_.FileStart(s.stored, s.folder ? 0 : s.info.size)) {
      stop_ = true;
      return -1;
    }
    std::unique_ptr<InputFile> in;
    if (!s.folder) {
      in = fs_.OpenRead(s.path);
      if (!in) {
        Skip(s.path, "cannot be read, not added");
        return stop_ ? -1 : 0;
      }
    }
    const uint64_t size = in ? in->Length() : 0;
    const bool encrypt = opt_.encrypt && !opt_.password.empty() && !s.folder;
    uint32_t crc = 0;
    if (encrypt) {
      // The password check byte is the CRC's top byte, so the CRC comes first.
      auto c = Crc(*in, size);
      if (!c) {
        Skip(s.path, "cannot be read, not added");
        return stop_ ? -1 : 0;
      }
      crc = *c;
    }
    uint16_t method = (opt_.level > 0 && size > 0) ? kMethodDeflated : kMethodStored;
    uint16_t flags = (utf8 ? kFlagUtf8 : 0) | (encrypt ? kFlagEncrypted : 0);
    std::string header;
    auto makeHeader = [&](uint16_t how) {
      header.clear();
      base::PutLe32(header, 0x04034B50);
      base::PutLe16(header, how == kMethodDeflated || encrypt ? 20 : 10);
      base::PutLe16(header, flags | (how == kMethodDeflated && opt_.level >= 8 ? 2 : 0));
      base::PutLe16(header, how);
      base::PutLe16(header, e.modified & 0xFFFF);
      base::PutLe16(header, e.modified >> 16);
      base::PutLe32(header, 0);  // CRC and sizes, patched below
      base::PutLe32(header, 0);
      base::PutLe32(header, 0);
      base::PutLe16(header, static_cast<uint32_t>(s.stored.size()));
      base::PutLe16(header, 0);
      header += s.stored;
    };
    uint64_t packed = 0;
    int r = 0;
    for (int pass = 0; pass < 2; ++pass) {
      if (!sink.Rewind(headerAt)) return -1;
      makeHeader(method);
      if (!sink.Put(header.data(), header.size())) return -1;
      const uint64_t dataAt = sink.Pos();
      uint32_t seen = 0;
      r = in ? WriteData(sink, *in, size, method, encrypt, crc, seen) : 1;
      if (r <= 0) {
        if (r == 0) Skip(s.path, "cannot be read, not added");
        if (!sink.Rewind(headerAt)) return -1;
        return r < 0 || stop_ ? -1 : 0;
      }
      if (encrypt && seen != crc) {
        Skip(s.path, "changed while being added, not added");
        if (!sink.Rewind(headerAt)) return -1;
        return stop_ ? -1 : 0;
      }
      crc = seen;
      packed = sink.Pos() - dataAt;
      // Deflating that did not make the data smaller is undone: the member is stored.
      const uint64_t plain = size + (encrypt ? kCryptHeader : 0);
      if (method == kMethodDeflated && packed >= plain) {
        method = kMethodStored;
        continue;
      }
      break;
    }
    if (sink.Pos() > kMax32) {
      Fail("the archive would exceed 4 GB; archive not changed");
      return -1;
    }
    char patch[12];
    base::SetLe32(patch, crc);
    base::SetLe32(patch + 4, static_cast<uint32_t>(packed));
    base::SetLe32(patch + 8, static_cast<uint32_t>(size));
    if (!sink.PatchAt(headerAt + 14, patch, sizeof patch)) return -1;

    std::string& c = e.central;
    c.clear();
    base::PutLe32(c, 0x02014B50);
    base::PutLe16(c, utf8 ? kMadeByNonAscii : kMadeByDos);
    c.append(header, 4, 26);
    c.replace(16, 12, patch, 12);
    base::PutLe16(c, 0);  // comment length
    base::PutLe16(c, 0);  // disk
    base::PutLe16(c, 0);  // internal attributes
    base::PutLe32(c, attributes);
    base::PutLe32(c, static_cast<uint32_t>(headerAt));
    c += s.stored;
    Note((s.folder ? "adding folder: " : "adding: ") + s.stored +
         (method == kMethodDeflated
              ? " (deflated " + std::to_string(packed < size ? 100 - packed * 100 / size : 0) + "%)"
              : " (stored)"));
    if (!s.folder) added_.push_back(&s);
    return stop_ ? -1 : 1;
  }

  std::optional<uint32_t> Crc(InputFile& in, uint64_t size) {
    std::vector<uint8_t>& buf = work_.in;
    uint32_t crc = crc32(0, nullptr, 0);
    for (uint64_t at = 0; at < size;) {
      const size_t n = static_cast<size_t>(std::min<uint64_t>(kChunk, size - at));
      if (in.ReadAt(at, buf.data(), n) != n) return std::nullopt;
      crc = crc32(crc, buf.data(), static_cast<uInt>(n));
      at += n;
    }
    return crc;
  }

  // 1 written, 0 read failure, -1 write failure or stop.
  int WriteData(Sink& sink, InputFile& in, uint64_t size, uint16_t method, bool encrypt,
                uint32_t crc, uint32_t& seen) {
    std::unique_ptr<ZipCrypto> crypt;
    if (encrypt) {
      crypt = std::make_unique<ZipCrypto>(opt_.password);
      uint8_t h[kCryptHeader];
      crypt->MakeHeader(h, static_cast<uint8_t>(crc >> 24));
      if (!sink.Put(h, sizeof h)) return -1;
    }
    auto put = [&](uint8_t* p, size_t n) {
      if (crypt) crypt->Encrypt(p, n);
      return sink.Put(p, n);
    };
    std::vector<uint8_t>&buf = work_.in, &out = work_.out;
    z_stream* zs = nullptr;
    if (method == kMethodDeflated && !(zs = work_.Deflater(std::clamp(opt_.level, 1, 9))))
      return -1;
    seen = crc32(0, nullptr, 0);
    for (uint64_t at = 0;;) {
      const size_t n = static_cast<size_t>(std::min<uint64_t>(kChunk, size - at));
      if (n > 0 && in.ReadAt(at, buf.data(), n) != n) return 0;
      at += n;
      seen = crc32(seen, buf.data(), static_cast<uInt>(n));
      if (method == kMethodStored) {
        if (n > 0 && !put(buf.data(), n)) return -1;
      } else {
        zs->next_in = buf.data();
        zs->avail_in = static_cast<uInt>(n);
        const int flush = at == size ? Z_FINISH : Z_NO_FLUSH;
        int rc;
        do {
          zs->next_out = out.data();
          zs->avail_out = static_cast<uInt>(out.size());
          rc = deflate(zs, flush);
          if (rc == Z_STREAM_ERROR) return -1;
          const size_t got = out.size() - zs->avail_out;
          if (got > 0 && !put(out.data(), got)) return -1;
        } while (zs->avail_out == 0 || (flush == Z_FINISH && rc != Z_STREAM_END));
      }
      if (report_.Step()) {
        stop_ = true;
        return -1;
      }
      if (at == size) break;
    }
    return 1;
  }

  bool CopyOld(Sink& sink, Entry& e) {
    const Member& m = *e.old;
    std::string error;
    auto data = LocateData(*old_, *dir_, m, error);
    if (!data) {
      Fail(m.name + ": " + error + "; archive not changed");
      return false;
    }
    const uint64_t start = m.localOffset + dir_->shift;
    uint64_t end = *data + m.packedSize;
    if (m.flags & kFlagDescriptor) {
      // Four forms: with or without its signature, with 32-bit or (after a ZIP64 local
      // header) 64-bit sizes. The sizes it repeats tell which.
      uint8_t d[24] = {};
      old_->ReadAt(end, d, sizeof d);
      const size_t sig = base::Le32(d) == 0x08074B50 ? 4 : 0;
      const uint8_t* sizes = d + sig + 4;
      const bool wide = !(base::Le32(sizes) == m.packedSize && base::Le32(sizes + 4) == m.size) &&
                        base::Le64(sizes) == m.packedSize && base::Le64(sizes + 8) == m.size;
      end += sig + 4 + (wide ? 16 : 8);
      if (end > dir_->centralStart) {
        Fail(m.name + ": data descriptor missing; archive not changed");
        return false;
      }
    }
    const uint64_t newAt = sink.Pos();
    std::vector<uint8_t>& buf = work_.in;
    for (uint64_t at = start; at < end;) {
      const size_t n = static_cast<size_t>(std::min<uint64_t>(kChunk, end - at));
      if (old_->ReadAt(at, buf.data(), n) != n) {
        Fail("cannot read " + opt_.zipName + "; archive not changed");
        return false;
      }
      if (!sink.Put(buf.data(), n)) return false;
      at += n;
    }
    if (sink.Pos() > kMax32) {
      Fail("the archive would exceed 4 GB; archive not changed");
      return false;
    }
    e.central = m.central;
    base::SetLe32(e.central.data() + 42, static_cast<uint32_t>(newAt));
    return true;
  }

  bool WriteCentral(Sink& sink, const std::vector<Entry>& plan) {
    const uint64_t cdAt = sink.Pos();
    uint32_t n = 0;
    for (const Entry& e : plan) {
      if (e.central.empty()) continue;
      if (!sink.Put(e.central.data(), e.central.size())) return false;
      ++n;
    }
    const std::string comment = dir_ ? dir_->comment : std::string();
    std::string end;
    base::PutLe32(end, 0x06054B50);
    base::PutLe16(end, 0);
    base::PutLe16(end, 0);
    base::PutLe16(end, n);
    base::PutLe16(end, n);
    base::PutLe32(end, static_cast<uint32_t>(sink.Pos() - cdAt));
    base::PutLe32(end, static_cast<uint32_t>(cdAt));
    base::PutLe16(end, static_cast<uint32_t>(comment.size()));
    end += comment;
    if (sink.Pos() > kMax32) {
      Fail("the archive would exceed 4 GB; archive not changed");
      return false;
    }
    return sink.Put(end.data(), end.size());
  }

  void Finalize(const std::vector<Entry>& plan) {
    old_.reset();
    if (opt_.zipTime) {
      DosDateTime newest = 0;
      for (const Entry& e : plan)
        if (!e.central.empty()) newest = std::max(newest, e.modified);
      if (newest) fs_.SetModified(opt_.zipName, newest);
    }
    // Only now that the archive holding them is in place may the sources go.
    if (opt_.move)
      for (const Source* s : added_)
        if (!fs_.Remove(s->path)) Skip(s->path, "added, but could not be deleted");
  }

  const ZipOptions opt_;
  FileSystem& fs_;
  Reporter& report_;
  std::unique_ptr<InputFile> old_;
  std::optional<Directory> dir_;
  std::unordered_map<std::string, size_t> members_, folded_;  // by NameKey, unfolded and folded
  std::vector<Source> sources_;
  std::vector<const Source*> added_;
  Workspace work_;
  bool stop_ = false;
};

}  // namespace

int Zip(const ZipOptions& options, FileSystem& fs, Reporter& report) {
  return Writer(options, fs, report).Run();
}

}  // namespace quillow::zip
