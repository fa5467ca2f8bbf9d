// File-system access for the portable code: folder listing with Windows find semantics,
// the current folder, read-only files with random access, and the program's own folder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace quillow::platform {

// The path separator of this build: a backslash on Windows, a slash elsewhere.
#ifdef _WIN32
inline constexpr char kSep = '\\';
#else
inline constexpr char kSep = '/';
#endif

// Attribute bits as the Windows find functions report them.
enum : uint32_t {
  kAttrReadOnly = 0x01,
  kAttrHidden = 0x02,
  kAttrSystem = 0x04,
  kAttrDirectory = 0x10,
  kAttrArchive = 0x20,
};

// One entry of a folder listing. Listing gives the name and the directory bit at once; the
// rest (attributes, size, time, the kind of file) may cost a system call per entry on some
// platforms, so it is filled on demand by FillDetails.
struct DirEntry {
  std::string name;
  bool isDirectory = false;
  bool hasDetails = false;
  // Only such files are ever opened, never a pipe or a device. Some listings know it (a
  // plain file, not a link) before the details; the details always set it.
  bool isRegularFile = false;
  uint32_t attributes = 0;
  uint32_t size = 0;     // low 32 bits of the file size
  uint16_t dosDate = 0;  // last write, local time
  uint16_t dosTime = 0;
};

class ReadFile;

// The folder that was current when a search began, held so that relative Look-in entries
// are found below it however long its path is and whatever becomes current meanwhile.
class StartFolder {
 public:
  StartFolder();
  // A folder named by its full path: the one the program started in, say.
  explicit StartFolder(const std::string& path);
  ~StartFolder();
  StartFolder(const StartFolder&) = delete;
  StartFolder& operator=(const StartFolder&) = delete;

  // Its full path, for display; it may be longer than the system's path limit.
  const std::string& Path() const { return path_; }
  // The display path of a Look-in entry: relative entries joined to Path(), "." and "./"
  // steps dropped.
  std::string Resolve(const std::string& entry) const;

  struct State;
  const State& state() const { return *state_; }

 private:
  std::string path_;
  std::unique_ptr<State> state_;
};

// The entries of one folder ("." and ".." included where the platform returns them), in the
// order the file system returns them. A subfolder is entered through its parent's open
// handle where the platform has one, so a walk reaches any depth, whatever its path length.
class FolderListing {
 public:
  FolderListing();
  ~FolderListing();
  FolderListing(const FolderListing&) = delete;
  FolderListing& operator=(const FolderListing&) = delete;

  // Enters a Look-in entry (a relative one below `start`). The process's current folder
  // never changes. False when it cannot be entered.
  bool Enter(const StartFolder& start, const std::string& folder);
  // Enters the subfolder `name` of `parent`, without following a link. False when it
  // cannot be entered.
  bool EnterSub(const FolderListing& parent, const std::string& name);
  // Reads the entries of the entered folder. False when it cannot be listed; the listing is
  // then empty. `stop` is asked now and then while a large folder is read; once it says
  // yes the reading ends there and the listing holds what was read so far.
  bool Read(const std::function<bool()>& stop = {});
  // Fills attributes, size, time and kind of one of this listing's entries. Returns false
  // when the entry has gone or cannot be examined; it then keeps zero details.
  bool FillDetails(DirEntry& entry) const;
  // Opens one of this listing's entries for reading: regular files only, and never in a way
  // that could wait (a pipe named like an archive would wait for a writer for ever). Fills
  // the entry's details first. Null when it is not a regular file or cannot be opened.
  std::unique_ptr<ReadFile> Open(DirEntry& entry) const;

  // A deep walk cannot keep one handle open per level: the parent lets go of its own while a
  // subfolder is walked and takes it back through that subfolder afterwards. Resume is false
  // when the parent cannot be reached again (the tree was moved meanwhile).
  void Park();
  bool Resume(const FolderListing& child);

  // Why the last Enter, EnterSub or Read failed, in the system's words.
  const std::string& LastError() const { return error_; }

  std::vector<DirEntry> entries;

  struct State;

 private:
  std::unique_ptr<State> state_;
  std::string error_;
};

// Windows find-pattern test for the two pattern shapes the search uses: "*.*" matches every
// entry, "*.EXT" every name whose last extension is EXT, without regard to letter case.
bool MatchesFindPattern(std::string_view name, std::string_view pattern);

// Makes `folder` the process's current folder. Also the test that a folder exists and can
// be entered.
bool SetCurrentFolder(const std::string& folder);
std::string CurrentFolder();

// `path` made absolute against `base` when it is relative; unchanged otherwise.
std::string AbsolutePath(const std::string& base, const std::string& path);

// True for both separators a typed path may hold: a slash, and the backslash on Windows.
constexpr bool IsSeparator(char c) { return c == '/' || c == kSep; }
// `name` below `folder`: joined with one separator (none added when `folder` is empty or
// already ends in one).
std::string JoinPath(std::string_view folder, std::string_view name);
// Typed slashes become the platform's separator (a no-op where that is the slash).
void ToNativeSeparators(std::string& path);

// Whether a folder with a reparse point of this tag is a link (a junction, a symbolic link:
// a name surrogate) and so must not be entered; every other reparse point (cloud files,
// deduplication, compression) is an ordinary folder to the search.
constexpr bool IsLinkReparseTag(uint32_t tag) { return (tag & 0x20000000u) != 0; }

// The running executable's own file, and the folder that holds it (without a trailing
// separator).
std::string ExecutablePath();
std::string ExecutableFolder();

// A file opened for reading, shared for reading and writing with others.
class ReadFile {
 public:
  virtual ~ReadFile() = default;
  virtual uint64_t Length() const = 0;
  // Reads up to n bytes at `offset`; returns the count read (0 at or past the end, or on error).
  virtual size_t ReadAt(uint64_t offset, void* dst, size_t n) = 0;
};

std::unique_ptr<ReadFile> OpenForReading(const std::string& path);

// What a write that stopped short without an error code is reported as: a full volume
// ends in short writes that report success.
inline constexpr char kDiskFullText[] = "The disk is full.";

// A file opened for writing: created or truncated, or appended to.
class WriteFile {
 public:
  virtual ~WriteFile() = default;
  virtual bool Write(const void* data, size_t n) = 0;
  // Why the last Write failed, in the system's words; empty before any failure.
  virtual std::string Error() const { return {}; }
};

enum class WriteMode { kTruncate, kAppend };
std::unique_ptr<WriteFile> OpenForWriting(const std::string& path, WriteMode mode);

bool DeleteFileAt(const std::string& path);
// Size of a file in bytes, or -1 when it cannot be examined.
int64_t FileSize(const std::string& path);

// DOS date and time words of a calendar time (seconds since 1970), in local time, and back.
void UnixTimeToDos(int64_t seconds, uint16_t& dosDate, uint16_t& dosTime);
int64_t DosToUnixTime(uint16_t dosDate, uint16_t dosTime);

}  // namespace quillow::platform
