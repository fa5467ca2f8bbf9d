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
// rest (attributes, size, time) may cost a system call per entry on some platforms, so it
// is filled on demand by FillDetails.
struct DirEntry {
  std::string name;
  bool isDirectory = false;
  bool hasDetails = false;
  uint32_t attributes = 0;
  uint32_t size = 0;      // low 32 bits of the file size
  uint16_t dosDate = 0;   // last write, local time
  uint16_t dosTime = 0;
};

// The entries of one folder ("." and ".." included where the platform returns them), in the
// order the file system returns them. Keeps the folder open while it lives, where that
// makes asking for an entry's details cheaper.
class FolderListing {
 public:
  FolderListing() = default;
  ~FolderListing();
  FolderListing(const FolderListing&) = delete;
  FolderListing& operator=(const FolderListing&) = delete;

  // Makes `folder` the process's current folder and keeps it open for listing. False when
  // it cannot be entered.
  bool Enter(const std::string& folder);
  // Reads the entries of the entered folder. False when it cannot be listed; the listing is
  // then empty. `stop` is asked now and then while a large folder is read; once it says
  // yes the reading ends there and the listing holds what was read so far.
  bool Read(const std::function<bool()>& stop = {});
  // Fills attributes, size and time of one of this listing's entries. Returns false when
  // the entry has gone or cannot be examined; it then keeps zero details.
  bool FillDetails(DirEntry& entry) const;
  // Lets go of the open folder (it is opened again when details are asked for): a walk
  // that descends keeps no more than a few folders open, however deep the tree.
  void Release();

  std::vector<DirEntry> entries;

 private:
  std::string folder_;
  mutable int handle_ = -1;  // an open descriptor of the folder, where the platform has one
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

// The folder that holds the running executable, without a trailing separator.
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

// A file opened for writing: created or truncated, or appended to.
class WriteFile {
 public:
  virtual ~WriteFile() = default;
  virtual bool Write(const void* data, size_t n) = 0;
};

enum class WriteMode { kTruncate, kAppend };
std::unique_ptr<WriteFile> OpenForWriting(const std::string& path, WriteMode mode);

bool DeleteFileAt(const std::string& path);
// Size of a file in bytes, or -1 when it cannot be examined.
int64_t FileSize(const std::string& path);

// DOS date and time words of a calendar time (seconds since 1970), in local time.
void UnixTimeToDos(int64_t seconds, uint16_t& dosDate, uint16_t& dosTime);

}  // namespace quillow::platform
