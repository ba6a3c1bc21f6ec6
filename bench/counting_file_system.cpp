#include "counting_file_system.h"

#include "platform/forwarding_folder.h"
#include "rules/file_compare.h"

namespace tarnwick {

namespace {

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

bool IsLog(const std::string& name) { return LowerCase(name) == "changes.ini"; }

// Passes every operation to a folder of the inner file system and counts its copies and log
// writes.
class CountingFolder final : public ForwardingFolder {
 public:
  CountingFolder(CountingFileSystem& counts, std::unique_ptr<Folder> inner)
      : ForwardingFolder(std::move(inner)), counts_(counts) {}

  std::unique_ptr<Folder> OpenFolder(const std::string& name, std::string* error) override {
    std::unique_ptr<Folder> folder = inner_->OpenFolder(name, error);
    if (!folder) return nullptr;
    ++counts_.heldFolders;
    return std::make_unique<CountingFolder>(counts_, std::move(folder));
  }
  bool CopyFileAs(Folder& from, const std::string& fromName, const std::string& name,
                  bool expectNew, std::string* error) override {
    ++counts_.copies;
    auto start = std::chrono::steady_clock::now();
    bool ok = inner_->CopyFileAs(from, fromName, name, expectNew, error);
    counts_.copySeconds += SecondsSince(start);
    return ok;
  }
  bool ReplaceFile(const std::string& name, const std::string& content,
                   std::string* error) override {
    return Log(name, content, [&] { return inner_->ReplaceFile(name, content, error); });
  }
  bool AppendToFile(const std::string& name, const std::string& content,
                    std::string* error) override {
    return Log(name, content, [&] { return inner_->AppendToFile(name, content, error); });
  }

 private:
  template <class Write>
  bool Log(const std::string& name, const std::string& content, Write write) {
    if (!IsLog(name)) return write();
    ++counts_.logWrites;
    counts_.logBytes += static_cast<std::int64_t>(content.size());
    auto start = std::chrono::steady_clock::now();
    bool ok = write();
    counts_.logSeconds += SecondsSince(start);
    return ok;
  }

  CountingFileSystem& counts_;
};

}  // namespace

std::unique_ptr<Folder> CountingFileSystem::OpenFolder(const std::string& path,
                                                       std::string* error) {
  std::unique_ptr<Folder> folder = inner_.OpenFolder(path, error);
  if (!folder) return nullptr;
  ++heldFolders;
  return std::make_unique<CountingFolder>(*this, std::move(folder));
}

}  // namespace tarnwick
