#include "search/search_thread.h"

#include <exception>

#include "search/byte_source.h"
#include "search/formats/formats.h"
#include "search/reader.h"
#include "search/row.h"
#include "search/type_table.h"
#include "search/zip_family.h"

namespace quillow::search {

namespace {

using platform::JoinPath;
using platform::kSep;

// Folders deeper than this in one walk let go of their parent's handle while they are
// walked (see FolderListing::Park): a tree thousands of levels deep would otherwise hold
// more handles than the process may open.
constexpr int kOpenFolderLevels = 64;

// Archives open for the reading thread at most (each holds a file handle until it is read),
// how many wait before it is woken, and the memory its records may hold before it pauses.
constexpr size_t kReadAheadDepth = 32, kReadAheadBatch = 8, kReadAheadHeld = 64u << 20;

// The sources whose directories are read on the second thread: those that must unpack
// theirs. The others only read headers; for ZIP, measured, the hand-over ate the gain.
bool ReadsAhead(int type) { return type == k7z; }

}  // namespace

std::string ElapsedText(uint32_t s) {
  const uint32_t h = (s % 36000) / 3600, m = (s % 3600) / 60, sec = s % 60;
  std::string t = std::to_string(h) + ":";
  if (m < 10) t += '0';
  t += std::to_string(m) + ":";
  if (sec < 10) t += '0';
  t += std::to_string(sec);
  return t;
}

std::string FoundCountText(int32_t found) {
  if (found > 0) return std::to_string(found) + kFilesFoundSuffix;
  return kNoFilesFound;
}

// Hands a reader's members and warnings to the search, with the archive's path.
class SearchThread::ArchiveContext final : public ReaderContext {
 public:
  ArchiveContext(SearchThread& search, std::string container, uint16_t date, uint16_t time,
                 bool dated)
      : ReaderContext(std::move(container), date, time), search_(search), dated_(dated) {}
  void Report(std::string_view name, uint16_t date, uint16_t time, uint32_t size,
              uint32_t packed) override {
    if (search_.IsCandidateHit(name))
      search_.CountHit(name, container(), date, time, size, packed, false, dated_);
  }
  void ReportUndated(std::string_view name, uint32_t size, uint32_t packed) override {
    if (search_.IsCandidateHit(name))
      search_.CountHit(name, container(), 0, 0, size, packed, false, false);
  }
  void Warn(std::string_view message) override { search_.LogWarning(container(), message); }

