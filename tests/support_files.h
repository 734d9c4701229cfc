// Files for the unit tests: temporary files and directories, whole-file
// reading and gzip-compressed text.
#pragma once

#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace testing_support {

// A directory under /tmp, removed with everything in it.
class TempDir {
 public:
  TempDir() {
    char name[] = "/tmp/zelkova_testXXXXXX";
    path_ = ::mkdtemp(name);
  }
  ~TempDir() { std::filesystem::remove_all(path_); }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }
  // The names in the directory, sorted.
  std::vector<std::string> entries() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path_))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  std::filesystem::path path_;
};

inline std::string readWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// A file under the system's temporary directory, removed with the object.
class TempFile {
 public:
  explicit TempFile(const std::string& content, const std::string& suffix = ".txt") {
    char name[] = "/tmp/zelkova_testXXXXXX";
    const int fd = ::mkstemp(name);
    ::close(fd);
    path_ = std::string(name) + suffix;
    std::rename(name, path_.c_str());
    std::ofstream(path_, std::ios::binary) << content;
  }
  ~TempFile() { std::remove(path_.c_str()); }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// `text` as one gzip member, as gzip(1) would write it.
inline std::string gzipped(const std::string& text) {
  z_stream stream{};
  // 15 + 16: the largest window, with a gzip header and trailer.
  if (deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) != Z_OK) return {};
  std::string out(deflateBound(&stream, static_cast<uLong>(text.size())), '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
  stream.avail_in = static_cast<uInt>(text.size());
  stream.next_out = reinterpret_cast<Bytef*>(&out[0]);
  stream.avail_out = static_cast<uInt>(out.size());
  const int status = deflate(&stream, Z_FINISH);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  return status == Z_STREAM_END ? out : std::string();
}

}  // namespace testing_support
