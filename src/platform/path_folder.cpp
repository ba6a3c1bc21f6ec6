#include "platform/path_folder.h"

namespace tarnwick {

bool PathFolder::List(FolderListing& listing, std::string* error) {
  listing = FolderListing();
  std::unique_ptr<Folder> folder = Open(error);
  return folder && folder->List(listing, error);
}

std::optional<FindEntry> PathFolder::LookUp(const std::string& name) {
  std::unique_ptr<Folder> folder = Open(nullptr);
  return folder ? folder->LookUp(name) : std::nullopt;
}

bool PathFolder::Inaccessible(const std::string& name, std::string* reason) {
  // The file system knows what to say of a folder that cannot be opened.
  return fs_.Inaccessible(PathOf(name), reason);
}

bool PathFolder::CreateFolder(const std::string& name, bool& made, std::string* error) {
  made = false;
  std::unique_ptr<Folder> folder = Open(error);
  return folder && folder->CreateFolder(name, made, error);
}

std::unique_ptr<Folder> PathFolder::OpenFolder(const std::string& name, std::string* error) {
  std::unique_ptr<Folder> folder = Open(error);
  return folder ? folder->OpenFolder(name, error) : nullptr;
}

bool PathFolder::OpenForCopy(const std::string& name, OpenedFile& file, std::string* error) {
  std::unique_ptr<Folder> folder = Open(error);
  return folder && folder->OpenForCopy(name, file, error);
}

bool PathFolder::CopyFileAs(Folder& from, const std::string& fromName, const std::string& name,
                            bool expectNew, std::string* error) {
  std::unique_ptr<Folder> folder = Open(error);
  return folder && folder->CopyFileAs(from, fromName, name, expectNew, error);
}

bool PathFolder::DeleteFile(const std::string& name, std::string* error) {
  std::unique_ptr<Folder> folder = Open(error);
  return folder && folder->DeleteFile(name, error);
}

bool PathFolder::DeleteFolder(const std::string& name, std::string* error) {
  std::unique_ptr<Folder> folder = Open(error);
  return folder && folder->DeleteFolder(name, error);
}

bool PathFolder::Rename(const std::string& from, const std::string& to, std::string* error) {
  std::unique_ptr<Folder> folder = Open(error);
  return folder && folder->Rename(from, to, error);
}

bool PathFolder::ReadTextFile(const std::string& name, std::string& content, std::string* error) {
  content.clear();
  std::unique_ptr<Folder> folder = Open(error);
  return folder && folder->ReadTextFile(name, content, error);
}

bool PathFolder::ReplaceFile(const std::string& name, const std::string& content,
                             std::string* error) {
  std::unique_ptr<Folder> folder = Open(error);
  return folder && folder->ReplaceFile(name, content, error);
}

bool PathFolder::AppendToFile(const std::string& name, const std::string& content,
                              std::string* error) {
  std::unique_ptr<Folder> folder = Open(error);
  return folder && folder->AppendToFile(name, content, error);
}

std::int64_t PathFolder::WriteTimeStep(const std::string& probeName) {
  std::unique_ptr<Folder> folder = Open(nullptr);
  return folder ? folder->WriteTimeStep(probeName) : 1;
}

}  // namespace tarnwick
