// The rules of the two input boxes that need no window: drive sets, history lists, the
// start folder of "Browse..." and the quoting of a chosen folder.
#pragma once

#include <string>
#include <string_view>

#include "base/ascii.h"
#include "platform/win32/drives.h"
#include "settings/settings.h"

namespace quillow::app {

enum class DriveSet { kAll, kRemovable, kNonRemovable };

// The roots of every letter in the set, "A:\ C:\ D:\", letters in order; empty when none.
std::string DriveSetText(const platform::DriveTypeTable& types, DriveSet set);

// The folder "Browse..." starts at: the first quoted entry when the text begins with a
// quote, else the whole text.
std::string BrowseStartFolder(std::string_view lookIn);

// The Look-in text for a chosen folder: quoted when the path holds a space.
std::string LookInForFolder(const std::string& path);

// Records `text` at the top of a history list of at most settings::kHistoryLimit entries, unless
// the list already holds it (letter case aside), in which case nothing moves. `List` offers
// Count(), ItemText(i), InsertItem(i, text) and DeleteItem(i).
template <typename List>
void RecordHistory(List& list, const std::string& text) {
  for (int i = 0; i < list.Count(); ++i)
    if (base::EqualsIgnoringAsciiCase(list.ItemText(i), text)) return;
  while (list.Count() >= static_cast<int>(settings::kHistoryLimit))
    list.DeleteItem(list.Count() - 1);
  list.InsertItem(0, text);
}

}  // namespace quillow::app
