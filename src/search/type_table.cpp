#include "search/type_table.h"

#include "base/ascii.h"
#include "search/formats/formats.h"

namespace quillow::search {

const std::array<TypeEntry, kTypeCount>& TypeTable() {
  static constexpr std::array<TypeEntry, kTypeCount> kTable{{
      {"ZIP", "ZIP", formats::ReadZip},
      {"RAR", "RAR", formats::ReadRar},
      {"WAD", "WAD", formats::ReadWad},
      {"GRP", "GRP", formats::ReadGrp},
      {"ARJ", "ARJ", formats::ReadArj},
      {"LZH", "LZH", formats::ReadLzh},
      {"ZOO", "ZOO", formats::ReadZoo},
      {"TAR", "TAR", formats::ReadTar},
      {"ARC", "ARC", formats::ReadArc},
      {"PAK", "PAK", formats::ReadArc},
      {"Folders", "*", nullptr},
      {"HYP", "HYP", formats::ReadHyp},
      {"SQZ", "SQZ", formats::ReadSqz},
      {"CAB", "CAB", formats::ReadCab},
      {"ACE", "ACE", formats::ReadAce},
      {"7Z", "7Z", formats::ReadSevenZip},
  }};
  return kTable;
}

int TypeIndexByName(std::string_view name) {
  const auto& table = TypeTable();
  for (int i = 0; i < kTypeCount; ++i)
    if (base::EqualsIgnoringAsciiCase(table[i].name, name)) return i;
  return -1;
}

}  // namespace quillow::search
