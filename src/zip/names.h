// Member-name text: matching file specifications, decoding stored names, DOS 8.3 names.
#pragma once

#include <string>
#include <string_view>

namespace quillow::zip {

// A file specification against a name: '*' any run of characters (separators included),
// '?' one character, '/' and '\' alike, ASCII letter case ignored.
bool MatchSpec(std::string_view spec, std::string_view name);

// A name with '\' turned into '/' for comparing stored names: the same rules as MatchSpec
// without wildcards.
bool SameName(std::string_view a, std::string_view b);

bool IsValidUtf8(std::string_view bytes);

// A name or specification a caller handed over, as UTF-8: unchanged when it is valid UTF-8;
// otherwise, on Windows, read in the ANSI code page (what a program of the classic API
// passes). Natively the file system's bytes are taken as they are. Adding stores names
// through this and extraction matches specifications through it, so both read a caller's
// text alike.
std::string CallerTextToUtf8(std::string_view text);

// A name fit for a message: control bytes shown as escapes ("\t", "\n", "\r", "\xNN") so
// none can cut the text short or break it into lines, and a name longer than `limit` bytes
// cut in the middle ("...") so the reason after it still fits. Whole UTF-8 characters only.
std::string MessageName(std::string_view name, size_t limit);
// Code page 437 bytes as UTF-8.
std::string Cp437ToUtf8(std::string_view bytes);

// One path component in the DOS form: upper case, at most eight characters, a dot and
// three, characters DOS refuses replaced by '_'.
std::string DosComponent(std::string_view name);

}  // namespace quillow::zip
