#include "zip/dll/exec.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "zip/core/names.h"
#include "zip/core/report.h"
#include "zip/core/unzip.h"
#include "zip/core/zip_writer.h"

namespace quillow::zip {

namespace {

class CallbackReporter final : public Reporter {
 public:
  CallbackReporter(ZCallbackProc proc, void* window, void* caller, int32_t version, bool zip)
      : proc_(proc) {
    std::memset(&cb_, 0, sizeof cb_);
    cb_.Window = window;
    cb_.Caller = caller;
    cb_.Version = version;
    cb_.IsZip = zip ? 1 : 0;
  }
  bool FileStart(const std::string& name, uint64_t size) override {
    return Call(kActionFileStart, 0, name,
                static_cast<int32_t>(std::min<uint64_t>(size, INT32_MAX)));
  }
  bool Step() override { return Call(kActionStep, 0, "", 0); }
  bool BatchEnd() override { return Call(kActionBatchEnd, 0, "", 0); }
  bool Message(int32_t code, const std::string& text) override {
    return Call(kActionMessage, code, text, 0);
  }

 private:
  bool Call(int32_t action, int32_t code, const std::string& text, int32_t size) {
    if (!proc_) return false;
    cb_.ActionCode = action;
    cb_.ErrorCode = code;
    cb_.FileSize = size;
    // Control bytes escaped (a NUL in a name would end the text there) and a text too long
    // for the buffer cut in its middle: names come first and reasons last.
    const std::string shown = MessageName(text, kCallbackText - 1);
    std::memcpy(cb_.Text, shown.data(), shown.size());
    cb_.Text[shown.size()] = '\0';
    return proc_(&cb_) == 1;
  }

  ZCallbackProc proc_;
  ZCallBackStruct cb_;
};

// A string from a caller's buffer of `capacity` bytes; false when it has no terminator
// within the buffer, so a bad record never makes us read past it.
bool ReadText(const char* p, size_t capacity, std::string& out) {
  out.clear();
  if (!p) return true;
  const void* nul = std::memchr(p, '\0', capacity);
  if (!nul) return false;
  out.assign(p, static_cast<const char*>(nul));
  return true;
}

template <typename Record>
bool ReadCommon(const Record& r, Reporter& report, const char* lib, std::string& zipName,
                std::string& password, std::vector<std::string>& names) {
  const std::string who = lib;
  if (r.Version != kRecordVersion) {
    report.Message(kNoteFailed, who + ": call record version " + std::to_string(r.Version) +
                                    " is not " + std::to_string(kRecordVersion) + "; nothing done");
    return false;
  }
  if (!ReadText(r.ZipName, kNameBuffer, zipName) ||
      !ReadText(r.PasswordText, kPasswordBuffer, password)) {
    report.Message(kNoteFailed, who + ": archive name or password longer than its buffer");
    return false;
  }
  if (r.NameCount < 0 || r.NameCount > kMaxNames) {
    report.Message(kNoteFailed, who + ": " + std::to_string(r.NameCount) +
                                    " file specifications; at most 4,097 are taken");
    return false;
  }
  for (int i = 0; i < r.NameCount; ++i) {
    std::string name;
    if (!ReadText(r.Names[i], kNameBuffer, name)) {
      report.Message(kNoteFailed, who + ": file specification longer than its buffer");
      return false;
    }
    if (!name.empty()) names.push_back(std::move(name));
  }
  return true;
}

}  // namespace

int32_t ExecZip(ZipCallRecord* r, FileSystem& fs) {
  if (!r) return 0;
  try {
    CallbackReporter report(r->CallbackProc, r->OwnerWindow, r->Caller, r->Version, true);
    ZipOptions o;
    if (!ReadCommon(*r, report, "ZIPDLL", o.zipName, o.password, o.names)) {
      report.BatchEnd();
      return 0;
    }
    o.level = std::clamp<int32_t>(r->CompLevel, 0, 9);
    o.recurse = r->RecurseDirs != 0;
    o.noDirNames = r->NoDirNames != 0;
    o.hidden = r->HiddenFilesOn != 0;
    o.move = r->MoveFiles != 0;
    o.update = r->UpdateOn != 0;
    o.freshen = r->FreshenOn != 0 && !o.update;
    o.zipTime = r->ZipTimeOn != 0;
    o.forceDos = r->ForceDOS != 0;
    o.encrypt = r->EncryptOn != 0;
    o.deleteMode = r->DeleteMode != 0;
    o.verbose = r->VerboseOn != 0 || r->TraceOn != 0;
    if (o.encrypt && o.password.empty())
      report.Message(kNoteSkipped,
                     "ZIPDLL: encryption asked for without a password; adding unencrypted");
    return Zip(o, fs, report);
  } catch (const std::bad_alloc&) {
    return 0;
  } catch (...) {
    return 0;
  }
}

int32_t ExecUnzip(UnzipCallRecord* r, FileSystem& fs) {
  if (!r) return 0;
  try {
    CallbackReporter report(r->CallbackProc, r->OwnerWindow, r->Caller, r->Version, false);
    UnzipOptions o;
    if (!ReadCommon(*r, report, "UNZDLL", o.zipName, o.password, o.names)) {
      report.BatchEnd();
      return 0;
    }
    o.testOnly = r->TestOnly != 0;
    o.dirNames = r->DirNamesOn != 0;
    o.overwrite = r->OverwriteOn != 0;
    o.update = r->UpdateOn != 0;
    o.freshen = r->FreshenOn != 0 && !o.update;
    o.verbose = r->VerboseOn != 0 || r->TraceOn != 0;
    return Unzip(o, fs, report);
  } catch (...) {
    return 0;
  }
}

}  // namespace quillow::zip
