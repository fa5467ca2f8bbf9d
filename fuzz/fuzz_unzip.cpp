// libFuzzer target over the unzip core (and the rewriting that delete does): the input is an
// archive in memory, extracted into a memory file system that aborts on any write outside
// the extraction folder.
#include <string>

#include "memory_fs.h"
#include "zip/core/report.h"
#include "zip/core/unzip.h"
#include "zip/core/zip_writer.h"

namespace z = quillow::zip;
using quillow::fuzz::MemoryFs;

namespace {

struct Quiet : z::Reporter {
  bool FileStart(const std::string&, uint64_t) override { return false; }
  bool Step() override { return false; }
  bool BatchEnd() override { return false; }
  bool Message(int32_t, const std::string&) override { return false; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const uint8_t mode = data[0];
  MemoryFs fs(std::string(reinterpret_cast<const char*>(data + 1), size - 1));
  Quiet quiet;
  z::UnzipOptions u;
  u.zipName = "/in.zip";
  u.dirNames = mode & 1;
  u.testOnly = mode & 2;
  u.overwrite = mode & 4;
  if (mode & 8) u.password = "pw";
  fs.NewRun();
  z::Unzip(u, fs, quiet);
  if (mode & 16) {
    z::ZipOptions d;
    d.zipName = "/in.zip";
    d.deleteMode = true;
    d.names = {"*a*"};
    fs.NewRun();
    if (z::Zip(d, fs, quiet) > 0) {
      fs.NewRun();
      z::Unzip(u, fs, quiet);  // what we wrote must read back
    }
  }
  return 0;
}
