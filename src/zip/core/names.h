// Member-name text: matching file specifications, decoding stored names, DOS 8.3 names.
#pragma once

#include <string>
#include <string_view>

#include "base/text.h"

namespace quillow::zip {

// A file specification against a name, the rules of Windows file specifications:
//  - '*' matches any run of characters, separators included ("src/*.h" reaches into the
//    subfolders of src when it is matched against stored names);
//  - '?' matches exactly one character (a whole UTF-8 character, not one byte);
//  - a specification ending in ".*" also matches a name without that dot, so "*.*" matches
//    every name, "Makefile" and "LICENSE" too, and "readme.*" matches "readme";
//  - '/' and '\' are the same character, and ASCII letters match either case;
//  - everything else matches itself, byte for byte.
bool MatchSpec(std::string_view spec, std::string_view name);

// A name with '\' turned into '/' for comparing stored names: the same rules as MatchSpec
// without wildcards.
bool SameName(std::string_view a, std::string_view b);

// Text a caller hands the libraries (archive names, file specifications, names) as UTF-8:
// kept when it is valid UTF-8, otherwise read in the ANSI code page, as an older program
// built for the classic "A" functions passes it. On Windows that is the system's ANSI code
// page; elsewhere there is none, and Windows-1252 (Western Europe) stands in for it.
std::string CallerTextToUtf8(std::string_view bytes);

// A name fit for a message: control bytes shown as escapes ("\t", "\n", "\r", "\xNN") so
// none can cut the text short or break it into lines, and a name longer than `limit` bytes
// cut in the middle ("...") so the reason after it still fits. Whole UTF-8 characters only.
std::string MessageName(std::string_view name, size_t limit);

// One path component in the DOS form: upper case, at most eight characters, a dot and
// three, characters DOS refuses replaced by '_'.
std::string DosComponent(std::string_view name);

}  // namespace quillow::zip
