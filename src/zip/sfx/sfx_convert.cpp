#include "zip/sfx/sfx_convert.h"

#include <vector>

#include "base/ascii.h"
#include "platform/file_ops.h"
#include "platform/temp_beside.h"

namespace quillow::zip {

namespace {

constexpr char kNoZipFile[] = "Error - no zip file specified";
constexpr char kNotZip[] = "Error: input file is not a zip file";
constexpr char kTextsTooLong[] =
    "Error - The total size of the 3 text properties exceeds 249!\t\t\t\r\n"
    "SFXCaption + SFXDefaultDir + SFXCommandLine = ";
constexpr char kNoStub[] = "Error - ZIPSFX.BIN not found!";
constexpr char kNoExeFile[] = "Error - no .EXE file specified";
constexpr char kNotExe[] = "Error: input file is not an .EXE file";
constexpr char kNoZipData[] = "Error determining the type of SFX archive";

class BusyCursor {
 public:
  explicit BusyCursor(ConvertHost& host) : host_(host) { host_.BeginBusy(); }
  ~BusyCursor() { host_.EndBusy(); }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;

 private:
  ConvertHost& host_;
};

std::string WithExtension(const std::string& path, const std::string& ext) {
  return path.substr(0, path.size() - UpperExtension(path).size()) + ext;
}

// The output is written under a name of its own beside the target and only then moved onto
// it: a failure leaves neither a half-written file nor a lost earlier one of that name.
// With no name free it is empty, and creating it fails.
std::string TempBeside(const std::string& target, ConvertFiles& files) {
  std::string free;
  platform::TakeTempNameBeside(target, [&](std::string name) {
    if (files.Exists(name)) return false;
    free = std::move(name);
    return true;
  });
  return free;
}

// The output while it is written: removed again unless kept.
class PendingOutput {
 public:
  PendingOutput(std::string target, ConvertFiles& files)
      : target_(std::move(target)), temp_(TempBeside(target_, files)), files_(files) {}
  ~PendingOutput() {
    file.reset();
    if (!kept_) files_.Delete(temp_);
  }
  PendingOutput(const PendingOutput&) = delete;
  PendingOutput& operator=(const PendingOutput&) = delete;

  bool Create() { return (file = files_.Create(temp_)) != nullptr; }
  // Closes the file and gives its size, -1 when that cannot be read.
  int64_t Close() {
    file.reset();
    return files_.Size(temp_);
  }
  bool Keep() { return kept_ = files_.Replace(temp_, target_); }
  const std::string& temp() const { return temp_; }

  std::unique_ptr<platform::WriteFile> file;

