#include "zip/component/zip_component.h"

#include <algorithm>
#include <cstring>
#include <exception>

#include "platform/fs.h"
#include "search/byte_source.h"
#include "zip/sfx/sfx_convert.h"

namespace quillow::zip {

namespace {

struct LibraryNames {
  const char* file;
  const char* notFound;
  const char* loaded;  // the announcement when Trace is set
  const char* exec;
  const char* version;
};
constexpr LibraryNames kZipNames{kZipDllName, "ZIPDLL.DLL not found!", "ZIP DLL Loaded",
                                 "ZipDllExec", "GetZipDllVersion"};
constexpr LibraryNames kUnzNames{kUnzDllName, "UNZDLL.DLL not found!", "UNZDLL Loaded!",
                                 "UnzDllExec", "GetUnzDllVersion"};

constexpr char kNoFilesToZip[] = "Error - no files to zip!";
constexpr char kNoZipFileToAdd[] = "Error - no zip file specified!";
constexpr char kNoFilesToDelete[] = "Error - no files selected for deletion";
constexpr char kNoZipFile[] = "Error - no zip file specified";
constexpr char kZipFatal[] = "Fatal Error ZipDLL.DLL: abort exception";
constexpr char kUnzFatal[] = "Fatal Error UnzDLL.DLL: abort exception";
constexpr char kPasswordsDiffer[] = "Error - passwords do NOT match\nPassword ignored";

// Shared by every component of the process, as the libraries are.
template <typename ExecFn, typename VersionFn>
struct Library {
  std::unique_ptr<LoadedLibrary> module;
  ExecFn exec = nullptr;
  VersionFn version = nullptr;
};
Library<ZipDllExecFn, GetZipDllVersionFn>& ZipDll() {
  static Library<ZipDllExecFn, GetZipDllVersionFn> library;
  return library;
}
Library<UnzDllExecFn, GetUnzDllVersionFn>& UnzDll() {
  static Library<UnzDllExecFn, GetUnzDllVersionFn> library;
  return library;
}

template <typename Fn>
Fn Lookup(LoadedLibrary& module, const char* name) {
  return reinterpret_cast<Fn>(module.EntryPoint(name));
}

template <typename L>
void LoadLibraryInto(ZipSystem& system, L& library, const LibraryNames& names,
                     const std::string& path, bool trace) {
  // Loading again would only stack a second reference on the module held.
  if (library.module) return;
  library.exec = nullptr;
  library.version = nullptr;
  library.module = system.OpenLibrary(path);
  if (!library.module) {
    system.ShowMessage(names.notFound);
    return;
  }
  if (trace) system.ShowMessage(names.loaded);
  library.exec = Lookup<decltype(library.exec)>(*library.module, names.exec);
  if (!library.exec)
    system.ShowMessage(std::string(names.exec) + " function not found in " + names.file + "!");
  library.version = Lookup<decltype(library.version)>(*library.module, names.version);
  if (!library.version)
    system.ShowMessage(std::string(names.version) + " function not found in " + names.file + "!");
}

template <typename L>
void UnloadLibrary(L& library) {
  library.module.reset();
  library.exec = nullptr;
  library.version = nullptr;
}

template <typename L>
int QueryVersion(L& library, const std::function<void()>& load,
                 const std::function<void()>& unload) {
  const bool loadedHere = !library.module;
  if (loadedHere) load();
  if (!library.module) return 0;
  int version = 0;
  try {
    if (library.version) version = library.version();
  } catch (...) {
  }
  if (loadedHere) unload();
  return version;
}

// A zero-filled buffer of `size` bytes holding `text` (which the caller has checked fits).
std::unique_ptr<char[]> Buffer(const std::string& text, size_t size) {
  auto buffer = std::make_unique<char[]>(size);
  std::memcpy(buffer.get(), text.data(), std::min(text.size(), size - 1));
  return buffer;
}

std::string Shortened(const std::string& text) {
  constexpr size_t kShown = 60;
  return text.size() <= kShown ? text : text.substr(0, kShown) + "...";
}

int32_t Flag(bool on) { return on ? 1 : 0; }

}  // namespace

// The strings of one call, in buffers of the sizes the libraries expect.
struct TZipComponent::CallBuffers {
  std::unique_ptr<char[]> zipName, password;
  std::vector<std::unique_ptr<char[]>> names;

