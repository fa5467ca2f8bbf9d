// File times as Windows keeps them (FILETIME, UTC) and the DOS date and time words of the
// local zone that archives store.
#pragma once

#include <windows.h>

#include <cstdint>

namespace quillow::platform {

// Zero words when the time cannot be converted.
void FileTimeToDos(const FILETIME& utc, uint16_t& dosDate, uint16_t& dosTime);
bool DosToFileTime(uint16_t dosDate, uint16_t dosTime, FILETIME& utc);

}  // namespace quillow::platform