 private:
  SearchThread& search_;
  const bool dated_;
};

SearchThread::SearchThread(SearchHost& host, const SearchOptions& options,
                           const ArchiveTypeSet& types, std::string warningsPath)
    : host_(host),
      options_(options),
      types_(types),
      warningsPath_(std::move(warningsPath)),
      patterns_(options.CaseSensitive != 0),
      readAhead_(kReadAheadDepth, kReadAheadBatch, kReadAheadHeld) {}

SearchOutcome SearchThread::Run() {
  bool started = false;
  try {
    return Body(started);
  } catch (const std::exception& e) {
    failure_ = e.what();
  } catch (...) {
    failure_ = "unknown error";
  }
  if (failure_.empty()) failure_ = "unknown error";
  readAhead_.End();
  // A window that was told the search started must be told it ended, or it stays searching.
  if (started) {
    try {
      Finish(true);
    } catch (...) {
      // The host is failing too; there is no one left to tell.
    }
  }
  return SearchOutcome::kFailed;
}

SearchOutcome SearchThread::Body(bool& started) {
  if (!types_.Any()) {
    host_.Refuse();
    return SearchOutcome::kRefused;
  }
  // Relative Look-in entries name folders below the start folder, whatever became current
  // since (a file dialog may change the current folder).
  startFolder_ = startIn_.empty() ? std::make_unique<platform::StartFolder>()
                                  : std::make_unique<platform::StartFolder>(startIn_);

  std::string lookIn = LimitInputText(host_.LookInText());
  platform::FolderListing whole;
  if (lookIn.find(' ') != std::string::npos && whole.Enter(*startFolder_, lookIn)) {
    lookIn = "\"" + lookIn + "\"";
    host_.ReplaceLookInText(lookIn);
  }
  std::string findFiles = LimitInputText(host_.FindFilesText());
  host_.RecordHistories(findFiles, lookIn);
  if (!options_.CaseSensitive) base::FoldAscii(findFiles);

  for (std::string& entry : CutEntries(lookIn)) {
    // An empty entry ("") names no folder.
    if (entry.empty()) continue;
    platform::ToNativeSeparators(entry);
    lookIn_.push_back(std::move(entry));
  }
  const std::vector<std::string> entries = CutEntries(findFiles);
  if (entries.empty()) return SearchOutcome::kNothingToSearch;
  for (const std::string& entry : entries)
    if (!patterns_.Add(entry)) return SearchOutcome::kNothingToSearch;

  found_ = 0;
  started = true;
  host_.StartOfSearch();
  warnings_ = 0;
  if (!warningsPath_.empty())
    log_ = platform::OpenForWriting(warningsPath_, platform::WriteMode::kTruncate);
  logged_ = log_ != nullptr;
  start_ = std::chrono::steady_clock::now();
  elapsedShown_ = 0;

  // After a stop every remaining entry is still handed over; each returns at once.
  for (const std::string& folder : lookIn_) ScanFolder(folder);
  const bool stopped = StopRequested();
  readAhead_.End();

  Finish(false);
  return stopped ? SearchOutcome::kStopped : SearchOutcome::kCompleted;
}

void SearchThread::Finish(bool failed) {
  if (finishing_) return;  // a failure inside these steps: they are not started again
  finishing_ = true;
  // The last word of the third panel: what could not be searched at all.
  if (!unsearched_.empty()) {
    std::string names;
    for (const std::string& entry : unsearched_) names += (names.empty() ? "" : ", ") + entry;
    host_.ShowNotSearched(kNotSearched + names);
  }
  log_.reset();
  host_.EndOfSearch(found_);
  if (logged_ && platform::FileSize(warningsPath_) == 0) platform::DeleteFileAt(warningsPath_);
  if (!failed && warnings_ > 0 && options_.ShowWarnings && !warningsPath_.empty())
    host_.OpenWarnings(warningsPath_);
  host_.FinalSort();
}

void SearchThread::ScanFolder(const std::string& entry) {
  if (!startFolder_) startFolder_ = std::make_unique<platform::StartFolder>();
  lookInEntry_ = entry;
  platform::FolderListing listing;
  if (!listing.Enter(*startFolder_, entry)) {
    NotSearched(entry, listing.LastError());
    return;
  }
  ScanEntered(listing, startFolder_->Resolve(entry), 0);
  TellReadAhead(0);
}

// A Look-in folder that cannot be searched is named to the user, never passed over in
// silence: a mistyped name would look like a folder without hits. Not a warnings line
// for the host, which hears of it at the end.
void SearchThread::NotSearched(const std::string& entry, const std::string& why) {
  unsearched_.push_back(entry);
  std::string line = startFolder_ ? startFolder_->Resolve(entry) : entry;
  line += ": cannot be searched (" + why + ")";
  ++warnings_;
  if (log_) {
    line += "\r\n";
    log_->Write(line.data(), line.size());
  }
}

void SearchThread::ScanEntered(platform::FolderListing& listing, std::string folder, int depth) {
  if (!folder.empty() && platform::IsSeparator(folder.back())) folder.pop_back();
  host_.ShowLookingIn(folder.empty() ? std::string(1, kSep) : folder);
  TickElapsed();

  // One listing serves the subfolder step and all fifteen passes.
  // A folder of a hundred thousand entries takes a while to read: a stop ends it there.
  const bool read = listing.Read([this] { return StopRequested(); });
  if (StopRequested()) return;
  if (!read && depth == 0) NotSearched(lookInEntry_, listing.LastError());
  std::vector<platform::DirEntry>& entries = listing.entries;

  if (options_.SubFolders) {
    for (const platform::DirEntry& e : entries) {
      if (!e.name.empty() && e.name[0] != '.' && e.isDirectory) {
        platform::FolderListing sub;
        if (sub.EnterSub(listing, e.name)) {
          const bool park = depth >= kOpenFolderLevels;
          if (park) listing.Park();
          ScanEntered(sub, JoinPath(folder.empty() ? std::string(1, kSep) : folder, e.name),
                      depth + 1);
          // The folder cannot be reached again: what is left of it is passed over.
          if (park && !listing.Resume(sub)) return;
        }
      }
      if (StopRequested()) return;
    }
  }

  const auto& table = TypeTable();
  for (int type = 0; type < kTypeCount; ++type) {
    if (!types_.on[type]) continue;
    const std::string_view ext = table[type].extension;
    char pattern[8] = "*.";
    ext.copy(pattern + 2, ext.size());
    pattern[2 + ext.size()] = '\0';
    for (platform::DirEntry& e : entries) {
      if (type == kZip ? !IsZipPassName(e.name, options_.ZipCentralDirectory != 0)
                       : !platform::MatchesFindPattern(e.name, pattern))
        continue;
      if (StopRequested()) return;
      if (type == kFolders) {
        // Only a hit needs the entry's size and time: the system is asked for them then.
        if (IsCandidateHit(e.name)) {
          TellReadAhead(0);  // the archives before it come first
          if (!options_.CountOnly) listing.FillDetails(e);
          CountHit(e.name, folder, e.dosDate, e.dosTime, e.size, e.size, true, true);
        }
        continue;
      }
      if (e.isDirectory) continue;
      ReadArchive(folder, listing, e, type);
    }
    if (found_ > 0) host_.ShowFoundCount(found_);
  }
}

void SearchThread::ReadArchive(const std::string& folder, const platform::FolderListing& listing,
                               platform::DirEntry& entry, int type) {
  // Opened through the folder's own handle; the path is for the rows only. The open also
  // takes the archive's own time, the default for formats that store none.
  std::unique_ptr<platform::ReadFile> file = listing.Open(entry);
  if (!file || file->Length() == 0) return;
  std::string path = JoinPath(folder.empty() ? std::string(1, kSep) : folder, entry.name);
  if (ReadsAhead(type)) {
    TellReadAhead(kReadAheadDepth - 1);
    readAhead_.Push(std::make_unique<ReadAhead::Job>(
        std::move(file), TypeTable()[type].reader, std::move(path), entry.dosDate, entry.dosTime));
    return;
  }
  TellReadAhead(0);
  ByteSource src(*file);
  // TAR headers carry no DOS time: their rows show "?" rather than the archive's own time.
  ArchiveContext ctx(*this, path, entry.dosDate, entry.dosTime, type != kTar);
  const bool central = type == kZip && options_.ZipCentralDirectory;
  (central ? formats::ReadZipCentral : TypeTable()[type].reader)(src, ctx);
}

// After a stop nothing more is told: the rows end at the end of an archive, where a walk
// that read every archive on the spot could have stopped. What is read ahead then is dropped.
void SearchThread::TellReadAhead(size_t waiting) {
  while (readAhead_.Size() > 0) {
    const bool stopped = StopRequested();
    if (stopped) readAhead_.DropWaiting();
    std::unique_ptr<ReadAhead::Job> job = readAhead_.Pop(stopped || readAhead_.Size() > waiting);
    if (!job) return;
    if (stopped) continue;
    // Read ahead only for sources whose members carry their own times.
    ArchiveContext ctx(*this, job->record.container(), job->record.defaultDate(),
                       job->record.defaultTime(), true);
    job->record.Replay(ctx);
    if (job->failure) std::rethrow_exception(job->failure);
  }
}

void SearchThread::TickElapsed() {
  const auto now = std::chrono::steady_clock::now();
  const uint32_t seconds =
      static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::seconds>(now - start_).count());
  if (seconds != elapsedShown_) {
    elapsedShown_ = seconds;
    host_.ShowElapsed(seconds);
  }
}

