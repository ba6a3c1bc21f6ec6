#include "support/scratch_dir.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <system_error>

namespace fs = std::filesystem;

namespace tarnwick::testing {

ScratchDir::ScratchDir() {
  static std::atomic<unsigned> counter{0};
  auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  for (int attempt = 0; attempt < 100; ++attempt) {
    fs::path candidate = fs::temp_directory_path() /
                         ("tarnwick-test-" + std::to_string(stamp) + "-" +
                          std::to_string(counter++));
    std::error_code error;
    if (fs::create_directory(candidate, error)) {
      path_ = candidate.string();
      return;
    }
  }
  throw std::runtime_error("cannot create a scratch folder");
}

ScratchDir::~ScratchDir() {
  std::error_code error;
  // Read-only entries left by a test must not keep the folder alive.
  for (auto it = fs::recursive_directory_iterator(path_, error);
       !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
    fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, error);
  }
  fs::remove_all(path_, error);
}

std::string ScratchDir::operator/(const std::string& relative) const {
  return (fs::path(path_) / relative).string();
}

void ScratchDir::Write(const std::string& relative, const std::string& content) const {
  fs::path target = fs::path(path_) / relative;
  fs::create_directories(target.parent_path());
  std::ofstream file(target, std::ios::binary | std::ios::trunc);
  file << content;
  if (!file) throw std::runtime_error("cannot write " + target.string());
}

std::string ScratchDir::Read(const std::string& relative) const {
  return ReadBytes((fs::path(path_) / relative).string());
}

bool ScratchDir::Exists(const std::string& relative) const {
  std::error_code error;
  return fs::exists(fs::path(path_) / relative, error);
}

std::string ReadBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream content;
  content << file.rdbuf();
  return content.str();
}

}  // namespace tarnwick::testing
