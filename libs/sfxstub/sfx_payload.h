// What a self-extracting program carries behind its own image: the settings header and
// the ZIP data. Portable, so the same reading and extraction run in the stub and in tests.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "zip/core/archive.h"
#include "zip/core/zip_fs.h"
#include "zip/sfx/sfx_header.h"

namespace quillow::sfx {

// End of the last section's raw data, from the PE headers: where appended data begins.
// nullopt when the headers are not those of a PE image.
std::optional<uint64_t> ImageEnd(zip::InputFile& file);

struct Payload {
  zip::SfxSettings settings;
  uint64_t dataStart = 0;  // first byte of the ZIP data
  std::vector<zip::Member> members;
};

// Reads the program `exe`: its image end, the header there and the archive's directory.
// nullopt with `error` saying what is wrong.
std::optional<Payload> OpenPayload(zip::FileSystem& fs, const std::string& exe, std::string& error);

enum class Answer { kYes, kNo, kYesToAll, kNoToAll, kCancel };

struct ExtractRequest {
  std::string target;          // made when missing
  std::vector<bool> chosen{};  // one per member; empty: all
  zip::SfxOverwrite overwrite = zip::SfxOverwrite::kConfirm;
  std::function<Answer(const std::string& path)> confirm{};  // asked for existing files
  std::function<void(const std::string& name)> progress{};   // each file as it starts
};

struct ExtractOutcome {
  int extracted = 0;
  bool cancelled = false;
  std::vector<std::string> problems;  // one line per member left out, or the failure
};

// Extracts the chosen members below `request.target` with their folders, through the same
// unzip core (and its path checks) as the unzip library.
ExtractOutcome ExtractPayload(zip::FileSystem& fs, const std::string& exe, const Payload& payload,
                              const ExtractRequest& request);

}  // namespace quillow::sfx
