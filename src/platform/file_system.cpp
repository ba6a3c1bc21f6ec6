#include "platform/file_system.h"

#include <system_error>

#include "platform/entry_names.h"

namespace tarnwick {

std::int64_t TimeStepOf(std::int64_t storedTime) {
  if (storedTime == kProbeWriteTime) return 1;
  // The probe's time lies on none of these steps, so the coarsest one the stored time lies on
  // is the one the file system cut or rounded it to.
  constexpr std::int64_t kSteps[] = {2000000000, 1000000000, 10000000, 1000000, 1000, 100, 10};
  for (std::int64_t step : kSteps)
    if (storedTime % step == 0) return step;
  return 1;
}

std::unique_ptr<Folder> FileSystem::HolderOf(const std::string& path, std::string& name,
                                             std::string* error) {
  const std::string trimmed = StripTrailingSeparators(path);
  name = EntryNameOf(trimmed);
  if (name.empty() && !trimmed.empty()) {
    // A root: its own entry.
    name = ".";
    return OpenFolder(trimmed, error);
  }
  return OpenFolder(HolderPathOf(trimmed), error);
}

bool FileSystem::ReadFolder(const std::string& folder, FolderListing& listing, std::string* error) {
  listing = FolderListing();
  std::unique_ptr<Folder> opened = OpenFolder(folder.empty() ? "." : folder, error);
  return opened && opened->List(listing, error);
}

std::optional<FindEntry> FileSystem::LookUp(const std::string& path) {
  std::string name;
  std::unique_ptr<Folder> holder = HolderOf(path, name, nullptr);
  return holder ? holder->LookUp(name) : std::nullopt;
}

bool FileSystem::Inaccessible(const std::string& path, std::string* reason) {
  std::string name, error;
  if (std::unique_ptr<Folder> holder = HolderOf(path, name, &error))
    return holder->Inaccessible(name, reason);
  // The folder that holds it could not be opened. Nothing is there when that folder is missing
  // or a file; a folder that is there but cannot be opened, or something on the way that cannot
  // be examined, leaves the question open.
  const std::string trimmed = StripTrailingSeparators(path);
  const std::string above = HolderPathOf(trimmed);
  if (EntryNameOf(trimmed).empty() || above == trimmed) {
    if (reason) *reason = error;
    return true;
  }
  if (std::optional<FindEntry> entry = LookUp(above)) {
    if (!entry->IsFolder()) return false;
    if (reason) *reason = error;
    return true;
  }
  return Inaccessible(above, reason);
}

bool FileSystem::CreateFolder(const std::string& path, std::string* error, bool* made) {
  std::string name;
  bool madeHere = false;
  std::unique_ptr<Folder> holder = HolderOf(path, name, error);
  const bool there = holder && holder->CreateFolder(name, madeHere, error);
  if (made != nullptr) *made = madeHere;
  return there;
}

bool FileSystem::CopyFile(const std::string& from, const std::string& to, std::string* error) {
  std::string fromName, toName;
  std::unique_ptr<Folder> source = HolderOf(from, fromName, error);
  std::unique_ptr<Folder> target = source ? HolderOf(to, toName, error) : nullptr;
  return target && target->CopyFileAs(*source, fromName, toName, false, error);
}

bool FileSystem::DeleteFile(const std::string& path, std::string* error) {
  std::string name;
  std::unique_ptr<Folder> holder = HolderOf(path, name, error);
  return holder && holder->DeleteFile(name, error);
}

bool FileSystem::DeleteFolder(const std::string& path, std::string* error) {
  std::string name;
  std::unique_ptr<Folder> holder = HolderOf(path, name, error);
  return holder && holder->DeleteFolder(name, error);
}

std::int64_t FileSystem::WriteTimeStep(const std::string& probePath) {
  std::string name;
  std::unique_ptr<Folder> holder = HolderOf(probePath, name, nullptr);
  return holder ? holder->WriteTimeStep(name) : 1;
}

bool FileSystem::ReadTextFile(const std::string& path, std::string& content, std::string* error) {
  content.clear();
  std::string name;
  std::unique_ptr<Folder> holder = HolderOf(path, name, error);
  return holder && holder->ReadTextFile(name, content, error);
}

bool FileSystem::ReplaceFile(const std::string& path, const std::string& content,
                             std::string* error) {
  std::string name;
  std::unique_ptr<Folder> holder = HolderOf(path, name, error);
  return holder && holder->ReplaceFile(name, content, error);
}

bool FileSystem::AppendToFile(const std::string& path, const std::string& content,
                              std::string* error) {
  std::string name;
  std::unique_ptr<Folder> holder = HolderOf(path, name, error);
  return holder && holder->AppendToFile(name, content, error);
}

std::string UnreadableFileReason(FileSystem& fs, const std::string& path) {
  std::string reason;
  std::optional<FindEntry> entry = fs.LookUp(path);
  if (entry && entry->IsFolder()) return "it is a folder";
  if (entry) {
    std::string content;
    return fs.ReadTextFile(path, content, &reason) ? std::string() : reason;
  }
  if (fs.Inaccessible(path, &reason)) return reason;
  // Nothing usable, yet maybe an entry: a link that leads nowhere is not a missing file.
  std::error_code error;
  const std::filesystem::path entryPath = PathFromText(path);
  if (!std::filesystem::exists(std::filesystem::symlink_status(entryPath, error)))
    return std::string();
  static_cast<void>(std::filesystem::status(entryPath, error));
  if (!error || error == std::errc::no_such_file_or_directory ||
      error == std::errc::not_a_directory)
    return "it is a link that leads nowhere";
  return error.message();
}

std::vector<std::string> ListFiles(FileSystem& fs, const std::string& folder) {
  FolderListing listing;
  if (!fs.ReadFolder(folder, listing, nullptr)) return {};
  return std::move(listing.files);
}

}  // namespace tarnwick
