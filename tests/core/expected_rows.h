// The rows the expected files in tests/data/expected/ were written for: a folder row,
// archive members, a TAR member ("?" date), CAB-like "?" ratio and packed, a negative ratio,
// markup and URL-hostile characters, a UTF-8 name that is the longest in bytes but not in
// characters, and a name stored in code page 437.
#pragma once

#include <vector>

#include "search/row.h"

namespace quillow::testing_rows {

inline std::vector<search::ResultRow> ExpectedRows() {
  return {
      {"notes.txt", "C:\\docs\\", "3/15/2001 3:18 PM", "1234", "0%", "1234"},
      {"docs/readme.txt", "C:\\a\\b.zip", "12/1/1999 12:05 AM", "5000", "69%", "1550"},
      {"src/main.c", "D:\\x.TAR", "?", "2147483648", "?", "?"},
      {"tiny.bin", "C:\\a\\b.zip", "1/2/2003 9:07 AM", "100", "-50%", "150"},
      {"R&D <draft>.txt", "C:\\100% Work #1\\", "7/4/2010 11:59 PM", "42", "0%", "42"},
      {"caf\xC3\xA9 cr\xC3\xA8me.txt", "C:\\a\\b.zip", "2/29/2004 1:00 PM", "10", "20%", "8"},
      {"r\x82sum\x82.doc", "C:\\a\\b.zip", "6/30/1995 10:30 AM", "7", "?", "?"},
  };
}

}  // namespace quillow::testing_rows
