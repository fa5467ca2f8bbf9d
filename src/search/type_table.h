// The fixed scan order of the search: sixteen sources, each with its extension text and its
// directory reader. The index is also the index of the source's flag in the archive type set.
#pragma once

#include <array>
#include <string_view>

#include "search/reader.h"
#include "search/types.h"

namespace quillow::search {

struct TypeEntry {
  std::string_view name;       // settings value name, e.g. "ZIP", "Folders"
  std::string_view extension;  // "ZIP" ... ; "*" for the folder entries themselves
  ReaderFn reader;             // nullptr for Folders
};

const std::array<TypeEntry, kTypeCount>& TypeTable();

// Index of a type by its name, any letter case; -1 when unknown.
int TypeIndexByName(std::string_view name);

}  // namespace quillow::search