  void Fill(const std::string& zip, const std::string& pass, const std::vector<std::string>& specs,
            char** slots) {
    zipName = Buffer(zip, kNameBuffer);
    password = Buffer(pass, kPasswordBuffer);
    for (size_t i = 0; i < specs.size(); ++i) {
      names.push_back(Buffer(specs[i], kNameBuffer));
      slots[i] = names.back().get();
    }
  }
  void Free() {
    zipName.reset();
    password.reset();
    while (!names.empty()) names.pop_back();
  }
};

TZipComponent::TZipComponent(std::unique_ptr<ZipSystem> system, void* ownerWindow)
    : system_(std::move(system)),
      ownerWindow_(ownerWindow),
      zipRecord_(std::make_unique<ZipCallRecord>()),
      unzipRecord_(std::make_unique<UnzipCallRecord>()) {}

// A library that user code loaded stays loaded.
TZipComponent::~TZipComponent() { FreeZipDirEntryRecords(); }

bool TZipComponent::ZipDllLoaded() { return ZipDll().module != nullptr; }
bool TZipComponent::UnzDllLoaded() { return UnzDll().module != nullptr; }

void TZipComponent::SetZipFilename(const std::string& name) {
  zipFilename_ = name;
  List();
}

void TZipComponent::SetDLLDirectory(const std::string& folder) {
  if (folder == dllDirectory_) return;
  dllDirectory_ = folder;
  if (!dllDirectory_.empty() && dllDirectory_.back() == '\\') dllDirectory_.pop_back();
}

std::string TZipComponent::LibraryPath(const char* file) {
  if (!dllDirectory_.empty()) {
    const std::string path = dllDirectory_ + "\\" + file;
    if (system_->FileExists(path)) return path;
  }
  return file;
}

void TZipComponent::Load_Zip_Dll() {
  LoadLibraryInto(*system_, ZipDll(), kZipNames, LibraryPath(kZipDllName), Trace);
}
void TZipComponent::Load_Unz_Dll() {
  LoadLibraryInto(*system_, UnzDll(), kUnzNames, LibraryPath(kUnzDllName), Trace);
}
void TZipComponent::Unload_Zip_Dll() { UnloadLibrary(ZipDll()); }
void TZipComponent::Unload_Unz_Dll() { UnloadLibrary(UnzDll()); }

int TZipComponent::GetZipVers() {
  return QueryVersion(
      ZipDll(), [this] { Load_Zip_Dll(); }, [this] { Unload_Zip_Dll(); });
}
int TZipComponent::GetUnzVers() {
  return QueryVersion(
      UnzDll(), [this] { Load_Unz_Dll(); }, [this] { Unload_Unz_Dll(); });
}

int TZipComponent::GetCount() const {
  return zipFilename_.empty() ? 0 : static_cast<int>(ZipEntries.size());
}

void TZipComponent::FreeZipDirEntryRecords() {
  while (!ZipEntries.empty()) ZipEntries.pop_back();
}

std::string TZipComponent::AppendSlash(const std::string& path) {
  if (path.empty() || path.back() == '\\') return path;
  return path + '\\';
}

void TZipComponent::List() {
  FreeZipDirEntryRecords();
  if (zipFilename_.empty() || !system_->FileExists(zipFilename_)) return;
  FirstEntryOffset = 0;
  auto file = platform::OpenForReading(zipFilename_);
  if (!file) {
    // The listing has nothing to say about a file it could not open; the user still
    // learns why the list stays empty.
    system_->ShowMessage("Cannot open file \"" + zipFilename_ + "\".");
    return;
  }
  {
    search::ByteSource src(*file);
    ListingResult listing = ListZipDirectory(src, IsProgramFile(zipFilename_));
    ZipEntries = std::move(listing.entries);
    FirstEntryOffset = listing.firstEntryOffset;
    if (!listing.message.empty()) system_->ShowMessage(listing.message);
  }
  file.reset();
  if (OnDirUpdate) OnDirUpdate(*this);
}

// The records have room for so many names of so many bytes; what does not fit is refused
// before any library sees it.
bool TZipComponent::ArgumentsFit() {
  if (FSpecArgs.size() > kMaxFileSpecs) {
    system_->ShowMessage("Error - too many file specifications (at most " +
                         std::to_string(kMaxFileSpecs) + ")");
    return false;
  }
  const std::string nameLimit = std::to_string(kNameBuffer - 1);
  if (zipFilename_.size() >= kNameBuffer) {
    system_->ShowMessage("Error - zip file name too long (at most " + nameLimit +
                         " bytes): " + Shortened(zipFilename_));
    return false;
  }
  if (Password.size() >= kPasswordBuffer) {
    system_->ShowMessage("Error - password too long (at most " +
                         std::to_string(kPasswordBuffer - 1) + " bytes)");
    return false;
  }
  for (const std::string& spec : FSpecArgs) {
    if (spec.size() >= kNameBuffer) {
      system_->ShowMessage("Error - file specification too long (at most " + nameLimit +
                           " bytes): " + Shortened(spec));
      return false;
    }
  }
  return true;
}

void TZipComponent::SetZipSwitches(CallBuffers& buffers) {
  ZipCallRecord& r = *zipRecord_;
  r = ZipCallRecord{};
  r.OwnerWindow = ownerWindow_;
  r.Caller = this;
  r.Version = kRecordVersion;
  r.CallbackProc = &TZipComponent::ZCallback;
  r.TraceOn = Flag(Trace);
  r.EncryptOn = Flag(AddOptions.Contains(AddEncrypt));
  r.HiddenFilesOn = Flag(AddOptions.Contains(AddHiddenFiles));
  r.Reserved44 = 1;
  r.VerboseOn = Flag(Verbose || Trace);
  r.Reserved56 = 1;
  r.CompLevel = AddCompLevel;
  r.NoDirNames = Flag(!AddOptions.Contains(AddDirNames));
  r.RecurseDirs = Flag(AddOptions.Contains(AddRecurseDirs));
  r.Reserved80 = 1;
  r.ForceDOS = Flag(AddOptions.Contains(AddForceDOS));
  r.MoveFiles = Flag(AddOptions.Contains(AddMove));
  r.DeleteMode = 0;
  r.UpdateOn = Flag(AddOptions.Contains(AddUpdate));
  // Update includes freshening; the library is never told both.
  r.FreshenOn = Flag(AddOptions.Contains(AddFreshen) && !AddOptions.Contains(AddUpdate));
  r.ZipTimeOn = Flag(AddOptions.Contains(AddZipTime));
  r.Reserved128 = 7;
  buffers.Fill(zipFilename_, Password, FSpecArgs, r.Names);
  r.PasswordText = buffers.password.get();
  r.ZipName = buffers.zipName.get();
  r.NameCount = static_cast<int32_t>(FSpecArgs.size());
}

void TZipComponent::SetUnZipSwitches(CallBuffers& buffers) {
  UnzipCallRecord& r = *unzipRecord_;
  r = UnzipCallRecord{};
  r.OwnerWindow = ownerWindow_;
  r.Caller = this;
  r.Version = kRecordVersion;
  r.CallbackProc = &TZipComponent::ZCallback;
  r.TraceOn = Flag(Trace);
  r.TestOnly = Flag(ExtrOptions.Contains(ExtrTest));
  r.Reserved40 = 1;
  r.VerboseOn = Flag(Verbose || Trace);
  r.UpdateOn = Flag(ExtrOptions.Contains(ExtrUpdate));
  r.FreshenOn = Flag(ExtrOptions.Contains(ExtrFreshen) && !ExtrOptions.Contains(ExtrUpdate));
  r.DirNamesOn = Flag(ExtrOptions.Contains(ExtrDirNames));
  r.OverwriteOn = Flag(ExtrOptions.Contains(ExtrOverWrite));
  r.Reserved72 = 7;
  buffers.Fill(zipFilename_, Password, FSpecArgs, r.Names);
  r.PasswordText = buffers.password.get();
  r.ZipName = buffers.zipName.get();
  r.NameCount = static_cast<int32_t>(FSpecArgs.size());
}

void TZipComponent::Extract() {
  ProcessedCount = 0;
  if (!system_->FileExists(zipFilename_)) {
    system_->ShowMessage(kNoZipFile);
    return;
  }
  CancelRequested = false;
  if (unzipBusy_ || !ArgumentsFit()) return;
  auto& library = UnzDll();
  const bool loadedHere = !library.module;
  if (loadedHere) Load_Unz_Dll();
  if (!library.module) return;
  // A library without its Exec routine is as good as none.
  if (!library.exec) {
    if (loadedHere) Unload_Unz_Dll();
    return;
  }
  unzipBusy_ = true;
  // The library extracts relative to the current folder, which stays changed afterwards.
  if (!ExtrBaseDir.empty()) system_->EnterFolder(ExtrBaseDir);
  CallBuffers buffers;
  SetUnZipSwitches(buffers);
  callFailed_ = false;
  try {
    ProcessedCount = library.exec(unzipRecord_.get());
  } catch (...) {
    callFailed_ = true;
  }
  if (callFailed_) system_->ShowMessage(kUnzFatal);
  FSpecArgs.clear();
  buffers.Free();
  *unzipRecord_ = UnzipCallRecord{};
  if (loadedHere) Unload_Unz_Dll();
  CancelRequested = false;
  unzipBusy_ = false;
}

void TZipComponent::Add() { RunZip(false); }
void TZipComponent::Delete() { RunZip(true); }

void TZipComponent::RunZip(bool deleting) {
  ProcessedCount = 0;
  if (FSpecArgs.empty()) {
    system_->ShowMessage(deleting ? kNoFilesToDelete : kNoFilesToZip);
    return;
  }
  // Adding may make the archive; deleting needs it there.
  if (deleting ? !system_->FileExists(zipFilename_) : zipFilename_.empty()) {
    system_->ShowMessage(deleting ? kNoZipFile : kNoZipFileToAdd);
    return;
  }
  if (zipBusy_) return;
  CancelRequested = false;
  if (!ArgumentsFit()) return;
  auto& library = ZipDll();
  const bool loadedHere = !library.module;
  if (loadedHere) Load_Zip_Dll();
  if (!library.module) return;
  if (!library.exec) {
    if (loadedHere) Unload_Zip_Dll();
    return;
  }
  zipBusy_ = true;
  CallBuffers buffers;
  SetZipSwitches(buffers);
  if (deleting) {
    ZipCallRecord& r = *zipRecord_;
    r.DeleteMode = 1;
    r.EncryptOn = r.NoDirNames = r.RecurseDirs = r.Reserved80 = 0;
    r.MoveFiles = r.UpdateOn = r.FreshenOn = 0;
  }
  callFailed_ = false;
  try {
    ProcessedCount = library.exec(zipRecord_.get());
  } catch (...) {
    callFailed_ = true;
  }
  if (callFailed_) system_->ShowMessage(kZipFatal);
  FSpecArgs.clear();
  buffers.Free();
  *zipRecord_ = ZipCallRecord{};
  if (loadedHere) Unload_Zip_Dll();
  // A delete leaves a cancel request as it found it.
  if (!deleting) CancelRequested = false;
  zipBusy_ = false;
  if (ProcessedCount > 0) List();
}

int32_t QUILLOW_STDCALL TZipComponent::ZCallback(ZCallBackStruct* info) {
  if (!info || !info->Caller) return 0;
  return static_cast<TZipComponent*>(info->Caller)->Callback(*info);
}

int32_t TZipComponent::Callback(const ZCallBackStruct& info) {
  // An exception must not unwind through the library's frames: the call is stopped
  // instead, and ends with the library's abort message.
  try {
    // The library may fill the whole text buffer without a terminator.
    std::string text(info.Text, strnlen(info.Text, kCallbackText));
    if (OnProgress) {
      switch (info.ActionCode) {
        case kActionFileStart: OnProgress(*this, ProgressFileStart, text, info.FileSize); break;
        case kActionStep: OnProgress(*this, ProgressStep, std::string(), 0); break;
        case kActionBatchEnd: OnProgress(*this, ProgressBatchEnd, std::string(), 0); break;
        default: break;
      }
    }
    if (info.ActionCode >= kActionMessage && OnMessage) {
      while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ') text.pop_back();
      OnMessage(*this, info.ErrorCode, text);
    }
  } catch (...) {
    callFailed_ = true;
    return 1;
  }
  return CancelRequested ? 1 : 0;
}

// The conversions' surroundings: the component's message box, cursor and message pump.
class TZipComponent::Host final : public ConvertHost {
 public:
  explicit Host(ZipSystem& system) : system_(system) {}
  void ShowMessage(const std::string& text) override { system_.ShowMessage(text); }
  void BeginBusy() override { system_.BeginBusy(); }
  void EndBusy() override { system_.EndBusy(); }
  void PumpMessages() override { system_.PumpMessages(); }

