// A held folder on real folders: what it opens, what it refuses, and that it keeps acting in
// the folder it opened whatever takes that folder's name since.

#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <functional>

#include "platform/file_system.h"
#include "platform/forwarding_folder.h"
#include "platform/posix_folder.h"
#include "support/failing_file_system.h"
#include "support/temp_dir.h"
#include "support/web_check.h"

namespace tarnwick {
namespace {

using testing::Exists;
using testing::ReadFile;
using testing::SetWriteTime;
using testing::TempDir;
using testing::WriteFile;
using testing::WriteTimeOf;
namespace fs = std::filesystem;

// Every test runs with the kernel's refusal of links and mounts and with the check the layer
// makes itself where the kernel has none.
class FolderTest : public ::testing::TestWithParam<bool> {
 protected:
  FolderTest() { PosixFolder::UseKernelResolve(GetParam()); }
  ~FolderTest() override { PosixFolder::UseKernelResolve(true); }

  std::unique_ptr<Folder> Open(const std::string& path) {
    std::unique_ptr<Folder> folder = SystemFileSystem().OpenFolder(path, nullptr);
    EXPECT_TRUE(folder) << path;
    return folder;
  }

  TempDir dir;
};

TEST_P(FolderTest, ASubfolderIsNeverOpenedThroughALink) {
  WriteFile(dir / "web/sub/page.htm", "page");
  WriteFile(dir / "elsewhere/secret.htm", "secret");
  WriteFile(dir / "web/file.htm", "file");
  std::unique_ptr<Folder> web = Open(dir / "web");
  std::string error;
  std::unique_ptr<Folder> sub = web->OpenFolder("sub", &error);
  ASSERT_TRUE(sub) << error;
  EXPECT_EQ(sub->Path(), dir / "web/sub");
  EXPECT_EQ(sub->PathOf("page.htm"), dir / "web/sub/page.htm");

  fs::rename(dir / "web/sub", dir / "web/moved");
  fs::create_directory_symlink(dir / "elsewhere", dir / "web/sub");
  fs::create_symlink(dir / "web/file.htm", dir / "web/filelink");
  for (const char* name : {"sub", "filelink", "file.htm"}) {
    error.clear();
    EXPECT_FALSE(web->OpenFolder(name, &error)) << name;
    EXPECT_EQ(error, "a link or other entry is in the way") << name;
  }
  // Nothing but one entry's name: the kernel's resolution and the fallback agree on that.
  WriteFile(dir / "web/moved/deeper/page.htm", "page");
  for (const char* name : {"..", ".", "", "moved/deeper"}) {
    error.clear();
    EXPECT_FALSE(web->OpenFolder(name, &error)) << name;
    EXPECT_EQ(error, "not a name of an entry of the folder") << name;
  }
  error.clear();
  EXPECT_FALSE(web->OpenFolder("missing", &error));
  EXPECT_EQ(error, std::strerror(ENOENT));
  // The listing passes the link over too; the root itself is opened through links.
  FolderListing listing;
  ASSERT_TRUE(web->List(listing, &error));
  EXPECT_EQ(listing.folders, std::vector<std::string>{"moved"});
  EXPECT_EQ(listing.files, (std::vector<std::string>{"file.htm", "filelink"}));
  EXPECT_TRUE(SystemFileSystem().OpenFolder(dir / "web/sub", nullptr));
}

TEST_P(FolderTest, AHeldFolderActsInTheFolderItOpenedAfterItsNameLeadsElsewhere) {
  WriteFile(dir / "web/sub/old.htm", "old");
  WriteFile(dir / "web/sub/log.ini", "a\n");
  WriteFile(dir / "web/sub/gone.htm", "gone");
  WriteFile(dir / "web/sub/empty/.keep", "");
  fs::remove(dir / "web/sub/empty/.keep");
  WriteFile(dir / "web/source.htm", "source");
  std::unique_ptr<Folder> web = Open(dir / "web");
  std::unique_ptr<Folder> sub = web->OpenFolder("sub", nullptr);
  ASSERT_TRUE(sub);
  FileIdentity before;
  ASSERT_TRUE(sub->HeldIdentity(before));

  // The folder moves away and its name becomes a link to a decoy with the same entries.
  fs::rename(dir / "web/sub", dir / "held");
  WriteFile(dir / "decoy/old.htm", "decoy");
  WriteFile(dir / "decoy/log.ini", "decoy\n");
  WriteFile(dir / "decoy/gone.htm", "decoy");
  fs::create_directory(dir / "decoy/empty");
  fs::create_directory_symlink(dir / "decoy", dir / "web/sub");

  std::string error;
  FileIdentity after;
  ASSERT_TRUE(sub->HeldIdentity(after));
  EXPECT_EQ(after, before);
  EXPECT_TRUE(sub->ReplaceFile("old.htm", "new", &error)) << error;
  EXPECT_TRUE(sub->AppendToFile("log.ini", "b\n", &error)) << error;
  EXPECT_TRUE(sub->Rename("old.htm", "renamed.htm", &error)) << error;
  EXPECT_TRUE(sub->DeleteFile("gone.htm", &error)) << error;
  EXPECT_TRUE(sub->DeleteFolder("empty", &error)) << error;
  bool made = false;
  EXPECT_TRUE(sub->CreateFolder("made", made, &error) && made) << error;
  EXPECT_TRUE(sub->CopyFileFrom(*web, "source.htm", true, &error)) << error;
  std::string content;
  EXPECT_TRUE(sub->ReadTextFile("log.ini", content, &error));
  EXPECT_EQ(content, "a\nb\n");

  EXPECT_EQ(ReadFile(dir / "held/renamed.htm"), "new");
  EXPECT_FALSE(Exists(dir / "held/old.htm"));
  EXPECT_FALSE(Exists(dir / "held/gone.htm"));
  EXPECT_FALSE(Exists(dir / "held/empty"));
  EXPECT_TRUE(fs::is_directory(dir / "held/made"));
  EXPECT_EQ(ReadFile(dir / "held/source.htm"), "source");
  EXPECT_TRUE(testing::LeftoverTempFiles(dir / "held").empty());
  // The decoy is untouched.
  EXPECT_EQ(ReadFile(dir / "decoy/old.htm"), "decoy");
  EXPECT_EQ(ReadFile(dir / "decoy/log.ini"), "decoy\n");
  EXPECT_EQ(ReadFile(dir / "decoy/gone.htm"), "decoy");
  EXPECT_TRUE(fs::is_directory(dir / "decoy/empty"));
  EXPECT_EQ(fs::directory_iterator(dir / "decoy/empty"), fs::directory_iterator());
  EXPECT_EQ(std::distance(fs::directory_iterator(dir / "decoy"), fs::directory_iterator()), 4);
  // Deleting never takes a folder; a file put where a folder was is not one.
  EXPECT_FALSE(sub->DeleteFile("made", &error));
  EXPECT_EQ(error, "is a folder");
  EXPECT_FALSE(sub->DeleteFolder("renamed.htm", &error));
}

// Runs check in a child process with a mount namespace of its own, in which sub-folders
// "tmpfs" (a file system of its own) and "bind" (a folder of the same file system mounted a
// second time) of web are mounts. The child's exit status: 0 passed, 77 no namespace could be
// made here, anything else the number of the failed expectation.
int InMountNamespace(const std::string& root, bool kernelResolve) {
  pid_t child = ::fork();
  if (child == 0) {
    if (::unshare(CLONE_NEWNS) != 0 ||
        ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        ::mount("tmpfs", (root + "/web/tmpfs").c_str(), "tmpfs", 0, nullptr) != 0 ||
        ::mount((root + "/other").c_str(), (root + "/web/bind").c_str(), nullptr, MS_BIND,
                nullptr) != 0)
      ::_exit(77);
    PosixFolder::UseKernelResolve(kernelResolve);
    std::unique_ptr<Folder> web = SystemFileSystem().OpenFolder(root + "/web", nullptr);
    if (!web) ::_exit(1);
    int failed = 0;
    for (const char* name : {"tmpfs", "bind"}) {
      std::string error;
      ++failed;
      if (web->OpenFolder(name, &error) || error != "another mount is in the way") ::_exit(failed);
    }
    // The mounts themselves are opened by their paths, and their entries are there.
    if (!SystemFileSystem().OpenFolder(root + "/web/bind", nullptr) ||
        !SystemFileSystem().LookUp(root + "/web/bind/inside.htm"))
      ::_exit(10);
    if (!web->OpenFolder("plain", nullptr)) ::_exit(11);
    ::_exit(0);
  }
  int status = 0;
  if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

TEST_P(FolderTest, ASubfolderIsNeverOpenedOnAnotherMount) {
  fs::create_directories(dir / "web/tmpfs");
  fs::create_directories(dir / "web/bind");
  fs::create_directories(dir / "web/plain");
  WriteFile(dir / "other/inside.htm", "inside");
  const int status = InMountNamespace(dir.path(), GetParam());
  if (status == 77)
    GTEST_SKIP() << "no private mount namespace can be made here (needs CAP_SYS_ADMIN)";
  EXPECT_EQ(status, 0) << "expectation " << status << " failed in the namespace";
}

INSTANTIATE_TEST_SUITE_P(Resolve, FolderTest, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? std::string("Kernel") : std::string("OwnCheck");
                         });

// The attributes as the old enumeration gave them: normal only when no other bit is set.
TEST(FolderEntryTest, AttributesTellFoldersReadOnlyAndHiddenEntries) {
  TempDir dir;
  WriteFile(dir / "web/plain.htm", "p");
  WriteFile(dir / "web/locked.htm", "l");
  WriteFile(dir / "web/.hidden", "h");
  WriteFile(dir / "web/.frozen/x.htm", "x");
  fs::create_directories(dir / "web/sub");
  fs::permissions(dir / "web/locked.htm", fs::perms::owner_write, fs::perm_options::remove);
  fs::permissions(dir / "web/.frozen", fs::perms::owner_write, fs::perm_options::remove);
  std::unique_ptr<Folder> web = SystemFileSystem().OpenFolder(dir / "web", nullptr);
  ASSERT_TRUE(web);
  const std::pair<const char*, std::uint32_t> cases[] = {
      {"plain.htm", kAttrNormal},
      {"locked.htm", kAttrReadOnly},
      {".hidden", kAttrHidden},
      {"sub", kAttrDirectory},
      {".frozen", kAttrDirectory | kAttrReadOnly | kAttrHidden},
  };
  for (const auto& [name, attributes] : cases) {
    std::optional<FindEntry> entry = web->LookUp(name);
    ASSERT_TRUE(entry) << name;
    EXPECT_EQ(entry->attributes, attributes) << name;
  }
  fs::permissions(dir / "web/.frozen", fs::perms::owner_write, fs::perm_options::add);
}

// A source changed after it was opened for the copy: the copy fails, and keeps the time from
// before the change, so that the next run sees the source newer and copies it again.
TEST(FolderCopyTest, ASourceChangedWhileItIsCopiedFailsTheCopy) {
  class ChangedWhenOpened : public ForwardingFolder {
   public:
    ChangedWhenOpened(std::unique_ptr<Folder> inner, std::function<void()> change)
        : ForwardingFolder(std::move(inner)), change_(std::move(change)) {}
    bool OpenForCopy(const std::string& name, OpenedFile& file, std::string* error) override {
      const bool opened = inner_->OpenForCopy(name, file, error);
      if (opened) change_();
      return opened;
    }
    std::function<void()> change_;
  };
  TempDir dir;
  const std::string source = dir / "web/page.htm";
  fs::create_directories(dir / "ftp");
  std::unique_ptr<Folder> ftp = SystemFileSystem().OpenFolder(dir / "ftp", nullptr);
  ASSERT_TRUE(ftp);
  // Grown at the end, and rewritten in place to the same size with a new time.
  const std::function<void()> changes[] = {[&] { WriteFile(source, "page, longer"); },
                                           [&] {
                                             WriteFile(source, "PAGE");
                                             SetWriteTime(source, 3000);
                                           }};
  for (bool expectNew : {true, false}) {
    for (const std::function<void()>& change : changes) {
      WriteFile(source, "page");
      SetWriteTime(source, 2000);
      ChangedWhenOpened web(SystemFileSystem().OpenFolder(dir / "web", nullptr), change);
      std::string error;
      EXPECT_FALSE(ftp->CopyFileFrom(web, "page.htm", expectNew, &error));
      EXPECT_EQ(error, "the file changed while it was copied");
      if (Exists(dir / "ftp/page.htm")) {
        EXPECT_EQ(WriteTimeOf(dir / "ftp/page.htm"), 2000);
        fs::remove(dir / "ftp/page.htm");
      }
      EXPECT_NE(WriteTimeOf(source), 2000);
    }
  }
}

// A held folder that was removed has no place for a new file, even for the administrator.
TEST(FolderCopyTest, ACopyIntoAFolderRemovedWhileHeldFailsAndSaysWhy) {
  TempDir dir;
  WriteFile(dir / "web/page.htm", "page");
  fs::create_directories(dir / "ftp/sub");
  std::unique_ptr<Folder> web = SystemFileSystem().OpenFolder(dir / "web", nullptr);
  std::unique_ptr<Folder> sub = SystemFileSystem().OpenFolder(dir / "ftp/sub", nullptr);
  ASSERT_TRUE(web && sub);
  fs::remove(dir / "ftp/sub");
  for (bool expectNew : {true, false}) {
    std::string error;
    EXPECT_FALSE(sub->CopyFileFrom(*web, "page.htm", expectNew, &error)) << expectNew;
    EXPECT_EQ(error, std::strerror(ENOENT)) << expectNew;
  }
  EXPECT_FALSE(Exists(dir / "ftp/sub"));
}

// A file whose reading fails (the process's own memory reads as an I/O error at its start)
// is reported at once, not read again and again.
TEST(FolderReadTest, AReadThatFailsIsReported) {
  pid_t child = ::fork();
  if (child == 0) {
    ::alarm(10);  // a read retried for ever ends here
    std::string content, error;
    const bool read = SystemFileSystem().ReadTextFile("/proc/self/mem", content, &error);
    ::_exit(!read && error == std::strerror(EIO) ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status)) << "the read did not end";
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

// The folder that holds a path cannot be opened: nothing is there only when that folder is
// missing or is a file.
TEST(FolderFaultTest, APathInAFolderThatCannotBeOpenedIsInaccessible) {
  TempDir dir;
  WriteFile(dir / "held/x.htm", "x");
  WriteFile(dir / "file", "f");
  testing::FailingFileSystem failing;
  failing.FailWhen(testing::FsOp::kOpenFolder, dir / "held");
  std::string reason;
  EXPECT_TRUE(failing.Inaccessible(dir / "held/x.htm", &reason));
  EXPECT_EQ(reason, "injected failure");
  EXPECT_TRUE(failing.Inaccessible(dir / "held/deeper/x.htm", nullptr));
  EXPECT_FALSE(failing.Inaccessible(dir / "missing/x.htm", nullptr));
  EXPECT_FALSE(failing.Inaccessible(dir / "file/x.htm", nullptr));
}

// Faults reach the held folders a double hands out, on either side of a copy.
TEST(FolderFaultTest, RulesStrikeInHeldFoldersByTheirComposedPaths) {
  TempDir dir;
  WriteFile(dir / "a/sub/x.htm", "x");
  fs::create_directories(dir / "a/sub/empty");
  fs::create_directories(dir / "b");
  testing::FailingFileSystem failing;
  failing.FailWhen(testing::FsOp::kRename, "sub/x.htm");
  failing.FailWhen(testing::FsOp::kDeleteFolder, "sub/empty");
  failing.FailWhen(testing::FsOp::kCopyFile, "a/sub/x.htm");
  failing.FailWhen(testing::FsOp::kOpenFolder, "b/c");
  failing.FailWhen(testing::FsOp::kReadFolder, "a/sub");
  std::unique_ptr<Folder> a = failing.OpenFolder(dir / "a", nullptr);
  ASSERT_TRUE(a);
  std::unique_ptr<Folder> sub = a->OpenFolder("sub", nullptr);
  std::unique_ptr<Folder> b = failing.OpenFolder(dir / "b", nullptr);
  ASSERT_TRUE(sub && b);
  std::string error;
  EXPECT_FALSE(sub->Rename("x.htm", "y.htm", &error));
  EXPECT_EQ(error, "injected failure");
  EXPECT_FALSE(sub->DeleteFolder("empty", nullptr));
  EXPECT_FALSE(b->CopyFileFrom(*sub, "x.htm", true, nullptr));
  FolderListing listing;
  EXPECT_FALSE(sub->List(listing, nullptr));
  bool made = false;
  EXPECT_TRUE(b->CreateFolder("c", made, nullptr));
  EXPECT_FALSE(b->OpenFolder("c", nullptr));
  EXPECT_FALSE(failing.ReadFolder(dir / "b/c", listing, nullptr));
  EXPECT_TRUE(Exists(dir / "a/sub/x.htm"));
  EXPECT_TRUE(Exists(dir / "a/sub/empty"));
  EXPECT_FALSE(Exists(dir / "b/x.htm"));
  for (testing::FsOp op : {testing::FsOp::kRename, testing::FsOp::kDeleteFolder,
                           testing::FsOp::kCopyFile, testing::FsOp::kReadFolder})
    EXPECT_EQ(failing.Failed(op), 1) << testing::FsOpName(op);
  EXPECT_EQ(failing.Failed(testing::FsOp::kOpenFolder), 2);
  // The source side refuses too, whatever the target.
  std::unique_ptr<Folder> plain = SystemFileSystem().OpenFolder(dir / "b", nullptr);
  EXPECT_FALSE(plain->CopyFileFrom(*sub, "x.htm", true, &error));
  EXPECT_EQ(error, "injected failure");
  EXPECT_FALSE(Exists(dir / "b/x.htm"));
}

}  // namespace
}  // namespace tarnwick
