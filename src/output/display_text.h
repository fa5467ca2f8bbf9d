// Text shown for a stored name. Archive members keep their names as the archiver stored them;
// old DOS archivers stored them in code page 437, newer ones in UTF-8.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "base/text.h"
#include "search/types.h"

namespace quillow::output {

// Text shown for a stored name: valid UTF-8 as is; anything else decoded as code page 437
// to UTF-8 (full CP437 table for 0x80-0xFF; control bytes kept as they are).
std::string DisplayName(std::string_view stored);

// A text made safe for a terminal: each C0 control, DEL and C1 control becomes a visible
// escape ("\t", "\n", "\r", "\x1B"; "\u009B" for a C1 control written as UTF-8), so that a
// name can neither send commands to the terminal nor forge a line of its own. Everything
// else, a backslash included, stays as it is.
std::string EscapeControls(std::string_view text);

// Number of characters (UTF-8 code points) of a display text.
size_t DisplayWidth(std::string_view utf8);

// Columns a display text takes in a fixed-pitch view, for padding: East Asian wide and
// fullwidth characters take two, combining marks and format characters none, every other
// character one.
size_t ColumnWidth(std::string_view utf8);

// How cell texts reach the page: as the documented bytes (saved files), or with control
// characters escaped for a terminal (see EscapeControls).
enum class Controls { kKeep, kEscape };

// The text a cell shows: DisplayName of `text` when `decode` is on, escaped as `controls`
// asks. Most names need neither, and then the answer is `text` itself, with no copy; only
// the others are built, in `scratch`, which the answer then views.
std::string_view ShownText(std::string_view text, bool decode, Controls controls,
                           std::string& scratch);

// Where a name came from decides how it is shown, in every layout, the list, the sort and
// the print-out alike, and the search records it on the row it makes. Names the file system
// gave (every Archive/Folder path, and the file name of a hit found in a folder) are shown
// as the bytes they are: on disk that is the name, whatever its encoding. Only a member
// name stored in an archive passes through DisplayName, since only an archiver can have
// written it in a DOS code page.
inline bool HasStoredName(const search::ResultRow& row) { return !row.keys.folderEntry; }

// The File and Archive/Folder texts of `row` as shown, escaped as `controls` asks; views
// into the row or into `scratch`, as ShownText gives them.
std::string_view ShownFile(const search::ResultRow& row, Controls controls, std::string& scratch);
std::string_view ShownContainer(const search::ResultRow& row, Controls controls,
                                std::string& scratch);
// The File text as shown, as a copy (for a control that keeps it).
std::string ShownFile(const search::ResultRow& row);

}  // namespace quillow::output
