// A file system in memory for the fuzz targets that extract: the input is the one file
// "/in.zip", and any write outside the extraction folder "/base" (or beside the input, where
// an archive is rewritten) aborts, as does writing more than the library's cap for its size.
#pragma once

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <string>

#include "zip/core/zip_fs.h"

namespace quillow::fuzz {

namespace z = quillow::zip;

constexpr char kBase[] = "/base";
constexpr uint64_t kMaxExpansion = 1032;  // what one extraction may write per archive byte

class MemoryFs final : public z::FileSystem {
 public:
  explicit MemoryFs(std::string archive) { files_["/in.zip"] = std::move(archive); }
  // Before each extraction: it may write at most its cap.
  void NewRun() {
    written_ = 0;
    limit_ = files_["/in.zip"].size() * kMaxExpansion;
  }
  char Separator() const override { return '/'; }
  std::string CurrentFolder() override { return kBase; }
  std::optional<z::FileInfo> Stat(const std::string& p) override {
    if (p == kBase || folders_.count(p)) return z::FileInfo{true, false, 0, 0};
    auto f = files_.find(p);
    if (f == files_.end()) return std::nullopt;
    return z::FileInfo{false, false, f->second.size(), 0};
  }
  std::vector<z::FolderItem> List(const std::string&) override { return {}; }
  std::unique_ptr<z::InputFile> OpenRead(const std::string& p) override {
    auto f = files_.find(p);
    if (f == files_.end()) return nullptr;
    return std::make_unique<In>(f->second);
  }
  std::unique_ptr<z::OutputFile> CreateNew(const std::string& p) override {
    // Archives are rewritten beside /in.zip; everything else must land below the base.
    if (p.rfind("/in.zip.~qz", 0) != 0) Inside(p);
    if (files_.count(p)) return nullptr;
    return std::make_unique<Out>(files_[p], written_, limit_);
  }
  bool Replace(const std::string& from, const std::string& to) override {
    if (to != "/in.zip") Inside(to);
    auto f = files_.find(from);
    if (f == files_.end()) return false;
    std::string data = std::move(f->second);
    files_.erase(f);
    files_[to] = std::move(data);
    return true;
  }
  bool Remove(const std::string& p) override { return files_.erase(p) > 0; }
  bool MakeFolder(const std::string& p) override {
    Inside(p);
    return folders_.insert(p).second;
  }
  bool SetModified(const std::string&, z::DosDateTime) override { return true; }
  std::string RealPath(const std::string& p) override { return p; }

 private:
  static void Inside(const std::string& p) {
    if (p.rfind(std::string(kBase) + "/", 0) != 0 || p.find("/../") != std::string::npos ||
        p.find(':') != std::string::npos || p.find('\\') != std::string::npos)
      std::abort();
  }
  struct In final : z::InputFile {
    explicit In(const std::string& d) : data(d) {}
    uint64_t Length() const override { return data.size(); }
    size_t ReadAt(uint64_t at, void* dst, size_t n) override {
      if (n == 0 || at >= data.size()) return 0;
      n = std::min<size_t>(n, data.size() - at);
      std::memcpy(dst, data.data() + at, n);
      return n;
    }
    const std::string& data;
  };
  struct Out final : z::OutputFile {
    Out(std::string& d, uint64_t& w, uint64_t cap) : data(d), written(w), limit(cap) {}
    bool WriteAt(uint64_t at, const void* p, size_t n) override {
      written += n;
      if (written > limit) std::abort();  // past the cap the library itself promises
      if (data.size() < at + n) data.resize(at + n);
      std::memcpy(data.data() + at, p, n);
      return true;
    }
    bool Finish(uint64_t length) override {
      data.resize(length);
      return true;
    }
    bool SetModified(z::DosDateTime) override { return true; }
    bool Sync() override { return true; }
    bool SetMode(uint32_t) override { return true; }
    std::string& data;
    uint64_t& written;
    uint64_t limit;
  };
  std::map<std::string, std::string> files_;
  std::set<std::string> folders_;
  uint64_t written_ = 0, limit_ = 0;
};

}  // namespace quillow::fuzz