 private:
  ZipSystem& system_;
};

int TZipComponent::ConvertSFX() {
  SfxSettings settings;
  settings.options = SFXOptions.Value();
  settings.overwrite = SFXOverWriteMode == OvrAlways  ? SfxOverwrite::kAlways
                       : SFXOverWriteMode == OvrNever ? SfxOverwrite::kNever
                                                      : SfxOverwrite::kConfirm;
  settings.caption = SFXCaption;
  settings.defaultDir = SFXDefaultDir;
  settings.commandLine = SFXCommandLine;
  SfxStubSearch stub{SFXPath, dllDirectory_};
  Host host(*system_);
  const ConvertResult result = zip::ConvertSFX(zipFilename_, settings, stub, host);
  SFXPath = stub.sfxPath;
  convertError_ = result.error;
  if (result.code == kConvertOk) SetZipFilename(result.output);
  return result.code;
}

int TZipComponent::ConvertZIP() {
  Host host(*system_);
  const ConvertResult result =
      zip::ConvertZIP(zipFilename_, static_cast<int64_t>(FirstEntryOffset), host);
  convertError_ = result.error;
  // Setting the name lists the new archive.
  if (result.code == kConvertOk) SetZipFilename(result.output);
  return result.code;
}

#pragma push_macro("CopyFile")
#undef CopyFile
int TZipComponent::CopyFile(const std::string& source, const std::string& destination) {
  Host host(*system_);
  return CopyWholeFile(source, destination, host);
}
#pragma pop_macro("CopyFile")

int TZipComponent::CopyBuffer(platform::ReadFile& in, platform::WriteFile& out) {
  Host host(*system_);
  return zip::CopyBuffer(in, 0, out, host);
}

std::string TZipComponent::GetPassword(int kind) {
  std::string answer = system_->InputPassword(kind != 0 ? "Enter Password" : "Confirm Password");
  if (answer.empty() || answer.size() > kPasswordBuffer - 1) return std::string();
  return answer;
}

void TZipComponent::GetExtrPassword() { Password = GetPassword(1); }

void TZipComponent::GetAddPassword() {
  Password.clear();
  const std::string first = GetPassword(1);
  if (first.empty()) return;
  const std::string second = GetPassword(0);
  if (second.empty()) return;
  if (first == second)
    Password = first;
  else
    system_->ShowMessage(kPasswordsDiffer);
}

}  // namespace quillow::zip
