// Where Windows differs: drive roots, names without regard to case, the read-only attribute,
// links that are reparse points, and names outside the ANSI code page.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "base/folder_path.h"
#include "engine/conversion_run.h"
#include "platform/file_system.h"
#include "platform/windows_api.h"
#include "platform/windows_text.h"
#include "rules/file_compare.h"
#include "settings/ini_editor.h"
#include "settings/settings_store.h"
#include "support/new_user_options.h"
#include "support/temp_dir.h"

namespace tarnwick {
namespace {

using testing::Exists;
using testing::Join;
using testing::ReadFile;
using testing::SetWriteTime;
using testing::TempDir;
using testing::WriteFile;
using testing::WriteTimeOf;

bool SetAttributes(const std::string& path, DWORD attributes) {
  return SetFileAttributesW(WideFromUtf8(path).c_str(), attributes) != 0;
}

DWORD AttributesOf(const std::string& path) {
  return GetFileAttributesW(WideFromUtf8(path).c_str());
}

// A name the ANSI code page cannot hold, whichever code page the machine has; empty when it
// holds them all (a UTF-8 code page).
std::string NameOutsideAnsi() {
  for (const char* candidate : {"\xE6\x97\xA5\xE6\x9C\xAC", "\xCE\xA9mega", "\xD0\x96"}) {
    std::string bytes;
    if (!AnsiFileBytes(candidate, bytes)) return candidate;
  }
  return {};
}

TEST(Win32FileSystemTest, OneFolderWhateverTheCaseOfItsName) {
  TempDir dir;
  std::string web = dir / "Web";
  WriteFile(dir / "Web/Index.htm", "home");
  WriteFile(dir / "Web/sub/Page.htm", "page");
  std::string lower = LowerCase(web);

  EXPECT_EQ(ConversionRun::CheckFolders(web, dir / "WEB/ftp").kind, RefusalKind::kNested);
  EXPECT_EQ(ConversionRun::CheckFolders(Join(lower, "sub"), web + "-FTP").kind, RefusalKind::kNone);

  // A page whose copy differs only in the case of its name is the same page: it is compared,
  // not swept.
  std::string ftp = dir / "Web-FTP";
  WriteFile(Join(ftp, "INDEX.HTM"), "home");
  SetWriteTime(Join(web, "Index.htm"), 1000000000);
  SetWriteTime(Join(ftp, "INDEX.HTM"), 1000000000);
  ConversionRun run(testing::NewUserOptions(), {});
  RunResult result = run.Run(lower, ftp);
  ASSERT_TRUE(result.Finished());
  EXPECT_EQ(result.failures.size(), 0u);
  EXPECT_EQ(result.deleted, 0);
  EXPECT_EQ(ReadFile(Join(ftp, "index.htm")), "home");
  EXPECT_TRUE(Exists(Join(ftp, "SUB\\page.htm")));
  // Only the sub-folder's page is new; the unchanged home page is not an upload.
  EXPECT_FALSE(Exists(Join(ftp + "-Uploads", "Index.htm")));
  EXPECT_TRUE(Exists(Join(ftp + "-Uploads", "sub\\Page.htm")));
}

TEST(Win32FileSystemTest, DriveRootIsAFolderWithItsSeparator) {
  char drive[] = "C:\\";
  EXPECT_EQ(AddBackslash(drive), "C:\\");
  EXPECT_EQ(AddBackslash("C:\\Web"), "C:\\Web\\");
  // What the user types is made whole the way the system reads it: ".." off the text first.
  EXPECT_EQ(FolderPath("C:\\").Text(), "C:\\");
  EXPECT_EQ(LowerCase(FolderPath("c:\\windows\\..").Text()), "c:\\");
  EXPECT_EQ(FolderPath("C:/no-such-folder/./deeper\\").Text(), "C:\\no-such-folder\\deeper");

  FileSystem& fs = SystemFileSystem();
  std::optional<FindEntry> root = fs.LookUp(drive);
  ASSERT_TRUE(root);
  EXPECT_TRUE(root->IsFolder());
  FolderListing listing;
  std::string error;
  ASSERT_TRUE(fs.ReadFolder(drive, listing, &error)) << error;
  bool hasWindows = false;
  for (const std::string& folder : listing.folders) hasWindows |= EqualsNoCase(folder, "windows");
  EXPECT_TRUE(hasWindows);
  for (const std::string& name : listing.folders) EXPECT_NE(name, "..");
  // The file list of the root needs no separator added, and no doubled one.
  EXPECT_EQ(ListFiles(fs, drive), listing.files);

  // A destination directly on a drive root has the root as its existing parent.
  TempDir dir;
  WriteFile(dir / "web/a.htm", "a");
  // The drive itself holds the web: no separator can be taken off a root.
  EXPECT_EQ(ConversionRun::CheckFolders(dir / "web", "C:\\").kind, RefusalKind::kNested);
  EXPECT_NE(ConversionRun::CheckFolders(dir / "web", "C:\\tarnwick-no-such-web-FTP").kind,
            RefusalKind::kDestinationParentMissing);
}

TEST(Win32FileSystemTest, ReadOnlyAttributeGuardsATarget) {
  TempDir dir;
  FileSystem& fs = SystemFileSystem();
  std::string source = dir / "new.htm";
  std::string target = dir / "old.htm";
  WriteFile(source, "new content");
  SetWriteTime(source, 1234567890);
  WriteFile(target, "old");
  ASSERT_TRUE(SetAttributes(target, FILE_ATTRIBUTE_READONLY));
  std::string error;
  EXPECT_FALSE(fs.CopyFile(source, target, &error));
  EXPECT_EQ(error, "the target is read-only");
  EXPECT_EQ(ReadFile(target), "old");
  std::optional<FindEntry> entry = fs.LookUp(target);
  ASSERT_TRUE(entry);
  EXPECT_TRUE(entry->attributes & kAttrReadOnly);
  EXPECT_FALSE(fs.DeleteFile(target, &error));
  EXPECT_TRUE(Exists(target));

  // Once writable the copy replaces it, keeping the time; a hidden target is replaced too.
  ASSERT_TRUE(SetAttributes(target, FILE_ATTRIBUTE_HIDDEN));
  ASSERT_TRUE(fs.CopyFile(source, target, &error)) << error;
  EXPECT_EQ(ReadFile(target), "new content");
  EXPECT_EQ(WriteTimeOf(target), 1234567890);
  EXPECT_FALSE(AttributesOf(target) & FILE_ATTRIBUTE_HIDDEN);
  EXPECT_FALSE(fs.CopyFile(source, LowerCase(source), &error));
  EXPECT_EQ(error, "source and target are the same file");
  EXPECT_EQ(ReadFile(source), "new content");
}

// Hard links and read-only sources in a whole run are in conversion_run_test.cpp; this is
// the case a plain Windows copy would get wrong: a target that is a second name of its source.
TEST(Win32FileSystemTest, ACopyOverASecondNameOfItsSourceIsAFileOfItsOwn) {
  TempDir dir;
  FileSystem& fs = SystemFileSystem();
  const std::string source = dir / "web/a.htm";
  WriteFile(source, "new");
  testing::MakeFolder(dir / "ftp");
  ASSERT_TRUE(CreateHardLinkW(WideFromUtf8(dir / "ftp/b.htm").c_str(), WideFromUtf8(source).c_str(),
                              nullptr));
  std::string error;
  ASSERT_TRUE(fs.CopyFile(source, dir / "ftp/b.htm", &error)) << error;
  WriteFile(dir / "ftp/b.htm", "changed in the FTP web");
  EXPECT_EQ(ReadFile(source), "new");

  EXPECT_GE(fs.WriteTimeStep(dir / "probe"), 100);
  EXPECT_FALSE(Exists(dir / "probe"));
  EXPECT_FALSE(fs.DeleteFolder(dir / "ftp", &error));  // not empty
}

TEST(Win32FileSystemTest, NamesOutsideTheAnsiCodePageAreCopiedAndLogged) {
  std::string odd = NameOutsideAnsi();
  // With a UTF-8 code page every name fits; the copy is still tested, under a non-ASCII name.
  if (odd.empty()) odd = "\xCE\xA9mega";
  TempDir dir;
  std::string web = dir / ("Web " + odd);
  std::string page = odd + ".htm";
  WriteFile(Join(web, page), "page");
  WriteFile(Join(web, odd + "\\inner.htm"), "inner");
  WriteFile(Join(web, "plain.htm"), "plain");
  std::string ftp = web + "-FTP";

  ConversionRun run(testing::NewUserOptions(), {});
  RunResult result = run.Run(web, ftp);
  ASSERT_TRUE(result.Finished());
  EXPECT_EQ(result.failures.size(), 0u);
  EXPECT_EQ(result.copied, 3);
  EXPECT_EQ(ReadFile(Join(ftp, page)), "page");
  EXPECT_EQ(ReadFile(Join(ftp, odd + "\\inner.htm")), "inner");
  EXPECT_EQ(ReadFile(Join(ftp + "-Uploads", page)), "page");

  // The log names every file; the name comes back as it went in.
  IniEditor editor;
  editor.IniFile = Join(ftp, "changes.ini");
  editor.IniSection = "Changed";
  const auto logged = editor.ReadWholeSection();
  ASSERT_EQ(logged.size(), 3u);
  EXPECT_NE(std::find_if(logged.begin(), logged.end(),
                         [&](const auto& entry) { return entry.first == Join(web, page); }),
            logged.end());
}

TEST(Win32FileSystemTest, ProfilesKeepTheAnsiCodePage) {
  TempDir dir;
  std::string file = dir / "settings.db";
  // "Caf" and e-acute in the ANSI code page, as an earlier version wrote it.
  std::wstring cafe = L"Caf\u00E9";
  char ansi[16] = {};
  BOOL lost = FALSE;
  int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, cafe.c_str(), -1, ansi,
                                   sizeof ansi, nullptr, GetACP() == CP_UTF8 ? nullptr : &lost);
  ASSERT_GT(length, 0);
  std::string stored = std::string("[Positions]\r\nWeb0=C:\\") + ansi + "\r\n";
  WriteFile(file, stored);

