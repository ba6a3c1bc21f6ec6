#include "memory_file_system.h"

namespace tarnwick::fuzzing {

namespace {
bool Refuse(std::string* error) {
  if (error) *error = "not supported";
  return false;
}
}  // namespace

class MemoryFileSystem::MemoryFolder final : public Folder {
 public:
  MemoryFolder(MemoryFileSystem& fs, std::string path) : Folder(std::move(path)), fs_(fs) {}

  bool List(FolderListing& listing, std::string* error) override {
    listing = FolderListing();
    return Refuse(error);
  }
  std::optional<FindEntry> LookUp(const std::string& name) override {
    auto it = fs_.files.find(Key(name));
    if (it == fs_.files.end()) return std::nullopt;
    FindEntry entry;
    entry.attributes = kAttrNormal;
    entry.size = it->second.size();
    entry.lastWriteTime = fs_.times_[it->first];
    entry.name = name;
    return entry;
  }
  bool Inaccessible(const std::string&, std::string*) override { return false; }
  bool CreateFolder(const std::string&, bool& made, std::string* error) override {
    made = false;
    return Refuse(error);
  }
  std::unique_ptr<Folder> OpenFolder(const std::string&, std::string* error) override {
    Refuse(error);
    return nullptr;
  }
  bool OpenForCopy(const std::string&, OpenedFile&, std::string* error) override {
    return Refuse(error);
  }
  bool CopyFileAs(Folder&, const std::string&, const std::string&, bool,
                  std::string* error) override {
    return Refuse(error);
  }
  bool DeleteFile(const std::string& name, std::string* error) override {
    return fs_.files.erase(Key(name)) != 0 || Refuse(error);
  }
  bool DeleteFolder(const std::string&, std::string* error) override { return Refuse(error); }
  bool Rename(const std::string& from, const std::string& to, std::string* error) override {
    auto it = fs_.files.find(Key(from));
    if (it == fs_.files.end()) return Refuse(error);
    std::string content = std::move(it->second);
    fs_.files.erase(it);
    Write(to, std::move(content));
    return true;
  }
  bool ReadTextFile(const std::string& name, std::string& content, std::string* error) override {
    auto it = fs_.files.find(Key(name));
    if (it == fs_.files.end()) {
      content.clear();
      return Refuse(error);
    }
    content = it->second;
    return true;
  }
  bool ReplaceFile(const std::string& name, const std::string& content, std::string*) override {
    Write(name, content);
    return true;
  }
  bool AppendToFile(const std::string& name, const std::string& content, std::string*) override {
    Write(name, fs_.files[Key(name)] + content);
    return true;
  }
  std::int64_t WriteTimeStep(const std::string&) override { return 1; }

 private:
  void Write(const std::string& name, std::string content) {
    fs_.files[Key(name)] = std::move(content);
    fs_.times_[Key(name)] = ++fs_.clock_;
  }

  // The harnesses name files with "/", which a folder on Windows joins with "\\".
  std::string Key(const std::string& name) const {
    std::string path = PathOf(name);
    for (char& c : path)
      if (c == '\\') c = '/';
    return path;
  }

  MemoryFileSystem& fs_;
};

std::unique_ptr<Folder> MemoryFileSystem::OpenFolder(const std::string& path, std::string*) {
  return std::make_unique<MemoryFolder>(*this, path);
}

bool MemoryFileSystem::FolderIdentity(const std::string&, FileIdentity&, std::string* error) {
  return Refuse(error);
}

bool MemoryFileSystem::FolderAncestry(const std::string&, std::vector<FileIdentity>&,
                                      std::string* error) {
  return Refuse(error);
}

LockOutcome MemoryFileSystem::LockFolder(const std::string&, FolderLock&, std::string* error) {
  Refuse(error);
  return LockOutcome::kUnavailable;
}

}  // namespace tarnwick::fuzzing
