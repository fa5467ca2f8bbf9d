// Where users reach the project, and whom it thanks: the one place for these texts.
#pragma once

namespace quillow::ui {

inline constexpr char kHomePage[] = "https://github.com/ostrel/quillow/issues";
inline constexpr char kEMailAddress[] = "quillow@ostrel.org";
inline constexpr char kNoticeLine[] = "Copyright \xC2\xA9 2026 the Quillow authors.";
inline constexpr char kCreditsTitle[] = "Additional credits";
inline constexpr char kCreditsText[] =
    "Thanks to Jean-loup Gailly and Mark Adler for zlib, which compresses and expands the "
    "members of ZIP archives in Quillow's ZIP libraries.\n\n"
    "Thanks to the authors of GoogleTest, the framework every test of Quillow is written "
    "in.";

}  // namespace quillow::ui
