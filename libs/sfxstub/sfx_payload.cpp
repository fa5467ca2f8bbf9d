#include "sfx_payload.h"

#include <algorithm>

#include "zip/core/path_safety.h"
#include "zip/core/unzip.h"

namespace quillow::sfx {

namespace {

constexpr uint32_t kMaxSections = 96;  // the most the Windows loader accepts

// The archive seen from the first byte of the ZIP data, so the offsets it stores (written
// before a stub was put in front) are right as they are.
class SliceInput final : public zip::InputFile {
 public:
  SliceInput(std::unique_ptr<zip::InputFile> inner, uint64_t start)
      : inner_(std::move(inner)), start_(std::min(start, inner_->Length())) {}
  uint64_t Length() const override { return inner_->Length() - start_; }
  size_t ReadAt(uint64_t offset, void* dst, size_t n) override {
    return offset > Length() ? 0 : inner_->ReadAt(start_ + offset, dst, n);
  }

 private:
  std::unique_ptr<zip::InputFile> inner_;
  uint64_t start_;
};

// The system's files, except that the program itself opens as its ZIP data.
class PayloadFileSystem final : public zip::FileSystem {
 public:
  PayloadFileSystem(zip::FileSystem& base, std::string exe, uint64_t start)
      : base_(base), exe_(std::move(exe)), start_(start) {}
  char Separator() const override { return base_.Separator(); }
  std::string CurrentFolder() override { return base_.CurrentFolder(); }
  std::optional<zip::FileInfo> Stat(const std::string& p) override { return base_.Stat(p); }
  std::vector<zip::FolderItem> List(const std::string& f) override { return base_.List(f); }
  std::unique_ptr<zip::InputFile> OpenRead(const std::string& path) override {
    auto file = base_.OpenRead(path);
    if (!file || path != exe_) return file;
    return std::make_unique<SliceInput>(std::move(file), start_);
  }
  std::unique_ptr<zip::OutputFile> CreateNew(const std::string& p) override {
    return base_.CreateNew(p);
  }
  bool Replace(const std::string& a, const std::string& b) override { return base_.Replace(a, b); }
  bool Remove(const std::string& p) override { return base_.Remove(p); }
  bool MakeFolder(const std::string& p) override { return base_.MakeFolder(p); }
  bool SetModified(const std::string& p, zip::DosDateTime t) override {
    return base_.SetModified(p, t);
  }
  std::string RealPath(const std::string& p) override { return base_.RealPath(p); }

 private:
  zip::FileSystem& base_;
  std::string exe_;
  uint64_t start_;
};

class Collector final : public zip::Reporter {
 public:
  explicit Collector(const ExtractRequest& r, ExtractOutcome& o) : request_(r), outcome_(o) {}
  bool FileStart(const std::string& name, uint64_t) override {
    if (request_.progress) request_.progress(name);
    return false;
  }
  bool Step() override { return false; }
  bool BatchEnd() override { return false; }
  bool Message(int32_t code, const std::string& text) override {
    if (code != zip::kNoteInfo) outcome_.problems.push_back(text);
    return false;
  }

