#include "support/report_fixture.h"

#include <atomic>
#include <fstream>
#include <random>
#include <stdexcept>

namespace tarnwick::testing {

namespace fs = std::filesystem;

TempTree::TempTree() {
  static std::atomic<int> counter{0};
  std::random_device device;
  for (int attempt = 0; attempt < 100; ++attempt) {
    fs::path candidate =
        fs::temp_directory_path() /
        ("tarnwick-report-" + std::to_string(device()) + "-" + std::to_string(counter++));
    if (fs::create_directory(candidate)) {
      root_ = candidate;
      return;
    }
  }
  throw std::runtime_error("cannot create a temporary folder");
}

TempTree::~TempTree() {
  std::error_code error;
  fs::remove_all(root_, error);
}

std::string TempTree::Path(const std::string& relative) const {
  if (relative.empty()) return root_.string();
  return (root_ / fs::path(relative).make_preferred()).string();
}

void TempTree::MakeFolder(const std::string& relative) const {
  fs::create_directories(Path(relative));
}

void TempTree::WriteFile(const std::string& relative, const std::string& content) const {
  fs::path path = Path(relative);
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

void TempTree::WriteSizedFile(const std::string& relative, std::uintmax_t size) const {
  WriteFile(relative, "");
  fs::resize_file(Path(relative), size);
}

}  // namespace tarnwick::testing