bool SearchThread::IsCandidateHit(std::string_view name) {
  // The clock costs about what matching a name does: it is read for every 64th name here
  // and for every folder entered, which keeps the elapsed time live all the same.
  if ((++namesSinceTick_ & 63) == 0) TickElapsed();
  return patterns_.Matches(name);
}

void SearchThread::CountHit(std::string_view name, std::string_view container, uint16_t dosDate,
                            uint16_t dosTime, uint32_t size, uint32_t packed, bool folderEntry,
                            bool dated) {
  ++found_;
  if (options_.CountOnly) return;
  // A host that keeps the row moves it out; one that writes it at once leaves its room here.
  FillRow(row_, name, container, dosDate, dosTime, size, packed, folderEntry, kSep, dated);
  host_.AddRow(std::move(row_));
}

void SearchThread::ReportMember(std::string_view name, std::string_view container, uint16_t dosDate,
                                uint16_t dosTime, uint32_t size, uint32_t packed,
                                bool folderEntry) {
  if (IsCandidateHit(name))
    CountHit(name, container, dosDate, dosTime, size, packed, folderEntry, true);
}

void SearchThread::LogWarning(std::string_view container, std::string_view message) {
  std::string line(container);
  line += message;
  // The file is a Windows text file; the host gets the line without its break.
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  ++warnings_;
  host_.WarningLine(line);
  if (log_) {
    line += "\r\n";
    log_->Write(line.data(), line.size());
  }
}

}  // namespace quillow::search
