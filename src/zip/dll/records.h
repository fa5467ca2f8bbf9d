// The records that pass between the ZIP component and the two libraries ZIPDLL.DLL and
// UNZDLL.DLL, and the entry points that take them. Portable: the native build compiles the
// same structs so the library core can be driven and tested without Windows.
//
// Layout. Every number and flag is a 32-bit integer (flags 0 or 1); every handle or pointer
// is pointer-sized; fields keep the order below with the compiler's natural alignment and no
// packing. Strings are NUL-terminated in buffers the caller owns for the one call (archive
// name and names 256 bytes, password 81 bytes); a library never keeps them.
//
// Text. Names and file specifications are UTF-8. Text that is not valid UTF-8 is taken in
// the ANSI code page, as a program built for the classic "A" functions passes it (natively,
// where there is none, Windows-1252), and converted to UTF-8 before it names a file, is
// stored or is matched against stored names (CallerTextToUtf8 in names.h). A password is
// bytes and is used as given. Member names are stored in UTF-8, flagged as such whenever
// they are not plain ASCII.
//
//   ZipCallRecord          32-bit  64-bit     UnzipCallRecord        32-bit  64-bit
//   OwnerWindow                 0       0     OwnerWindow                 0       0
//   Caller                      4       8     Caller                      4       8
//   Version (140)               8      16     Version (140)               8      16
//   CallbackProc               12      24     CallbackProc               12      24
//   TraceOn                    16      32     TraceOn                    16      32
//   PasswordText               20      40     Reserved20 (0)             20      36
//   Reserved24 (0)             24      48     PasswordText               24      40
//   EncryptOn                  28      52     TestOnly                   28      48
//   HiddenFilesOn              32      56     Reserved32, 36 (0, 0)    32,36   52,56
//   Reserved36, 40 (0, 0)    36,40   60,64    Reserved40 (1)             40      60
//   Reserved44 (1)             44      68     VerboseOn                  44      64
//   Reserved48 (0)             48      72     UpdateOn                   48      68
//   VerboseOn                  52      76     FreshenOn                  52      72
//   Reserved56 (1)             56      80     DirNamesOn                 56      76
//   CompLevel                  60      84     OverwriteOn                60      80
//   Reserved64, 68 (0, 0)    64,68   88,92    NameCount                  64      84
//   NoDirNames                 72      96     ZipName                    68      88
//   RecurseDirs                76     100     Reserved72 (7)             72      96
//   Reserved80 (1)             80     104     Names[4097]                76     104
//   ForceDOS                   84     108     size                    16,464  32,880
//   MoveFiles                  88     112
//   DeleteMode                 92     116     ZCallBackStruct        32-bit  64-bit
//   UpdateOn                   96     120     Window                      0       0
//   FreshenOn                 100     124     Caller                      4       8
//   Reserved104 (0)           104     128     Version                     8      16
//   ZipTimeOn                 108     132     IsZip (1 zip, 0 unzip)     12      20
//   Reserved112, 116 (0, 0) 112,116 136,140   ActionCode                 16      24
//   NameCount                 120     144     ErrorCode                  20      28
//   ZipName                   124     152     FileSize                   24      32
//   Reserved128 (7)           128     160     Text[512]                  28      36
//   Names[4097]               132     168     size                       540     552
//   size                   16,520  32,944
//
// Entry points use the standard Win32 calling convention (the callee pops its arguments);
// on 64-bit Windows and natively that is the one calling convention there is.
//
// Texts. A name, specification or archive name that is not valid UTF-8 is read
// in the ANSI code page, as a program of the classic API passes it (natively: as the file
// system's bytes).
//
// Which members a specification names (UnzDllExec, and ZipDllExec deleting): one that
// equals a member's stored name byte for byte (or the name decoded to UTF-8, as a listing
// shows it) names that member alone and is never read as a pattern, so a caller may hand
// back the names of the rows a user selected, '*' and '?' included. Any other is a
// pattern: '*' any run of characters, '/' included, '?' one character, '/' and '\' alike,
// letter case of A-Z ignored. A delete takes exactly the members an extraction with the
// same specifications would write. Each specification that names nothing is reported.
//
// Messages (ActionCode 4) carry ErrorCode 0 for a verbose report, 1 for a file or member
// left out (the rest goes on), 2 when the call as a whole failed, 3 for a member written
// but not quite as asked (a name flagged UTF-8 that is not, read in code page 437). The text
// starts with the name it concerns, a long name cut in its middle, and shows control bytes
// as escapes ("\t", "\x00").
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(_WIN32)
#define QUILLOW_STDCALL __stdcall
#else
#define QUILLOW_STDCALL
#endif

