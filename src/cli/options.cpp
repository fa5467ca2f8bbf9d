#include "cli/options.h"

#include <charconv>

#include "base/ascii.h"
#include "output/ordering.h"
#include "search/type_table.h"

namespace quillow::cli {

namespace {

// "ZIP,RAR,...", in scan order, from the type table itself.
std::string TypeList() {
  std::string list;
  for (const search::TypeEntry& t : search::TypeTable())
    list += (list.empty() ? "" : ",") + std::string(t.name);
  return list;
}

// "1/2 file (A-Z/Z-A), ...", from the sort-kind table.
std::string SortKindList() {
  std::string list;
  for (int kind = 1; kind + 1 < output::kSortKinds; kind += 2) {
    const output::SortKindInfo& a = output::kSortKindTable[kind];
    const output::SortKindInfo& b = output::kSortKindTable[kind + 1];
    std::string column(output::kColumnCaptions[a.column]);
    base::FoldAscii(column);
    list += (list.empty() ? "" : ", ") + std::to_string(kind) + "/" + std::to_string(kind + 1) +
            " " + column + " (" + std::string(a.order) + "/" + std::string(b.order) + ")";
  }
  return list;
}

// Breaks a list after commas so that no line of the help passes 90 characters.
std::string Wrapped(const std::string& list, size_t indent, size_t first) {
  std::string out;
  size_t column = first;
  size_t start = 0;
  while (start < list.size()) {
    size_t comma = list.find(',', start);
    const size_t end = comma == std::string::npos ? list.size() : comma + 1;
    std::string piece = list.substr(start, end - start);
    if (column + piece.size() > 90 && column > indent) {
      out += "\n" + std::string(indent, ' ');
      column = indent;
      piece.erase(0, piece.find_first_not_of(' '));
    }
    out += piece;
    column += piece.size();
    start = end;
  }
  return out;
}

}  // namespace

std::string Usage() {
  const std::string indent(24, ' ');
  return "Usage: quillow-find [options] [--] FIND-TEXT [LOOK-IN-TEXT]\n"
         "Finds files by name in folders and inside archives (ZIP, RAR, WAD, GRP, ARJ, LZH, ZOO,\n"
         "TAR, ARC, PAK, HYP, SQZ, CAB, ACE, 7Z).\n"
         "\n"
         "FIND-TEXT     file-name patterns separated by spaces, as in \"Find files named:\"\n"
         "              (e.g. \"*.txt *.doc\"; a name with spaces within double quotes);\n"
         "              one that begins with \"-\" follows \"--\": quillow-find -- '-x*.txt'\n"
         "LOOK-IN-TEXT  folders separated by spaces, as in \"Look in:\" (default: the current "
         "folder)\n"
         "\n"
         "Options:\n"
         "  -c, --case-sensitive  compare names and patterns as they are\n"
         "  -n, --no-subfolders   search only the named folders, not their subfolders\n"
         "      --count           count the hits, list no rows\n"
         "      --zip-central     read ZIP archives from their central directory (lists members\n"
         "                        with data descriptors, after a stub, ...) and open the\n"
         "                        ZIP-family files too: .jar, .apk, .whl, .docx, .epub, ...\n"
         "  -t, --types LIST      sources to search, comma-separated (any letter case; default "
         "all):\n" +
         indent + Wrapped(TypeList(), 24, 24) + "\n" +
         "  -s, --sort KIND       order of the rows, 0-" + std::to_string(output::kSortKinds - 1) +
         " (default 0: search order):\n" + indent + Wrapped(SortKindList(), 24, 24) + "\n" +
         "  -f, --format FORMAT   text, tabs, html, csv or json (default text); csv: a header row\n"
         "                        and CR LF line ends (RFC 4180); json: one object per line with\n"
         "                        the six texts (file, container, modifiedText, sizeText,\n"
         "                        ratioText, packedText), size, packed, ratio (null for \"?\"),\n"
         "                        modified (ISO 8601 local time or null) and folder\n"
         "      --columns LIST    optional columns: date,size,ratio,packed, or none (default "
         "all);\n"
         "                        json always has every field\n"
         "  -h, --help            show this help\n"
         "      --version         show the version\n"
         "\n"
         "Rows go to standard output (tabs, csv and json in search order as they are found;\n"
         "nothing at all when nothing is found); the count, warnings and errors to standard error. "
         "In text and tabs\n"
         "output, control characters in names are shown as escapes (\\t, \\n, \\x1B).\n"
         "Exit status: 0 files found, 1 none found, 2 usage error, refused search, a LOOK-IN-TEXT\n"
         "folder that cannot be read (when nothing was found) or output that cannot be written.\n";
}

namespace {

std::vector<std::string> SplitCommas(const std::string& list) {
  std::vector<std::string> items;
  size_t start = 0;
  while (start <= list.size()) {
    size_t comma = list.find(',', start);
    if (comma == std::string::npos) comma = list.size();
    items.push_back(list.substr(start, comma - start));
    start = comma + 1;
  }
  return items;
}

bool ParseTypes(const std::string& list, search::ArchiveTypeSet& types, std::string& error) {
  types.on.fill(0);
  for (const std::string& item : SplitCommas(list)) {
    if (item.empty()) continue;
    const int index = search::TypeIndexByName(item);
    if (index < 0) {
      error = "unknown type '" + item + "'";
      return false;
    }
    types.on[index] = 1;
  }
  return true;
}

bool ParseColumns(const std::string& list, output::SaveColumns& cols, std::string& error) {
  cols = output::SaveColumns{false, false, false, false};
  if (list == "none") return true;
  for (const std::string& item : SplitCommas(list)) {
    if (item == "date")
      cols.dateTime = true;
    else if (item == "size")
      cols.size = true;
    else if (item == "ratio")
      cols.ratio = true;
    else if (item == "packed")
      cols.packed = true;
    else {
      error = "unknown column '" + item + "' (date, size, ratio, packed or none)";
      return false;
    }
  }
  return true;
}

}  // namespace

bool ParseArguments(const std::vector<std::string>& args, Options& o, std::string& error) {
  std::vector<std::string> positional;
  bool optionsEnded = false;
  for (size_t i = 0; i < args.size(); ++i) {
    std::string arg = args[i];
    if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
      positional.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    // "--name=value" is the same as "--name value".
    std::string inlineValue;
    bool hasInline = false;
    if (arg.rfind("--", 0) == 0) {
      size_t eq = arg.find('=');
      if (eq != std::string::npos) {
        inlineValue = arg.substr(eq + 1);
        arg.resize(eq);
        hasInline = true;
      }
    }
    auto value = [&](std::string& out) {
      if (hasInline) {
        out = inlineValue;
        return true;
      }
      if (i + 1 >= args.size()) {
        error = "option " + arg + " needs a value";
        return false;
      }
      out = args[++i];
      return true;
    };
    std::string v;
    if (arg == "-c" || arg == "--case-sensitive") {
      o.search.CaseSensitive = 1;
    } else if (arg == "-n" || arg == "--no-subfolders") {
      o.search.SubFolders = 0;
    } else if (arg == "--count") {
      o.search.CountOnly = 1;
    } else if (arg == "--zip-central") {
      o.search.ZipCentralDirectory = 1;
    } else if (arg == "-h" || arg == "--help") {
      o.help = true;
    } else if (arg == "--version") {
      o.version = true;
    } else if (arg == "-t" || arg == "--types") {
      if (!value(v) || !ParseTypes(v, o.types, error)) return false;
    } else if (arg == "-s" || arg == "--sort") {
      if (!value(v)) return false;
      int kind = -1;
      auto r = std::from_chars(v.data(), v.data() + v.size(), kind);
      if (r.ec != std::errc() || r.ptr != v.data() + v.size() || kind < 0 ||
          kind >= output::kSortKinds) {
        error = "sort kind must be a number from 0 to " + std::to_string(output::kSortKinds - 1);
        return false;
      }
      o.sortKind = kind;
    } else if (arg == "-f" || arg == "--format") {
      if (!value(v)) return false;
      if (v == "text")
        o.format = Format::kText;
      else if (v == "tabs")
        o.format = Format::kTabs;
      else if (v == "html")
        o.format = Format::kHtml;
      else if (v == "csv")
        o.format = Format::kCsv;
      else if (v == "json")
        o.format = Format::kJson;
      else {
        error = "format must be text, tabs, html, csv or json";
        return false;
      }
    } else if (arg == "--columns") {
      if (!value(v) || !ParseColumns(v, o.columns, error)) return false;
    } else {
      error = "unknown option " + arg;
      return false;
    }
  }
  if (o.help || o.version) return true;
  if (positional.empty()) {
    error = "FIND-TEXT is missing";
    return false;
  }
  if (positional.size() > 2) {
    error = "too many arguments (quote a FIND-TEXT or LOOK-IN-TEXT that holds spaces)";
    return false;
  }
  o.findText = positional[0];
  if (positional.size() == 2) {
    o.lookInText = positional[1];
    o.lookInGiven = true;
  }
  return true;
}

}  // namespace quillow::cli
