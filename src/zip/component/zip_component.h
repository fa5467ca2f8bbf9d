// TZipComponent: lists a ZIP archive itself, and adds, deletes and extracts members through
// the zip and unzip libraries, loaded at run time. Everything the system or the user must
// answer goes through ZipSystem, so that the component's rules are the same natively (with
// a test's stand-ins) and on Windows. Nothing raises out of it: failures are told in the
// application's message box and the operation ends.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "platform/fs.h"
#include "zip/component/zip_listing.h"
#include "zip/dll/records.h"

namespace quillow::zip {

// A set over an enumeration whose members number the bits from 0.
template <typename E, typename Bits>
class EnumSet {
 public:
  constexpr EnumSet() = default;
  constexpr EnumSet(std::initializer_list<E> members) {
    for (E m : members) Include(m);
  }
  constexpr bool Contains(E m) const { return (bits_ >> static_cast<int>(m)) & 1u; }
  constexpr void Include(E m) {
    bits_ = static_cast<Bits>(bits_ | (Bits{1} << static_cast<int>(m)));
  }
  constexpr void Exclude(E m) {
    bits_ = static_cast<Bits>(bits_ & ~(Bits{1} << static_cast<int>(m)));
  }
  constexpr bool Empty() const { return bits_ == 0; }
  constexpr Bits Value() const { return bits_; }
  constexpr bool operator==(const EnumSet&) const = default;

 private:
  Bits bits_ = 0;
};

enum AddOptsEnum {
  AddDirNames,
  AddRecurseDirs,
  AddMove,
  AddFreshen,
  AddUpdate,
  AddZipTime,
  AddForceDOS,
  AddHiddenFiles,
  AddEncrypt
};
enum ExtrOptsEnum { ExtrDirNames, ExtrOverWrite, ExtrFreshen, ExtrUpdate, ExtrTest };
enum SFXOptsEnum { SFXAskCmdLine, SFXAskFiles, SFXHideOverWriteBox };
enum OvrOpts { OvrConfirm, OvrAlways, OvrNever };
enum ProgrType { ProgressFileStart, ProgressStep, ProgressBatchEnd };

using AddOpts = EnumSet<AddOptsEnum, uint16_t>;
using ExtrOpts = EnumSet<ExtrOptsEnum, uint8_t>;
using SFXOpts = EnumSet<SFXOptsEnum, uint8_t>;

inline constexpr char kZipDllName[] = "ZIPDLL.DLL";
inline constexpr char kUnzDllName[] = "UNZDLL.DLL";
inline constexpr char kDefaultSFXCaption[] = "Self-extracting Archive";
// The records hold one more name pointer than this; the last stays null.
inline constexpr size_t kMaxFileSpecs = 4096;

// A library loaded at run time; released when destroyed.
class LoadedLibrary {
 public:
  virtual ~LoadedLibrary() = default;
  // The exported routine of that name, or null.
  virtual void* EntryPoint(const char* name) = 0;
};

// What the component asks of the system and of the user.
class ZipSystem {
 public:
  virtual ~ZipSystem() = default;
  // The application's standard message box: its title and an OK button.
  virtual void ShowMessage(const std::string& text) = 0;
  // The modal "Password" input box with `prompt`, empty at first; the text typed, or empty
  // when the user cancels.
  virtual std::string InputPassword(const std::string& prompt) = 0;
  // A file (not a folder) of that name exists.
  virtual bool FileExists(const std::string& path) = 0;
  // Makes `folder` the process's current folder when it is an existing folder.
  virtual bool EnterFolder(const std::string& folder) = 0;
  // Loads `path` without any system error box; null when it cannot be loaded.
  virtual std::unique_ptr<LoadedLibrary> OpenLibrary(const std::string& path) = 0;
  // The hourglass cursor, for work that runs on the user-interface thread; the calls nest.
  // A system without a cursor leaves them empty.
  virtual void BeginBusy() {}
  virtual void EndBusy() {}
  // Lets the user interface handle what is waiting, between the blocks of a long copy.
  virtual void PumpMessages() {}
};

class TZipComponent {
 public:
  using ProgressEvent = std::function<void(TZipComponent& sender, ProgrType type,
                                           const std::string& fileName, int32_t fileSize)>;
  using MessageEvent =
      std::function<void(TZipComponent& sender, int errCode, const std::string& message)>;
  using NotifyEvent = std::function<void(TZipComponent& sender)>;