 private:
  const ExtractRequest& request_;
  ExtractOutcome& outcome_;
};

std::string Join(const std::string& folder, const std::string& name, char sep) {
  if (folder.empty() || folder.back() == sep || folder.back() == '/') return folder + name;
  return folder + sep + name;
}

// Makes `folder` and every missing folder above it.
bool MakeFolders(zip::FileSystem& fs, const std::string& folder) {
  if (folder.empty()) return false;
  if (auto info = fs.Stat(folder)) return info->isDirectory;
  const size_t cut = folder.find_last_of("\\/");
  if (cut != std::string::npos && cut > 0 && folder[cut - 1] != ':') {
    if (!MakeFolders(fs, folder.substr(0, cut))) return false;
  }
  return fs.MakeFolder(folder) || (fs.Stat(folder) && fs.Stat(folder)->isDirectory);
}

}  // namespace

std::optional<uint64_t> ImageEnd(zip::InputFile& file) {
  // DOS header: "MZ" at 0, offset of the PE header at 0x3C. PE header: "PE\0\0", then the
  // file header (section count at +6, optional-header size at +20), the optional header,
  // and the section table of 40-byte entries (raw size at +16, raw offset at +20).
  uint8_t dos[64];
  if (file.ReadAt(0, dos, sizeof dos) != sizeof dos || dos[0] != 'M' || dos[1] != 'Z')
    return std::nullopt;
  const uint64_t pe = base::Le32(dos + 0x3C);
  uint8_t head[24];
  if (file.ReadAt(pe, head, sizeof head) != sizeof head || head[0] != 'P' || head[1] != 'E' ||
      head[2] != 0 || head[3] != 0)
    return std::nullopt;
  const uint32_t sections = base::Le16(head + 6);
  if (sections == 0 || sections > kMaxSections) return std::nullopt;
  uint64_t at = pe + sizeof head + base::Le16(head + 20);
  uint64_t end = 0;
  for (uint32_t i = 0; i < sections; ++i, at += 40) {
    uint8_t s[40];
    if (file.ReadAt(at, s, sizeof s) != sizeof s) return std::nullopt;
    const uint64_t size = base::Le32(s + 16), offset = base::Le32(s + 20);
    if (size > 0) end = std::max(end, offset + size);
  }
  return end > 0 ? std::optional<uint64_t>(end) : std::nullopt;
}

std::optional<Payload> OpenPayload(zip::FileSystem& fs, const std::string& exe,
                                   std::string& error) {
  auto file = fs.OpenRead(exe);
  if (!file) {
    error = "The program cannot read its own file " + exe + ".";
    return std::nullopt;
  }
  auto end = ImageEnd(*file);
  if (!end) {
    error = "The program's own headers are damaged.";
    return std::nullopt;
  }
  uint8_t header[zip::kSfxHeaderSize];
  const size_t got = file->ReadAt(*end, header, sizeof header);
  if (got == 0) {
    error = "This program carries no archive: nothing follows the program itself.";
    return std::nullopt;
  }
  auto settings = zip::DecodeSfxHeader(header, got);
  if (!settings) {
    error = got < sizeof header ? "The self-extractor is truncated: its settings are cut short."
                                : "The self-extractor's settings are damaged (wrong signature "
                                  "or lengths); nothing was extracted.";
    return std::nullopt;
  }
  Payload payload;
  payload.settings = std::move(*settings);
  payload.dataStart = *end + zip::kSfxHeaderSize;
  PayloadFileSystem view(fs, exe, payload.dataStart);
  auto data = view.OpenRead(exe);
  std::string why;
  auto dir = data ? zip::ReadDirectory(*data, why) : std::nullopt;
  if (!dir) {
    error = "The archive inside this program is damaged or truncated: " + why;
    return std::nullopt;
  }
  payload.members = std::move(dir->members);
  return payload;
}

ExtractOutcome ExtractPayload(zip::FileSystem& fs, const std::string& exe, const Payload& payload,
                              const ExtractRequest& request) {
  ExtractOutcome outcome;
  const char sep = fs.Separator();
  if (!MakeFolders(fs, request.target)) {
    outcome.problems.push_back("Cannot make the folder " + request.target + ".");
    return outcome;
  }
  // Existing files are settled before anything is written, so a Cancel leaves all as it was.
  std::vector<std::string> names;
  bool all = true;
  Answer standing = request.overwrite == zip::SfxOverwrite::kAlways  ? Answer::kYesToAll
                    : request.overwrite == zip::SfxOverwrite::kNever ? Answer::kNoToAll
                                                                     : Answer::kYes;
  for (size_t i = 0; i < payload.members.size(); ++i) {
    const zip::Member& m = payload.members[i];
    bool take = request.chosen.empty() || (i < request.chosen.size() && request.chosen[i]);
    if (take && !m.IsFolder()) {
      zip::SafePath safe = zip::CheckMemberPath(m.name);
      std::string path = request.target;
      for (const std::string& part : safe.parts) path = Join(path, part, sep);
      auto info = safe.parts.empty() ? std::nullopt : fs.Stat(path);
      if (info && !info->isDirectory) {
        Answer a = standing;
        if (a != Answer::kYesToAll && a != Answer::kNoToAll)
          a = request.confirm ? request.confirm(path) : Answer::kNo;
        if (a == Answer::kCancel) {
          outcome.cancelled = true;
          return outcome;
        }
        if (a == Answer::kYesToAll || a == Answer::kNoToAll) standing = a;
        take = a == Answer::kYes || a == Answer::kYesToAll;
      }
    }
    all = all && take;
    // A name holding wildcards would pick up other members too.
    if (take && m.name.find_first_of("*?") != std::string::npos) {
      outcome.problems.push_back(m.name + ": a name with wildcard characters, skipped");
      take = all = false;
    }
    if (take) names.push_back(m.name);
  }
  if (names.empty() && !payload.members.empty()) return outcome;

  zip::UnzipOptions options;
  options.zipName = exe;
  if (!all) options.names = std::move(names);
  options.dirNames = true;
  options.overwrite = true;  // existing files were settled above
  PayloadFileSystem view(fs, exe, payload.dataStart);
  // The core extracts into the current folder, as the unzip library does.
  class InTarget final : public zip::FileSystem {
   public:
    InTarget(zip::FileSystem& base, std::string folder) : b_(base), folder_(std::move(folder)) {}
    char Separator() const override { return b_.Separator(); }
    std::string CurrentFolder() override { return folder_; }
    std::optional<zip::FileInfo> Stat(const std::string& p) override { return b_.Stat(p); }
    std::vector<zip::FolderItem> List(const std::string& f) override { return b_.List(f); }
    std::unique_ptr<zip::InputFile> OpenRead(const std::string& p) override {
      return b_.OpenRead(p);
    }
    std::unique_ptr<zip::OutputFile> CreateNew(const std::string& p) override {
      return b_.CreateNew(p);
    }
    bool Replace(const std::string& a, const std::string& c) override { return b_.Replace(a, c); }
    bool Remove(const std::string& p) override { return b_.Remove(p); }
    bool MakeFolder(const std::string& p) override { return b_.MakeFolder(p); }
    bool SetModified(const std::string& p, zip::DosDateTime t) override {
      return b_.SetModified(p, t);
    }
    std::string RealPath(const std::string& p) override { return b_.RealPath(p); }

   private:
    zip::FileSystem& b_;
    std::string folder_;
  } target(view, request.target);
  Collector collect(request, outcome);
  outcome.extracted = zip::Unzip(options, target, collect);
  return outcome;
}

}  // namespace quillow::sfx