  IniEditor editor;
  editor.IniFile = file;
  editor.IniSection = "Positions";
  std::string utf8 = "C:\\Caf\xC3\xA9";
  if (!lost) {
    EXPECT_EQ(editor.ReadIniValue("Web0", ""), utf8);
  }
  // Written back in the same code page: an earlier version reads it the same.
  ASSERT_EQ(editor.WriteIniValue("Web1", utf8), 1);
  EXPECT_EQ(ReadFile(file), stored + "Web1=C:\\" + ansi + "\r\n");

  std::string odd = NameOutsideAnsi();
  if (odd.empty()) return;  // a UTF-8 code page holds every name
  // A name the code page cannot hold would be lost in it; the file moves to UTF-8, marked.
  ASSERT_EQ(editor.WriteIniValue("Web2", "C:\\" + odd), 1);
  std::string bytes = ReadFile(file);
  EXPECT_EQ(bytes.rfind(std::string(kUtf8Mark), 0), 0u);
  IniEditor fresh;
  fresh.IniFile = file;
  fresh.IniSection = "Positions";
  EXPECT_EQ(fresh.ReadIniValue("Web2", ""), "C:\\" + odd);
  if (!lost) {
    EXPECT_EQ(fresh.ReadIniValue("Web0", ""), utf8);
  }
  EXPECT_EQ(fresh.WriteIniValue("Web0", "x"), 1);
  EXPECT_EQ(fresh.ReadIniValue("Web2", ""), "C:\\" + odd);
  EXPECT_EQ(ReadFile(file).rfind(std::string(kUtf8Mark), 0), 0u);
}

// Makes link a junction (mount point) to the folder target; false where the file system
// cannot hold one.
bool MakeJunction(const std::string& link, const std::string& target) {
  if (!CreateDirectoryW(WideFromUtf8(link).c_str(), nullptr)) return false;
  HANDLE handle = CreateFileW(WideFromUtf8(link).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  std::wstring substitute = L"\\??\\" + WideFromUtf8(target);
  std::wstring print = WideFromUtf8(target);
  USHORT substituteBytes = static_cast<USHORT>(substitute.size() * 2);
  USHORT printBytes = static_cast<USHORT>(print.size() * 2);
  USHORT dataBytes = static_cast<USHORT>(8 + substituteBytes + 2 + printBytes + 2);
  std::vector<unsigned char> buffer(8 + dataBytes, 0);
  DWORD tag = IO_REPARSE_TAG_MOUNT_POINT;
  USHORT header[6] = {dataBytes, 0, 0, substituteBytes, static_cast<USHORT>(substituteBytes + 2),
                      printBytes};
  std::memcpy(buffer.data(), &tag, 4);
  std::memcpy(buffer.data() + 4, header, sizeof header);
  std::memcpy(buffer.data() + 16, substitute.c_str(), substituteBytes);
  std::memcpy(buffer.data() + 16 + substituteBytes + 2, print.c_str(), printBytes);
  DWORD returned = 0;
  BOOL ok = DeviceIoControl(handle, FSCTL_SET_REPARSE_POINT, buffer.data(),
                            static_cast<DWORD>(buffer.size()), nullptr, 0, &returned, nullptr);
  CloseHandle(handle);
  if (!ok) RemoveDirectoryW(WideFromUtf8(link).c_str());
  return ok != 0;
}

TEST(Win32FileSystemTest, JunctionsAreNotEntered) {
  TempDir dir;
  WriteFile(dir / "web/page.htm", "page");
  WriteFile(dir / "other/inside.htm", "inside");
  if (!MakeJunction(dir / "web/loop", dir / "web") ||
      !MakeJunction(dir / "web/linked", dir / "other"))
    GTEST_SKIP() << "this file system cannot hold junctions (Wine before 9 answers "
                    "FSCTL_SET_REPARSE_POINT with ERROR_NOT_SUPPORTED)";
  FolderListing listing;
  ASSERT_TRUE(SystemFileSystem().ReadFolder(dir / "web", listing, nullptr));
  EXPECT_EQ(listing.files, std::vector<std::string>{"page.htm"});
  EXPECT_TRUE(listing.folders.empty());
  EXPECT_FALSE(SystemFileSystem().LookUp(dir / "web/linked"));
  EXPECT_TRUE(SystemFileSystem().Inaccessible(dir / "web/linked", nullptr));
  std::unique_ptr<Folder> web = SystemFileSystem().OpenFolder(dir / "web", nullptr);
  ASSERT_TRUE(web);
  std::string error;
  EXPECT_FALSE(web->OpenFolder("linked", &error));
  EXPECT_EQ(error, "a link or other entry is in the way");
  EXPECT_EQ(ConversionRun::CheckFolders(dir / "web", dir / "web/loop").kind,
            RefusalKind::kSameFolders);
  // Seen through a junction, a folder of the web is still inside it.
  MakeJunction(dir / "elsewhere", dir / "web");
  EXPECT_EQ(ConversionRun::CheckFolders(dir / "web", dir / "elsewhere\\ftp").kind,
            RefusalKind::kNested);
}

bool Move(const std::string& from, const std::string& to) {
  return MoveFileExW(WideFromUtf8(from).c_str(), WideFromUtf8(to).c_str(), 0) != 0;
}

TEST(Win32FileSystemTest, AHeldFolderKeepsItsNameWhileItsEntriesAreHandled) {
  TempDir dir;
  WriteFile(dir / "web/sub/page.htm", "page");
  WriteFile(dir / "web/source.htm", "source");
  std::unique_ptr<Folder> web = SystemFileSystem().OpenFolder(dir / "web", nullptr);
  ASSERT_TRUE(web);
  std::string error;
  std::unique_ptr<Folder> sub = web->OpenFolder("sub", &error);
  ASSERT_TRUE(sub) << error;
  // Nobody can take its name away or remove it while it is held.
  EXPECT_FALSE(Move(dir / "web/sub", dir / "web/moved"));
  EXPECT_FALSE(RemoveDirectoryW(WideFromUtf8(dir / "web/sub").c_str()));
  EXPECT_TRUE(sub->ReplaceFile("log.ini", "a\r\n", &error)) << error;
  EXPECT_TRUE(sub->AppendToFile("log.ini", "b\r\n", &error)) << error;
  EXPECT_TRUE(sub->Rename("page.htm", "renamed.htm", &error)) << error;
  EXPECT_TRUE(sub->CopyFileFrom(*web, "source.htm", true, &error)) << error;
  EXPECT_FALSE(sub->CopyFileAs(*sub, "source.htm", "SOURCE.HTM", false, &error));
  EXPECT_EQ(error, "source and target are the same file");
  EXPECT_EQ(ReadFile(dir / "web/sub/log.ini"), "a\r\nb\r\n");
  EXPECT_EQ(ReadFile(dir / "web/sub/source.htm"), "source");
  EXPECT_TRUE(sub->DeleteFile("renamed.htm", &error)) << error;
  EXPECT_FALSE(Exists(dir / "web/sub/renamed.htm"));
  sub.reset();
  EXPECT_TRUE(Move(dir / "web/sub", dir / "web/moved"));
}

}  // namespace
}  // namespace tarnwick
