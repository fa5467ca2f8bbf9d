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
// Code page 437 bytes as UTF-8.
std::string Cp437ToUtf8(std::string_view bytes);

// One path component in the DOS form: upper case, at most eight characters, a dot and
// three, characters DOS refuses replaced by '_'.
std::string DosComponent(std::string_view name);

}  // namespace quillow::zip