 private:
  std::string target_;
  std::string temp_;
  ConvertFiles& files_;
  bool kept_ = false;
};

}  // namespace

bool ConvertFiles::Exists(const std::string& path) { return platform::FileExists(path); }
std::unique_ptr<platform::ReadFile> ConvertFiles::OpenInput(const std::string& path) {
  return platform::OpenForReadingDenyWrite(path);
}
std::unique_ptr<platform::WriteFile> ConvertFiles::Create(const std::string& path) {
  return platform::OpenForWriting(path, platform::WriteMode::kTruncate);
}
bool ConvertFiles::Delete(const std::string& path) { return platform::DeleteFileAt(path); }
int64_t ConvertFiles::Size(const std::string& path) { return platform::FileSize(path); }
bool ConvertFiles::Replace(const std::string& from, const std::string& to) {
  return platform::ReplaceFileWith(from, to);
}
bool ConvertFiles::CopyTime(const std::string& from, const std::string& to) {
  return platform::CopyModificationTime(from, to);
}

ConvertFiles& DefaultConvertFiles() {
  static ConvertFiles files;
  return files;
}

std::string UpperExtension(const std::string& path) {
  const size_t dot = path.rfind('.');
  const size_t sep = path.find_last_of("\\/:");
  if (dot == std::string::npos || (sep != std::string::npos && dot < sep)) return {};
  std::string ext = path.substr(dot);
  base::UpperAscii(ext);
  return ext;
}

int CopyBuffer(platform::ReadFile& in, uint64_t from, platform::WriteFile& out, ConvertHost& host) {
  std::vector<char> block(kCopyBlock);
  for (uint64_t at = from;;) {
    const size_t got = in.ReadAt(at, block.data(), block.size());
    if (got > 0 && !out.Write(block.data(), got)) return kConvertWriteFailed;
    at += got;
    host.PumpMessages();
    if (got < block.size()) return kConvertOk;
  }
}

std::string FindSfxStub(const SfxStubSearch& search, ConvertFiles& files) {
  std::vector<std::string> tries;
  if (!search.sfxPath.empty()) tries.push_back(search.sfxPath);
  // Absolute: extraction changes the current folder, and the path found is kept.
  tries.push_back(platform::AbsolutePath(platform::CurrentFolder(), kSfxStubName));
  for (const std::string& folder : {platform::ExecutableFolder(), platform::SystemFolder(),
                                    platform::WindowsFolder(), search.dllDirectory})
    if (!folder.empty()) tries.push_back(platform::AbsolutePath(folder, kSfxStubName));
  for (const std::string& path : tries)
    if (files.Exists(path)) return path;
  return {};
}

ConvertResult ConvertSFX(const std::string& zipFilename, const SfxSettings& settings,
                         SfxStubSearch& stub, ConvertHost& host, ConvertFiles& files) {
  if (!files.Exists(zipFilename)) {
    host.ShowMessage(kNoZipFile);
    return {};
  }
  if (UpperExtension(zipFilename) != ".ZIP") {
    host.ShowMessage(kNotZip);
    return {};
  }
  if (settings.TextLength() > kSfxTextRoom) {
    host.ShowMessage(kTextsTooLong + std::to_string(settings.TextLength()));
    return {};
  }
  std::string stubPath = FindSfxStub(stub, files);
  if (stubPath.empty()) {
    host.ShowMessage(kNoStub);
    return {};
  }
  stub.sfxPath = stubPath;

  BusyCursor busy(host);
  const auto header = EncodeSfxHeader(settings);
  ConvertResult result{kConvertOk, WithExtension(zipFilename, ".exe")};
  PendingOutput out(result.output, files);
  if (!out.Create()) return {kConvertCannotCreate, {}};

  auto stubFile = files.OpenInput(stubPath);
  if (!stubFile) return {kConvertCannotOpen, {}};
  if (int rc = CopyBuffer(*stubFile, 0, *out.file, host)) return {rc, {}, out.file->Error()};
  stubFile.reset();
  const int64_t stubSize = files.Size(stubPath);

  if (!out.file->Write(header.data(), header.size()))
    return {kConvertWriteFailed, {}, out.file->Error()};

  auto zipFile = files.OpenInput(zipFilename);
  if (!zipFile) return {kConvertCannotOpen, {}};
  if (int rc = CopyBuffer(*zipFile, 0, *out.file, host)) return {rc, {}, out.file->Error()};
  zipFile.reset();
  const int64_t zipSize = files.Size(zipFilename);
  const int64_t outSize = out.Close();

  if (stubSize < 0 || zipSize < 0 || outSize < 0 ||
      stubSize + zipSize + static_cast<int64_t>(kSfxHeaderSize) != outSize)
    return {};
  if (!out.Keep()) return {kConvertCannotCreate, {}};
  files.Delete(zipFilename);
  return result;
}

ConvertResult ConvertZIP(const std::string& exeFilename, int64_t firstEntryOffset,
                         ConvertHost& host, ConvertFiles& files) {
  if (!files.Exists(exeFilename)) {
    host.ShowMessage(kNoExeFile);
    return {};
  }
  if (UpperExtension(exeFilename) != ".EXE") {
    host.ShowMessage(kNotExe);
    return {};
  }
  if (firstEntryOffset <= 0) {
    host.ShowMessage(kNoZipData);
    return {};
  }

  BusyCursor busy(host);
  ConvertResult result{kConvertOk, WithExtension(exeFilename, ".zip")};
  PendingOutput out(result.output, files);
  if (!out.Create()) return {kConvertCannotCreate, {}};

  auto in = files.OpenInput(exeFilename);
  if (!in) return {kConvertCannotOpen, {}};
  if (static_cast<uint64_t>(firstEntryOffset) > in->Length()) return {kConvertWriteFailed, {}};
  if (int rc = CopyBuffer(*in, static_cast<uint64_t>(firstEntryOffset), *out.file, host))
    return {rc, {}, out.file->Error()};
  in.reset();
  const int64_t inSize = files.Size(exeFilename);
  const int64_t outSize = out.Close();

  if (inSize < 0 || outSize < 0 || outSize != inSize - firstEntryOffset) return {};
  if (!out.Keep()) return {kConvertCannotCreate, {}};
  files.Delete(exeFilename);
  return result;
}

int CopyWholeFile(const std::string& source, const std::string& destination, ConvertHost& host,
                  ConvertFiles& files) {
  if (!files.Exists(source)) return kConvertCannotOpen;
  BusyCursor busy(host);
  auto in = files.OpenInput(source);
  if (!in) return kConvertCannotOpen;
  PendingOutput out(destination, files);
  if (!out.Create()) return kConvertCannotCreate;
  if (int rc = CopyBuffer(*in, 0, *out.file, host)) return rc;
  in.reset();
  out.file.reset();
  if (!files.CopyTime(source, out.temp())) return kConvertDateFailed;
  const int64_t inSize = files.Size(source);
  const int64_t outSize = out.Close();
  if (inSize < 0 || outSize < 0 || inSize != outSize) return kConvertFailed;
  if (!out.Keep()) return kConvertCannotCreate;
  return kConvertOk;
}

}  // namespace quillow::zip
