#include "engine/source_memory.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "base/path.h"
#include "settings/ini_editor.h"
#include "settings/settings_store.h"
#include "support/new_user_options.h"
#include "support/temp_dir.h"

namespace tarnwick {
namespace {

using testing::Exists;
using testing::ReadFile;
using testing::WriteFile;

using Webs = std::vector<std::string>;

// Where names match without regard to case, another spelling of a web is the web; elsewhere
// the spelling has to name the same folder.
#ifdef _WIN32
constexpr bool kCaseBlind = true;
#else
constexpr bool kCaseBlind = false;
#endif

class SourceMemoryTest : public ::testing::Test {
 protected:
  std::string File() const { return dir_ / "settings.db"; }

  // The values of keys "1" to "12" as stored, up to the last key present.
  Webs Positions() {
    IniEditor editor;
    editor.IniFile = File();
    editor.IniSection = "Positions";
    const std::string missing = "<missing>";
    Webs values;
    for (int k = 1; k <= 12; ++k) {
      values.push_back(ReadStoredValue(editor, std::to_string(k), missing));
    }
    while (!values.empty() && values.back() == missing) values.pop_back();
    return values;
  }

  testing::TempDir dir_;
};

TEST_F(SourceMemoryTest, ProposesSourceFtpUntilAConversionIsRemembered) {
  SourceMemory memory(File());
  EXPECT_EQ(memory.ProposedDestination("/webs/Site"), "/webs/Site-FTP");
  EXPECT_EQ(memory.LoadRecentWebs(), Webs{});
  EXPECT_TRUE(memory.RememberConversion("/webs/Site", "/srv/upload/site"));
  EXPECT_EQ(memory.ProposedDestination("/webs/Site"), "/srv/upload/site");
  EXPECT_EQ(memory.ProposedDestination("/WEBS/site"),
            kCaseBlind ? "/srv/upload/site" : "/WEBS/site-FTP");
  // A later run with another destination replaces the memory; the web is first already, and
  // where case does not matter so is another spelling of it.
  EXPECT_FALSE(
      memory.RememberConversion(kCaseBlind ? "/WEBS/site" : "/webs/Site", "/srv/upload/site2"));
  EXPECT_EQ(memory.ProposedDestination("/webs/Site"), "/srv/upload/site2");
  EXPECT_EQ(memory.LoadRecentWebs(), Webs{"/webs/Site"});
}

TEST_F(SourceMemoryTest, LongPathsAreRememberedWhole) {
  SourceMemory memory(File());
  std::string source = "/webs/" + std::string(280, 's');
  std::string dest = "/out/" + std::string(280, 'd');
  memory.RememberConversion(source, dest);
  EXPECT_EQ(memory.ProposedDestination(source), dest);
  EXPECT_EQ(memory.LoadRecentWebs(), Webs{source});
  // Found again in key "1": nothing moves and no cut copy is pushed back.
  EXPECT_FALSE(memory.RememberConversion(source, dest));
  Webs padded{source};
  padded.resize(12);  // a new web writes every key up to "12", the empty ones included
  EXPECT_EQ(Positions(), padded);
}

#ifndef _WIN32
TEST_F(SourceMemoryTest, NamesThatDifferInCaseShareAMemoryOnlyWhenTheyNameOneFolder) {
  const std::string site = dir_ / "Site";
  const std::string other = dir_ / "site";
  const std::string linked = dir_ / "SITE";
  testing::MakeFolder(site);
  testing::MakeFolder(other);
  std::filesystem::create_directory_symlink(site, linked);
  SourceMemory memory(File());
  memory.RememberConversion(site, dir_ / "out/A");
  EXPECT_EQ(memory.ProposedDestination(other), other + "-FTP");
  EXPECT_EQ(memory.ProposedDestination(linked), dir_ / "out/A");
  memory.RememberConversion(other, dir_ / "out/B");
  EXPECT_EQ(memory.LoadRecentWebs(), (Webs{other, site}));
  EXPECT_EQ(memory.ProposedDestination(site), dir_ / "out/A");
  EXPECT_EQ(memory.ProposedDestination(other), dir_ / "out/B");
  // Another name of Site's folder changes Site's memory, and only that.
  memory.RememberConversion(linked, dir_ / "out/C");
  EXPECT_EQ(memory.ProposedDestination(site), dir_ / "out/C");
  EXPECT_EQ(memory.ProposedDestination(linked), dir_ / "out/C");
  EXPECT_EQ(memory.ProposedDestination(other), dir_ / "out/B");
  EXPECT_EQ(memory.LoadRecentWebs(), (Webs{linked, other}));
  const std::string file = ReadFile(File());
  EXPECT_EQ(file.substr(0, file.find("[Positions]")), "[DIDOvivavovo]\r\n" + site + "=" +
                                                          (dir_ / "out/C") + "\r\n" + other + "=" +
                                                          (dir_ / "out/B") + "\r\n");
}
#endif

// A recent web stands for the web when it names the same folder: a separator at its end (as a
// hand edit may leave it), or another path to the folder where the folder is there.
TEST_F(SourceMemoryTest, RecentWebsAreComparedAsFolders) {
  const std::string sep(1, kPathSeparator);
  const std::string r = dir_ / "R", s = dir_ / "S", gone = dir_ / "gone";
  testing::MakeFolder(r);
  testing::MakeFolder(s);
  WriteFile(File(), "[Positions]\r\n1=" + (dir_ / "P") + "\r\n2=" + r + sep +
                        "\r\n3=" + (dir_ / "Q") + "\r\n4=" + gone + sep + sep +
                        "\r\n5=" + dir_.path() + sep + "." + sep + "S\r\n6=\r\n[DIDOvivavovo]\r\n" +
                        r + sep + "=" + (dir_ / "out") + "\r\n");
  SourceMemory memory(File());
  EXPECT_EQ(memory.ProposedDestination(r), dir_ / "out");
  memory.RememberConversion(r, dir_ / "out2");
  EXPECT_EQ(memory.ProposedDestination(r), dir_ / "out2");
  memory.RememberConversion(gone, dir_ / "out");
  memory.RememberConversion(s, dir_ / "out");
  EXPECT_EQ(Positions(), (Webs{s, gone, r, dir_ / "P", dir_ / "Q", ""}));
  EXPECT_FALSE(memory.RememberConversion(s + sep, dir_ / "out"));
}

TEST_F(SourceMemoryTest, TwelveFullDropsTheFormerTwelfth) {
  std::string content = "[Positions]\r\n";
  for (int k = 1; k <= 12; ++k) content += std::to_string(k) + "=w" + std::to_string(k) + "\r\n";
  WriteFile(dir_ / "settings.db", content);
  SourceMemory memory(File());
  memory.RememberConversion("new", "/out");
  EXPECT_EQ(Positions(),
            (Webs{"new", "w1", "w2", "w3", "w4", "w5", "w6", "w7", "w8", "w9", "w10", "w11"}));
  // A web only in key "12" is not searched: it is pushed in again at the front.
  memory.RememberConversion("w11", "/out");
  EXPECT_EQ(Positions(),
            (Webs{"w11", "new", "w1", "w2", "w3", "w4", "w5", "w6", "w7", "w8", "w9", "w10"}));
  // One in key "11" moves to the front and key "12" stays.
  memory.RememberConversion("w9", "/out");
  EXPECT_EQ(Positions(),
            (Webs{"w9", "w11", "new", "w1", "w2", "w3", "w4", "w5", "w6", "w7", "w8", "w10"}));
}

TEST_F(SourceMemoryTest, BlanksCountAsNothingAndOtherValuesAreKeptAsStored) {
  WriteFile(dir_ / "settings.db",
            "[Positions]\r\n1=/webs/one\r\n2=   \r\n3=\" /webs/two \"\r\n4=\r\n"
            "11=/webs/eleven\r\n10=/webs/ten\r\n[DIDOvivavovo]\r\n/a='   '\r\n/b=\r\n/c=\"\"\r\n");
  SourceMemory memory(File());
  EXPECT_EQ(memory.LoadRecentWebs(), (Webs{"/webs/one", " /webs/two ", "/webs/ten"}));
  for (const std::string web : {"/a", "/b", "/c"})
    EXPECT_EQ(memory.ProposedDestination(web), web + "-FTP");
}

// Blanks at the ends of a folder name are part of it, and so is every other character the
// profile would take for its own: each name keeps a memory of its own.
TEST_F(SourceMemoryTest, NamesKeepTheBlanksAtTheirEnds) {
  SourceMemory memory(File());
  EXPECT_TRUE(memory.RememberConversion("/webs/web ", "/out "));
  EXPECT_FALSE(memory.RememberConversion("/webs/web ", "/out "));
  EXPECT_EQ(memory.ProposedDestination("/webs/web "), "/out ");
  EXPECT_EQ(memory.ProposedDestination("/webs/web"), "/webs/web-FTP");
  EXPECT_EQ(memory.LoadRecentWebs(), Webs{"/webs/web "});
  EXPECT_TRUE(memory.RememberConversion("/webs/web", "/site"));
  EXPECT_EQ(memory.ProposedDestination("/webs/web "), "/out ");
  EXPECT_EQ(memory.ProposedDestination("/webs/web"), "/site");
  EXPECT_EQ(memory.LoadRecentWebs(), (Webs{"/webs/web", "/webs/web "}));

  const Webs names = {" /lead",    "\t/tabs\t", "/a%20", "/100%", "/%2525",     "\"/quoted\"",
                      "'/single'", "[x",        ";x",    "/a=b",  "/two\nlines"};
  for (const std::string& name : names) memory.RememberConversion(name, name + "/ftp ");
  for (const std::string& name : names)
    EXPECT_EQ(memory.ProposedDestination(name), name + "/ftp ") << name;
  EXPECT_EQ(memory.LoadRecentWebs(), Webs(names.rbegin(), names.rbegin() + 10));
}

// What earlier versions wrote is read as they read it: the names as they stand, without the
// blanks and quotes around them, a "%" as a "%".
TEST_F(SourceMemoryTest, SettingsWrittenBeforeReadAsBefore) {
  WriteFile(File(),
            "[DIDOvivavovo]\r\n/webs/100%=/out/100%\r\n/webs/My%20Site=/out/My%20Site\r\n"
            "/webs/plain = /out/plain \r\n/webs/quoted=\"/out/quoted\"\r\n"
            "[Positions]\r\n1=/webs/My%20Site\r\n2= /webs/plain \r\n3=/webs/100%\r\n");
  SourceMemory memory(File());
  EXPECT_EQ(memory.ProposedDestination("/webs/100%"), "/out/100%");
  EXPECT_EQ(memory.ProposedDestination("/webs/My%20Site"), "/out/My%20Site");
  EXPECT_EQ(memory.ProposedDestination("/webs/My Site"), "/webs/My Site-FTP");
  EXPECT_EQ(memory.ProposedDestination("/webs/plain"), "/out/plain");
  EXPECT_EQ(memory.ProposedDestination("/webs/quoted"), "/out/quoted");
  EXPECT_EQ(memory.LoadRecentWebs(), (Webs{"/webs/My%20Site", "/webs/plain", "/webs/100%"}));
  // Found where it stands, and remembered anew under the one key.
  EXPECT_TRUE(memory.RememberConversion("/webs/100%", "/out/new"));
  EXPECT_EQ(memory.ProposedDestination("/webs/100%"), "/out/new");
  EXPECT_EQ(memory.LoadRecentWebs(), (Webs{"/webs/100%", "/webs/My%20Site", "/webs/plain"}));
  EXPECT_TRUE(memory.RememberConversion("/webs/plain", "/out/plain2"));
  EXPECT_EQ(memory.ProposedDestination("/webs/plain"), "/out/plain2");
  EXPECT_EQ(memory.LoadRecentWebs(), (Webs{"/webs/plain", "/webs/100%", "/webs/My%20Site"}));
}

// A run that ends beside the window remembers its web while the window saves its options: both
// rewrite settings.db, and neither may lose the other's change.
TEST_F(SourceMemoryTest, RememberingBesideOptionSavesLosesNothing) {
  constexpr int kRounds = 12;
  std::thread run([this] {
    SourceMemory memory(File());
    for (int i = 0; i < kRounds; ++i)
      memory.RememberConversion("/webs/w" + std::to_string(i), "/sites/s" + std::to_string(i));
  });
  Options options = testing::NewUserOptions();
  for (int i = 0; i < kRounds; ++i) {
    options.CompareSize = static_cast<std::int16_t>(i % 2);
    options.FTPPath = "/bin/ftp" + std::to_string(i);
    EXPECT_TRUE(SaveOptions(File(), options));
  }
  run.join();
  const SourceMemory memory(File());
  for (int i = 0; i < kRounds; ++i)
    EXPECT_EQ(memory.ProposedDestination("/webs/w" + std::to_string(i)),
              "/sites/s" + std::to_string(i));
  EXPECT_EQ(Positions().front(), "/webs/w" + std::to_string(kRounds - 1));
  const LoadedOptions loaded = LoadOptions(File());
  EXPECT_EQ(loaded.options.FTPPath, options.FTPPath);
  EXPECT_EQ(loaded.options.CompareSize, options.CompareSize);
}

}  // namespace
}  // namespace tarnwick
