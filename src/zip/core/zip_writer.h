// Adding files to an archive and deleting members from it. The new archive is written to a
// temporary file beside the old one and replaces it only when complete, so a failure or a
// stop never damages what was there.
#pragma once

#include <string>
#include <vector>

#include "zip/core/report.h"
#include "zip/core/zip_fs.h"

namespace quillow::zip {

struct ZipOptions {
  std::string zipName;
  std::string password;
  // Files to add ("folder/pattern", a folder meaning all its files) or, deleting, members.
  std::vector<std::string> names;
  int level = 9;            // 0 stores; 1-9 deflate, stored whenever that is not smaller
  bool recurse = false;     // apply each pattern in the subfolders too
  bool noDirNames = false;  // store file names only
  bool hidden = false;      // include hidden and system files
  bool move = false;        // delete the sources once the archive is safely written
  bool freshen = false;     // only replace members whose file is newer
  bool update = false;      // those, and files not yet in the archive
  bool zipTime = false;     // the archive takes the time of its newest member
  bool forceDos = false;    // 8.3 upper-case names
  bool encrypt = false;     // with `password`
  bool deleteMode = false;  // delete the members named instead of adding
  bool verbose = false;
};

// Returns the number of files added or members deleted; 0 when the archive was not changed.
int Zip(const ZipOptions& options, FileSystem& fs, Reporter& report);

}  // namespace quillow::zip
