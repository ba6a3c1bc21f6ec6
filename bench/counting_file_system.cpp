#include "counting_file_system.h"

#include "rules/file_compare.h"

namespace tarnwick {

namespace {

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Passes every operation to a folder of the inner file system and counts its copies.
class CountingFolder final : public Folder {
 public:
  CountingFolder(CountingFileSystem& counts, std::unique_ptr<Folder> inner)
      : Folder(inner->Path()), counts_(counts), inner_(std::move(inner)) {}

  bool HeldIdentity(FileIdentity& identity) override { return inner_->HeldIdentity(identity); }
  std::optional<FindEntry> LookUp(const std::string& name) override { return inner_->LookUp(name); }
  bool Inaccessible(const std::string& name, std::string* reason) override {
    return inner_->Inaccessible(name, reason);
  }
  bool CreateFolder(const std::string& name, bool& made, std::string* error) override {
    return inner_->CreateFolder(name, made, error);
  }
  std::unique_ptr<Folder> OpenFolder(const std::string& name, std::string* error) override {
    std::unique_ptr<Folder> folder = inner_->OpenFolder(name, error);
    if (!folder) return nullptr;
    ++counts_.heldFolders;
    return std::make_unique<CountingFolder>(counts_, std::move(folder));
  }
  bool CopyFileFrom(Folder& from, const std::string& name, bool expectNew,
                    std::string* error) override {
    auto* counted = dynamic_cast<CountingFolder*>(&from);
    ++counts_.copies;
    auto start = std::chrono::steady_clock::now();
    bool ok = inner_->CopyFileFrom(counted ? *counted->inner_ : from, name, expectNew, error);
    counts_.copySeconds += SecondsSince(start);
    return ok;
  }

 private:
  CountingFileSystem& counts_;
  std::unique_ptr<Folder> inner_;
};

}  // namespace

std::unique_ptr<Folder> CountingFileSystem::OpenFolder(const std::string& path,
                                                       std::string* error) {
  std::unique_ptr<Folder> folder = inner_.OpenFolder(path, error);
  if (!folder) return nullptr;
  ++heldFolders;
  return std::make_unique<CountingFolder>(*this, std::move(folder));
}

bool CountingFileSystem::IsLog(const std::string& path) const {
  std::size_t cut = path.find_last_of("/\\");
  std::string name = cut == std::string::npos ? path : path.substr(cut + 1);
  return LowerCase(name) == "changes.ini";
}

bool CountingFileSystem::ReadFolder(const std::string& folder, FolderListing& listing,
                                    std::string* error) {
  return inner_.ReadFolder(folder, listing, error);
}

std::optional<FindEntry> CountingFileSystem::LookUp(const std::string& path) {
  return inner_.LookUp(path);
}

bool CountingFileSystem::CreateFolder(const std::string& path, std::string* error) {
  return inner_.CreateFolder(path, error);
}

bool CountingFileSystem::CopyFile(const std::string& from, const std::string& to,
                                  std::string* error) {
  ++copies;
  auto start = std::chrono::steady_clock::now();
  bool ok = inner_.CopyFile(from, to, error);
  copySeconds += SecondsSince(start);
  return ok;
}

bool CountingFileSystem::DeleteFile(const std::string& path, std::string* error) {
  return inner_.DeleteFile(path, error);
}

bool CountingFileSystem::ReadTextFile(const std::string& path, std::string& content,
                                      std::string* error) {
  return inner_.ReadTextFile(path, content, error);
}

bool CountingFileSystem::ReplaceFile(const std::string& path, const std::string& content,
                                     std::string* error) {
  if (!IsLog(path)) return inner_.ReplaceFile(path, content, error);
  ++logWrites;
  logBytes += static_cast<std::int64_t>(content.size());
  auto start = std::chrono::steady_clock::now();
  bool ok = inner_.ReplaceFile(path, content, error);
  logSeconds += SecondsSince(start);
  return ok;
}

bool CountingFileSystem::AppendToFile(const std::string& path, const std::string& content,
                                      std::string* error) {
  if (!IsLog(path)) return inner_.AppendToFile(path, content, error);
  ++logWrites;
  logBytes += static_cast<std::int64_t>(content.size());
  auto start = std::chrono::steady_clock::now();
  bool ok = inner_.AppendToFile(path, content, error);
  logSeconds += SecondsSince(start);
  return ok;
}

}  // namespace tarnwick
