// Resource identifiers of Quillow.exe.
#pragma once

#define IDI_QUILLOW 1
#define IDB_GLYPH 101
