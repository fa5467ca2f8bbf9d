// A command-line driver of the zip and unzip core through the same call records the Windows
// libraries take, for the interoperability test and the benchmark.
//   zip_tool add ARCHIVE [-0..-9] [-r] [-j] [-u] [-f] [-m] [-e PASSWORD] SPEC...
//   zip_tool delete ARCHIVE SPEC...
//   zip_tool extract ARCHIVE [-d] [-o] [-u] [-f] [-t] [-p PASSWORD] [SPEC...]
// Messages go to standard error; the exit status is 0 when at least one file was processed.
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "zip/dll/exec.h"

namespace z = quillow::zip;

namespace {

int32_t QUILLOW_STDCALL Print(z::ZCallBackStruct* cb) {
  if (cb->ActionCode >= z::kActionMessage)
    std::fprintf(stderr, "[%d] %s\n", cb->ErrorCode, cb->Text);
  return 0;
}

// Copies of the arguments in buffers of the record's sizes.
struct Buffers {
  std::vector<std::unique_ptr<char[]>> owned;
  char* Put(const std::string& s, size_t size) {
    owned.push_back(std::make_unique<char[]>(size));
    std::snprintf(owned.back().get(), size, "%s", s.c_str());
    return owned.back().get();
  }
};

int Usage() {
  std::fprintf(stderr, "usage: zip_tool add|delete|extract ARCHIVE [options] [SPEC...]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return Usage();
  const std::string verb = argv[1];
  Buffers buf;
  std::string password;
  std::vector<std::string> specs;
  int level = 9;
  bool recurse = false, junk = false, update = false, freshen = false, move = false;
  bool dirs = false, overwrite = false, test = false;
  for (int i = 3; i < argc; ++i) {
    const std::string a = argv[i];
    if (a.size() == 2 && a[0] == '-' && a[1] >= '0' && a[1] <= '9')
      level = a[1] - '0';
    else if (a == "-r")
      recurse = true;
    else if (a == "-j")
      junk = true;
    else if (a == "-u")
      update = true;
    else if (a == "-f")
      freshen = true;
    else if (a == "-m")
      move = true;
    else if (a == "-d")
      dirs = true;
    else if (a == "-o")
      overwrite = true;
    else if (a == "-t")
      test = true;
    else if ((a == "-e" || a == "-p") && i + 1 < argc)
      password = argv[++i];
    else
      specs.push_back(a);
  }
  int32_t result = 0;
  if (verb == "add" || verb == "delete") {
    auto r = std::make_unique<z::ZipCallRecord>();
    std::memset(r.get(), 0, sizeof *r);
    r->Version = z::kRecordVersion;
    r->CallbackProc = Print;
    r->PasswordText = buf.Put(password, z::kPasswordBuffer);
    r->EncryptOn = !password.empty();
    r->CompLevel = level;
    r->NoDirNames = junk;
    r->RecurseDirs = recurse;
    r->MoveFiles = move;
    r->UpdateOn = update;
    r->FreshenOn = freshen;
    r->DeleteMode = verb == "delete";
    r->ZipName = buf.Put(argv[2], z::kNameBuffer);
    for (const std::string& s : specs) r->Names[r->NameCount++] = buf.Put(s, z::kNameBuffer);
    result = z::ExecZip(r.get(), z::SystemFileSystem());
  } else if (verb == "extract") {
    auto r = std::make_unique<z::UnzipCallRecord>();
    std::memset(r.get(), 0, sizeof *r);
    r->Version = z::kRecordVersion;
    r->CallbackProc = Print;
    r->PasswordText = buf.Put(password, z::kPasswordBuffer);
    r->TestOnly = test;
    r->UpdateOn = update;
    r->FreshenOn = freshen;
    r->DirNamesOn = dirs;
    r->OverwriteOn = overwrite;
    r->ZipName = buf.Put(argv[2], z::kNameBuffer);
    for (const std::string& s : specs) r->Names[r->NameCount++] = buf.Put(s, z::kNameBuffer);
    result = z::ExecUnzip(r.get(), z::SystemFileSystem());
  } else {
    return Usage();
  }
  std::printf("%d\n", result);
  return result > 0 ? 0 : 1;
}