  // `ownerWindow` is the window handle of the component's owner, taken once.
  TZipComponent(std::unique_ptr<ZipSystem> system, void* ownerWindow);
  ~TZipComponent();
  TZipComponent(const TZipComponent&) = delete;
  TZipComponent& operator=(const TZipComponent&) = delete;

  // Properties. Those with rules of their own have setters.
  bool Verbose = false;
  bool Trace = false;  // also forces verbose reports and announces each library load
  int AddCompLevel = 9;
  AddOpts AddOptions;
  ExtrOpts ExtrOptions;
  SFXOpts SFXOptions;
  std::string ExtrBaseDir;
  // For the next Add, Delete or Extract; cleared by each call that reaches its library.
  std::vector<std::string> FSpecArgs;
  std::string Password;
  std::string SFXPath;
  OvrOpts SFXOverWriteMode = OvrConfirm;
  std::string SFXCaption = kDefaultSFXCaption;
  std::string SFXDefaultDir;
  std::string SFXCommandLine;
  ProgressEvent OnProgress;
  MessageEvent OnMessage;
  NotifyEvent OnDirUpdate;

  const std::string& ZipFilename() const { return zipFilename_; }
  // Stores the name and lists the archive at once.
  void SetZipFilename(const std::string& name);
  const std::string& DLLDirectory() const { return dllDirectory_; }
  // Stored without one trailing backslash.
  void SetDLLDirectory(const std::string& folder);

  // Run-time state.
  std::vector<ZipDirEntry> ZipEntries;
  int32_t ProcessedCount = 0;
  // Reported to the library by every callback; set it to stop a running operation.
  bool CancelRequested = false;
  void* OwnerWindow() const { return ownerWindow_; }
  bool ZipBusy() const { return zipBusy_; }
  bool UnzipBusy() const { return unzipBusy_; }
  uint64_t FirstEntryOffset = 0;

  // Operations.
  void Add();
  void Delete();
  void Extract();
  void List();
  int GetCount() const;
  // Self-extracting archives (results: sfx_convert.h). ConvertSFX makes "name.exe" of the
  // ".zip" archive with the stub found (kept in SFXPath) and the SFX... settings; ConvertZIP
  // cuts the program part off again. On success the input is gone and ZipFilename names
  // the output, listed anew.
  int ConvertSFX();
  int ConvertZIP();
  // Why the last conversion's write failed (-2), in the system's words.
  const std::string& ConvertError() const { return convertError_; }
// <windows.h> makes CopyFile a macro; the component's own name stays usable beside it.
#pragma push_macro("CopyFile")
#undef CopyFile
  // Copies `source` to `destination` with its date; 0 or a negative code.
  int CopyFile(const std::string& source, const std::string& destination);
#pragma pop_macro("CopyFile")
  // Copies `in` from its start to its end into `out`; -2 when a write fails, else 0.
  int CopyBuffer(platform::ReadFile& in, platform::WriteFile& out);
  int GetZipVers();
  int GetUnzVers();
  void Load_Zip_Dll();
  void Load_Unz_Dll();
  void Unload_Zip_Dll();
  void Unload_Unz_Dll();
  void GetAddPassword();
  void GetExtrPassword();
  // kind 0 asks to confirm, any other kind to enter.
  std::string GetPassword(int kind);
  void FreeZipDirEntryRecords();
  static std::string AppendSlash(const std::string& path);
  static char* ReplaceForwardSlash(char* buffer) { return zip::ReplaceForwardSlash(buffer); }
  static int32_t QUILLOW_STDCALL ZCallback(ZCallBackStruct* info);

  // Process-wide: a library is loaded when its module is held.
  static bool ZipDllLoaded();
  static bool UnzDllLoaded();

 private:
  struct CallBuffers;
  class Host;
  bool ArgumentsFit();
  void SetZipSwitches(CallBuffers& buffers);
  void SetUnZipSwitches(CallBuffers& buffers);
  void RunZip(bool deleting);
  std::string LibraryPath(const char* file);
  int32_t Callback(const ZCallBackStruct& info);

  std::unique_ptr<ZipSystem> system_;
  void* ownerWindow_;
  std::string zipFilename_;
  std::string dllDirectory_;
  bool zipBusy_ = false;
  bool unzipBusy_ = false;
  bool callFailed_ = false;  // the library raised, or a handler did during its call
  std::string convertError_;
  // Filled anew for every call; the buffers they point to live only for that call.
  std::unique_ptr<ZipCallRecord> zipRecord_;
  std::unique_ptr<UnzipCallRecord> unzipRecord_;
};

}  // namespace quillow::zip
