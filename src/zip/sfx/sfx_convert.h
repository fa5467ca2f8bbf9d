// Turning a ZIP archive into a self-extracting program and back, and the whole-file copy
// both use. Portable: files go through the platform layer (or a test's stand-in), and the
// component's surroundings (its message box, the hourglass, the message pump) through
// ConvertHost. Results: 0 success; -1 the output cannot be created; -2 a write (or the
// move to the ZIP data) failed; -3 an input cannot be opened; -4 the copy's date cannot
// be set; -9 a message was shown, or the sizes do not add up or cannot be read.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/fs.h"
#include "zip/sfx/sfx_header.h"

namespace quillow::zip {

inline constexpr int kConvertOk = 0;
inline constexpr int kConvertCannotCreate = -1;
inline constexpr int kConvertWriteFailed = -2;
inline constexpr int kConvertCannotOpen = -3;
inline constexpr int kConvertDateFailed = -4;
inline constexpr int kConvertFailed = -9;

inline constexpr size_t kCopyBlock = 8192;
inline constexpr char kSfxStubName[] = "ZIPSFX.BIN";

class ConvertHost {
 public:
  virtual ~ConvertHost() = default;
  virtual void ShowMessage(const std::string& text) = 0;
  virtual void BeginBusy() = 0;  // the hourglass cursor
  virtual void EndBusy() = 0;
  virtual void PumpMessages() = 0;  // lets the user interface handle what is pending
};

// The file routines a conversion uses. The default ones are the platform's; inputs are
// opened with writing by others denied.
class ConvertFiles {
 public:
  virtual ~ConvertFiles() = default;
  virtual bool Exists(const std::string& path);
  virtual std::unique_ptr<platform::ReadFile> OpenInput(const std::string& path);
  virtual std::unique_ptr<platform::WriteFile> Create(const std::string& path);
  virtual bool Delete(const std::string& path);
  virtual int64_t Size(const std::string& path);  // -1 when it cannot be read
  virtual bool Replace(const std::string& from, const std::string& to);
  virtual bool CopyTime(const std::string& from, const std::string& to);
};

ConvertFiles& DefaultConvertFiles();

// Copies `in` from byte `from` to its end into `out`, block by block, letting the user
// interface breathe after every block. -2 when a write fails, otherwise 0; a read that
// comes up short ends the copy (the callers' size checks catch it).
int CopyBuffer(platform::ReadFile& in, uint64_t from, platform::WriteFile& out, ConvertHost& host);

struct SfxStubSearch {
  std::string sfxPath;       // tried first; receives the path found
  std::string dllDirectory;  // tried last, when not empty
};

// The first stub file that exists: `sfxPath`, "ZIPSFX.BIN" in the current folder, in the
// program's folder, in the system folder, in the Windows folder, in `dllDirectory`. Empty
// when there is none.
std::string FindSfxStub(const SfxStubSearch& search, ConvertFiles& files);

struct ConvertResult {
  int code = kConvertFailed;
  std::string output;      // the file made, on success
  std::string error = {};  // a failed write's reason, in the system's words
};

// `zipFilename` (a ".zip" file) becomes "name.exe": stub, settings header, archive.
ConvertResult ConvertSFX(const std::string& zipFilename, const SfxSettings& settings,
                         SfxStubSearch& stub, ConvertHost& host,
                         ConvertFiles& files = DefaultConvertFiles());

// `exeFilename` (a ".exe" file whose listing found ZIP data at `firstEntryOffset`) becomes
// "name.zip" holding the bytes from that offset on.
ConvertResult ConvertZIP(const std::string& exeFilename, int64_t firstEntryOffset,
                         ConvertHost& host, ConvertFiles& files = DefaultConvertFiles());

// The component's CopyFile (named apart here: <windows.h> makes CopyFile a macro).
int CopyWholeFile(const std::string& source, const std::string& destination, ConvertHost& host,
                  ConvertFiles& files = DefaultConvertFiles());

// `path` with its extension (from the last dot of the last name) in capitals, dot included;
// empty when the name has none.
std::string UpperExtension(const std::string& path);

}  // namespace quillow::zip
