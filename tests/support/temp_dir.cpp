#include "support/temp_dir.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

#include "base/path.h"
#include "platform/file_system.h"

namespace fs = std::filesystem;

namespace tarnwick::testing {

TempDir::TempDir() {
  static std::mt19937_64 random{std::random_device{}()};
  fs::path base = fs::temp_directory_path();
  for (;;) {
    fs::path candidate = base / ("tarnwick-test-" + std::to_string(random() % 100000000000ULL));
    std::error_code ec;
    if (fs::create_directory(candidate, ec)) {
      path_ = TextFromPath(candidate);
      return;
    }
    if (ec) throw std::runtime_error("cannot create a temporary folder: " + ec.message());
  }
}

TempDir::~TempDir() {
  std::error_code ec;
  // Tests make files read-only; give write access back so everything can go.
  for (auto it = fs::recursive_directory_iterator(PathFromText(path_), ec);
       !ec && it != fs::end(it); it.increment(ec)) {
    if (!it->is_symlink(ec))
      fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
  }
  fs::remove_all(PathFromText(path_), ec);
}

std::string TempDir::operator/(const std::string& relative) const { return Join(path_, relative); }

std::string Join(const std::string& folder, const std::string& relative) {
  std::string out = folder;
  std::string rel = relative;
  for (char& c : rel)
    if (c == '/') c = kPathSeparator;
  if (!out.empty() && out.back() != kPathSeparator) out += kPathSeparator;
  return out + rel;
}

void WriteFile(const std::string& path, const std::string& content) {
  fs::create_directories(PathFromText(path).parent_path());
  std::ofstream out(PathFromText(path), std::ios::binary | std::ios::trunc);
  if (!out) throw std::runtime_error("cannot write " + path);
  out << content;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(PathFromText(path), std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

bool Exists(const std::string& path) {
  std::error_code ec;
  return fs::exists(fs::symlink_status(PathFromText(path), ec));
}

void MakeFolder(const std::string& path) { fs::create_directories(PathFromText(path)); }

void SetWriteTime(const std::string& path, std::int64_t seconds, std::int64_t nanoseconds) {
  auto sys = std::chrono::system_clock::time_point(
      std::chrono::duration_cast<std::chrono::system_clock::duration>(
          std::chrono::seconds(seconds) + std::chrono::nanoseconds(nanoseconds)));
  fs::last_write_time(PathFromText(path), std::chrono::file_clock::from_sys(sys));
}

std::int64_t WriteTimeOf(const std::string& path) {
  auto sys = std::chrono::file_clock::to_sys(fs::last_write_time(PathFromText(path)));
  return std::chrono::duration_cast<std::chrono::seconds>(sys.time_since_epoch()).count();
}

}  // namespace tarnwick::testing
