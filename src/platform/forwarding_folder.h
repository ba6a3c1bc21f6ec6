#pragma once

#include <memory>

#include "platform/folder.h"

namespace tarnwick {

// Passes every operation to another folder; a wrapper (a test double, a counting bench)
// overrides only the ones it watches or changes. A copy hands on the wrapper it came from, so
// the source side of a copy goes through that wrapper too.
class ForwardingFolder : public Folder {
 public:
  explicit ForwardingFolder(std::unique_ptr<Folder> inner)
      : Folder(inner->Path()), inner_(std::move(inner)) {}

  bool HeldIdentity(FileIdentity& identity) override { return inner_->HeldIdentity(identity); }
  bool List(FolderListing& listing, std::string* error) override {
    return inner_->List(listing, error);
  }
  std::optional<FindEntry> LookUp(const std::string& name) override { return inner_->LookUp(name); }
  bool Inaccessible(const std::string& name, std::string* reason) override {
    return inner_->Inaccessible(name, reason);
  }
  bool CreateFolder(const std::string& name, bool& made, std::string* error) override {
    return inner_->CreateFolder(name, made, error);
  }
  std::unique_ptr<Folder> OpenFolder(const std::string& name, std::string* error) override {
    return inner_->OpenFolder(name, error);
  }
  bool OpenForCopy(const std::string& name, OpenedFile& file, std::string* error) override {
    return inner_->OpenForCopy(name, file, error);
  }
  bool CopyFileAs(Folder& from, const std::string& fromName, const std::string& name,
                  bool expectNew, std::string* error) override {
    return inner_->CopyFileAs(from, fromName, name, expectNew, error);
  }
  bool DeleteFile(const std::string& name, std::string* error) override {
    return inner_->DeleteFile(name, error);
  }
  bool DeleteFolder(const std::string& name, std::string* error) override {
    return inner_->DeleteFolder(name, error);
  }
  bool Rename(const std::string& from, const std::string& to, std::string* error) override {
    return inner_->Rename(from, to, error);
  }
  bool ReadTextFile(const std::string& name, std::string& content, std::string* error) override {
    return inner_->ReadTextFile(name, content, error);
  }
  bool ReplaceFile(const std::string& name, const std::string& content,
                   std::string* error) override {
    return inner_->ReplaceFile(name, content, error);
  }
  bool AppendToFile(const std::string& name, const std::string& content,
                    std::string* error) override {
    return inner_->AppendToFile(name, content, error);
  }
  std::int64_t WriteTimeStep(const std::string& probeName) override {
    return inner_->WriteTimeStep(probeName);
  }

 protected:
  std::unique_ptr<Folder> inner_;
};

}  // namespace tarnwick