namespace quillow::zip {

inline constexpr int32_t kRecordVersion = 140;
inline constexpr int kMaxNames = 4097;
inline constexpr size_t kNameBuffer = 256;
inline constexpr size_t kPasswordBuffer = 81;
inline constexpr size_t kCallbackText = 512;

// Action codes of a callback.
enum : int32_t {
  kActionFileStart = 1,  // Text = file name, FileSize = its size
  kActionStep = 2,
  kActionBatchEnd = 3,
  kActionMessage = 4,  // and above: Text = message, ErrorCode = its code
};

struct ZCallBackStruct {
  void* Window;
  void* Caller;
  int32_t Version;
  int32_t IsZip;
  int32_t ActionCode;
  int32_t ErrorCode;
  int32_t FileSize;
  char Text[kCallbackText];
};

// Returns 1 to ask the library to stop, 0 to go on.
using ZCallbackProc = int32_t(QUILLOW_STDCALL*)(ZCallBackStruct*);

struct ZipCallRecord {
  void* OwnerWindow;
  void* Caller;
  int32_t Version;
  ZCallbackProc CallbackProc;
  int32_t TraceOn;
  char* PasswordText;
  int32_t Reserved24;
  int32_t EncryptOn;
  int32_t HiddenFilesOn;
  int32_t Reserved36;
  int32_t Reserved40;
  int32_t Reserved44;
  int32_t Reserved48;
  int32_t VerboseOn;
  int32_t Reserved56;
  int32_t CompLevel;
  int32_t Reserved64;
  int32_t Reserved68;
  int32_t NoDirNames;
  int32_t RecurseDirs;
  int32_t Reserved80;
  int32_t ForceDOS;
  int32_t MoveFiles;
  int32_t DeleteMode;
  int32_t UpdateOn;
  int32_t FreshenOn;
  int32_t Reserved104;
  int32_t ZipTimeOn;
  int32_t Reserved112;
  int32_t Reserved116;
  int32_t NameCount;
  char* ZipName;
  int32_t Reserved128;
  char* Names[kMaxNames];
};

struct UnzipCallRecord {
  void* OwnerWindow;
  void* Caller;
  int32_t Version;
  ZCallbackProc CallbackProc;
  int32_t TraceOn;
  int32_t Reserved20;
  char* PasswordText;
  int32_t TestOnly;
  int32_t Reserved32;
  int32_t Reserved36;
  int32_t Reserved40;
  int32_t VerboseOn;
  int32_t UpdateOn;
  int32_t FreshenOn;
  int32_t DirNamesOn;
  int32_t OverwriteOn;
  int32_t NameCount;
  char* ZipName;
  int32_t Reserved72;
  // File specifications: '*' and '?' are wildcards, except in a specification that equals
  // a stored member name byte for byte, which names that member alone.
  char* Names[kMaxNames];
};

using ZipDllExecFn = int32_t(QUILLOW_STDCALL*)(ZipCallRecord*);
using GetZipDllVersionFn = int32_t(QUILLOW_STDCALL*)();
using UnzDllExecFn = int32_t(QUILLOW_STDCALL*)(UnzipCallRecord*);
using GetUnzDllVersionFn = int32_t(QUILLOW_STDCALL*)();

// Pointer-sized offsets: the 32-bit layout when pointers are 4 bytes, the 64-bit one above
// when they are 8. A layout that drifts from either fails the build here.
#define QUILLOW_AT(type, field, at32, at64) \
  static_assert(offsetof(type, field) == (sizeof(void*) == 4 ? (at32) : (at64)), #field)

QUILLOW_AT(ZipCallRecord, OwnerWindow, 0, 0);
QUILLOW_AT(ZipCallRecord, Caller, 4, 8);
QUILLOW_AT(ZipCallRecord, Version, 8, 16);
QUILLOW_AT(ZipCallRecord, CallbackProc, 12, 24);
QUILLOW_AT(ZipCallRecord, TraceOn, 16, 32);
QUILLOW_AT(ZipCallRecord, PasswordText, 20, 40);
QUILLOW_AT(ZipCallRecord, Reserved24, 24, 48);
QUILLOW_AT(ZipCallRecord, EncryptOn, 28, 52);
QUILLOW_AT(ZipCallRecord, HiddenFilesOn, 32, 56);
QUILLOW_AT(ZipCallRecord, Reserved36, 36, 60);
QUILLOW_AT(ZipCallRecord, Reserved40, 40, 64);
QUILLOW_AT(ZipCallRecord, Reserved44, 44, 68);
QUILLOW_AT(ZipCallRecord, Reserved48, 48, 72);
QUILLOW_AT(ZipCallRecord, VerboseOn, 52, 76);
QUILLOW_AT(ZipCallRecord, Reserved56, 56, 80);
QUILLOW_AT(ZipCallRecord, CompLevel, 60, 84);
QUILLOW_AT(ZipCallRecord, Reserved64, 64, 88);
QUILLOW_AT(ZipCallRecord, Reserved68, 68, 92);
QUILLOW_AT(ZipCallRecord, NoDirNames, 72, 96);
QUILLOW_AT(ZipCallRecord, RecurseDirs, 76, 100);
QUILLOW_AT(ZipCallRecord, Reserved80, 80, 104);
QUILLOW_AT(ZipCallRecord, ForceDOS, 84, 108);
QUILLOW_AT(ZipCallRecord, MoveFiles, 88, 112);
QUILLOW_AT(ZipCallRecord, DeleteMode, 92, 116);
QUILLOW_AT(ZipCallRecord, UpdateOn, 96, 120);
QUILLOW_AT(ZipCallRecord, FreshenOn, 100, 124);
QUILLOW_AT(ZipCallRecord, Reserved104, 104, 128);
QUILLOW_AT(ZipCallRecord, ZipTimeOn, 108, 132);
QUILLOW_AT(ZipCallRecord, Reserved112, 112, 136);
QUILLOW_AT(ZipCallRecord, Reserved116, 116, 140);
QUILLOW_AT(ZipCallRecord, NameCount, 120, 144);
QUILLOW_AT(ZipCallRecord, ZipName, 124, 152);
QUILLOW_AT(ZipCallRecord, Reserved128, 128, 160);
QUILLOW_AT(ZipCallRecord, Names, 132, 168);
static_assert(sizeof(ZipCallRecord) == (sizeof(void*) == 4 ? 16520 : 32944));

QUILLOW_AT(UnzipCallRecord, OwnerWindow, 0, 0);
QUILLOW_AT(UnzipCallRecord, Caller, 4, 8);
QUILLOW_AT(UnzipCallRecord, Version, 8, 16);
QUILLOW_AT(UnzipCallRecord, CallbackProc, 12, 24);
QUILLOW_AT(UnzipCallRecord, TraceOn, 16, 32);
QUILLOW_AT(UnzipCallRecord, Reserved20, 20, 36);
QUILLOW_AT(UnzipCallRecord, PasswordText, 24, 40);
QUILLOW_AT(UnzipCallRecord, TestOnly, 28, 48);
QUILLOW_AT(UnzipCallRecord, Reserved32, 32, 52);
QUILLOW_AT(UnzipCallRecord, Reserved36, 36, 56);
QUILLOW_AT(UnzipCallRecord, Reserved40, 40, 60);
QUILLOW_AT(UnzipCallRecord, VerboseOn, 44, 64);
QUILLOW_AT(UnzipCallRecord, UpdateOn, 48, 68);
QUILLOW_AT(UnzipCallRecord, FreshenOn, 52, 72);
QUILLOW_AT(UnzipCallRecord, DirNamesOn, 56, 76);
QUILLOW_AT(UnzipCallRecord, OverwriteOn, 60, 80);
QUILLOW_AT(UnzipCallRecord, NameCount, 64, 84);
QUILLOW_AT(UnzipCallRecord, ZipName, 68, 88);
QUILLOW_AT(UnzipCallRecord, Reserved72, 72, 96);
QUILLOW_AT(UnzipCallRecord, Names, 76, 104);
static_assert(sizeof(UnzipCallRecord) == (sizeof(void*) == 4 ? 16464 : 32880));

QUILLOW_AT(ZCallBackStruct, Window, 0, 0);
QUILLOW_AT(ZCallBackStruct, Caller, 4, 8);
QUILLOW_AT(ZCallBackStruct, Version, 8, 16);
QUILLOW_AT(ZCallBackStruct, IsZip, 12, 20);
QUILLOW_AT(ZCallBackStruct, ActionCode, 16, 24);
QUILLOW_AT(ZCallBackStruct, ErrorCode, 20, 28);
QUILLOW_AT(ZCallBackStruct, FileSize, 24, 32);
QUILLOW_AT(ZCallBackStruct, Text, 28, 36);
static_assert(sizeof(ZCallBackStruct) == (sizeof(void*) == 4 ? 540 : 552));

#undef QUILLOW_AT

}  // namespace quillow::zip
