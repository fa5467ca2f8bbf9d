// The files the ZIP pass opens: .zip always, and with central directories read, the
// archives users know as ZIP files under other names (Java, Android, Python, NuGet, Office
// and OpenDocument files, e-books, browser add-ons, ...).
#pragma once

#include <array>
#include <string_view>

namespace quillow::search {

inline constexpr std::array<std::string_view, 19> kZipFamilyExtensions = {
    "JAR",  "WAR",  "EAR",  "APK",  "AAB", "WHL", "EGG", "NUPKG", "VSIX", "XPI",
    "EPUB", "DOCX", "XLSX", "PPTX", "ODT", "ODS", "ODP", "KMZ",   "IPA"};

// Whether the ZIP pass opens `name`; `family` adds the extensions above to .zip. Every
// extension is three to five letters long.
bool IsZipPassName(std::string_view name, bool family);

}  // namespace quillow::search
