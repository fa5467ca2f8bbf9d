// TProgLink: a shell link (".lnk") to a program, written into the user's Start-menu
// Programs folder.
#pragma once

#include <functional>
#include <string>

namespace quillow::settings {

inline constexpr char kLinkDescription[] = "No description available";

class TProgLink {
 public:
  std::string SourceName;  // full path of the file the link points to
  std::string LinkName;    // relative to the Programs folder; may hold a subfolder
  // Where links go, with no trailing backslash; empty: StartMenuProgramsFolder().
  std::function<std::string()> ProgramsFolder;

  // Writes the link, creating the folders of LinkName that are missing. True when the
  // link file was saved.
  bool MakeLink();
  // Where the last MakeLink wrote (or tried to write) the link.
  const std::string& LinkPath() const { return linkPath_; }

 private:
  std::string linkPath_;
};

// The current user's Start-menu Programs folder: "Programs" under the shell's folder list
// in the registry, or the platform's answer where that value is missing.
std::string StartMenuProgramsFolder();

}  // namespace quillow::settings
