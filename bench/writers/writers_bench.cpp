// Saved-results layouts at scale: a million rows through each writer into a file, a chunk at
// a time as the program saves them. Prints
// one line per layout: name, median seconds, bytes, and the file written (for the script's
// baseline).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "output/data_formats.h"
#include "output/writers.h"
#include "search/row.h"

namespace {

using namespace quillow;

std::vector<search::ResultRow> MakeRows(size_t count) {
  static const char* kFolders[] = {"/srv/archive/projects/", "/home/user/Downloads/old stuff/",
                                   "/mnt/backup/2001/software/dos/", "/data/"};
  static const char* kExts[] = {".txt", ".doc", ".exe", ".c", ".html", ".zip"};
  std::vector<search::ResultRow> rows;
  rows.reserve(count);
  uint32_t seed = 12345;
  auto next = [&] { return seed = seed * 1103515245u + 12345u; };
  for (size_t i = 0; i < count; ++i) {
    const uint32_t r = next();
    std::string folder = kFolders[r % 4];
    const bool member = (r >> 8) % 3 != 0;
    std::string container = member ? folder + "bundle" + std::to_string(r % 997) + ".zip" : folder;
    std::string name = (member ? "src/module" + std::to_string((r >> 4) % 50) + "/" : "") +
                       "file_" + std::to_string(next() % 100000) + kExts[(r >> 12) % 6];
    const uint32_t size = next() % 5000000, packed = member ? size / 3 + 1 : size;
    rows.push_back(search::MakeRow(name, container, static_cast<uint16_t>(0x2A00 + (r % 300)),
                                   static_cast<uint16_t>(next() & 0xBF7F), size, packed, !member,
                                   '/', true));
  }
  return rows;
}

[[noreturn]] void Die(const std::string& path) {
  std::perror(path.c_str());
  std::exit(1);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string dir = argc > 1 ? argv[1] : ".";
  const size_t count = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 1000000;
  const int runs = argc > 3 ? std::atoi(argv[3]) : 5;
  const std::string only = argc > 4 ? argv[4] : "";  // one layout, for profiling
  const std::vector<search::ResultRow> rows = MakeRows(count);
  const output::SaveColumns cols;
  const output::HtmlStyle style;
  struct Layout {
    const char* name;
    void (*write)(const std::vector<search::ResultRow>&, const output::SaveColumns&,
                  const output::HtmlStyle&, output::TextSink&);
  };
  const Layout layouts[] = {
      {"spaces", [](auto& r, auto& c, auto&, auto& o) { output::WriteTextWithSpaces(r, c, o); }},
      {"tabs", [](auto& r, auto& c, auto&, auto& o) { output::WriteTextWithTabs(r, c, true, o); }},
      {"html", [](auto& r, auto& c, auto& s, auto& o) { output::WriteHtml(r, c, s, o); }},
      {"csv", [](auto& r, auto& c, auto&, auto& o) { output::WriteCsv(r, c, o); }},
      {"json", [](auto& r, auto&, auto&, auto& o) { output::WriteJson(r, o); }},
  };
  for (const Layout& layout : layouts) {
    if (!only.empty() && only != layout.name) continue;
    const std::string path = dir + "/" + layout.name + ".out";
    std::vector<double> seconds;
    size_t bytes = 0;
    for (int run = 0; run < runs; ++run) {
      const auto start = std::chrono::steady_clock::now();
      FILE* f = std::fopen(path.c_str(), "wb");
      if (!f) Die(path);
      std::string chunk;
      bytes = 0;
      output::TextSink sink(chunk, [&](std::string_view b) {
        bytes += b.size();
        return std::fwrite(b.data(), 1, b.size(), f) == b.size();
      });
      layout.write(rows, cols, style, sink);
      if (sink.failed() || std::fclose(f)) Die(path);
      seconds.push_back(
          std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(seconds.begin(), seconds.end());
    std::printf("%s %.4f %zu %s\n", layout.name, seconds[seconds.size() / 2], bytes, path.c_str());
    std::fflush(stdout);
  }
  return 0;
}
