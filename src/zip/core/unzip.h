// Extracting or testing the members of an archive into the current folder.
#pragma once

#include <string>
#include <vector>

#include "zip/core/report.h"
#include "zip/core/zip_fs.h"

namespace quillow::zip {

struct UnzipOptions {
  std::string zipName;
  std::string password;
  std::vector<std::string> names;  // specifications; none means every member
  bool testOnly = false;
  bool dirNames = false;
  bool overwrite = false;
  bool freshen = false;  // only members whose file exists and is older
  bool update = false;   // those, and members with no file yet
  bool verbose = false;
};

// Returns the number of files extracted (or, testing, found sound).
int Unzip(const UnzipOptions& options, FileSystem& fs, Reporter& report);

}  // namespace quillow::zip
