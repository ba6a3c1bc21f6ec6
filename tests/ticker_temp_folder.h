#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

// A fresh folder under the system's temporary folder, removed with everything in it.
class TickerTempFolder {
 public:
  TickerTempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tarnwick-ticker-XXXXXX");
    if (!mkdtemp(pattern.data())) std::abort();
    path_ = pattern;
  }
  ~TickerTempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TickerTempFolder(const TickerTempFolder&) = delete;
  TickerTempFolder& operator=(const TickerTempFolder&) = delete;

  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

  void Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(File(name), std::ios::binary) << bytes;
  }
  std::string Read(const std::string& name) const {
    std::ifstream in(File(name), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  bool Exists(const std::string& name) const { return std::filesystem::exists(File(name)); }

 private:
  std::string path_;
};
