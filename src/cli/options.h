// Command line of quillow-find.
#pragma once

#include <string>
#include <vector>

#include "output/writers.h"
#include "search/types.h"

namespace quillow::cli {

enum class Format { kText, kTabs, kHtml, kCsv, kJson };

struct Options {
  search::SearchOptions search;
  search::ArchiveTypeSet types;
  int sortKind = 0;
  Format format = Format::kText;
  output::SaveColumns columns;
  std::string findText;
  std::string lookInText;  // empty: the current folder
  bool lookInGiven = false;
  bool help = false;
  bool version = false;
};

// Parses the arguments after the program name. Returns false with `error` set for a usage
// error.
bool ParseArguments(const std::vector<std::string>& args, Options& options, std::string& error);

// The --help text; its lists of sources and sort kinds come from the tables themselves.
std::string Usage();

}  // namespace quillow::cli
