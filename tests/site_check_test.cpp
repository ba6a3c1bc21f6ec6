#include "check/site_check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "check/reference.h"
#include "check/target_tally.h"
#include "settings/settings_store.h"
#include "support/failing_file_system.h"
#include "support/new_user_options.h"
#include "support/temp_dir.h"

namespace tarnwick {
namespace {

using testing::TempDir;
using testing::WriteFile;

std::string Lines(const std::vector<std::string>& lines, const std::string& end = "\n") {
  std::string text;
  for (const std::string& line : lines) text += line + end;
  return text;
}

class Collector : public CheckObserver {
 public:
  void FindingFound(const CheckFinding& f) override {
    found.push_back(f.page + "|" + std::to_string(f.line) + "|" + FindingKindName(f.kind) + "|" +
                    f.written);
    sentences.push_back(f.sentence);
  }
  void KeptFileUsed(const std::string& path) override { kept.insert(path); }
  bool CancelRequested() override { return cancelAfter >= 0 && ++asked > cancelAfter; }
  std::vector<std::string> found;
  std::vector<std::string> sentences;
  std::set<std::string> kept;
  int cancelAfter = -1;
  int asked = 0;
};

// A web as the editor leaves it, with one or more of every kind of finding and the harmless
// look-alikes of each.
class SiteCheckTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* file :
         {"images/logo.gif", "images/bg.gif", "images/head.gif", "_borders/WB00516_.gif",
          "_borders/PE00078A.gif", "_borders/images/e.gif", "_overlay/button1.gif",
          "_fpclass/fphover.class", "_private/results.csv", "my_private_borders/x.gif",
          ".hidden/x.gif", "docs/notes.txt", "my page.htm", "vti/a.htm", "borders/b.gif",
          "_border/c.gif", "private/d.htm", "caf\xC3\xA9.gif"})
      Put(file, "x");
    Put("index.htm",
        Lines({"<html><head><title>Home</title>", "<link rel=\"stylesheet\" href=\"style.css\">",
               "<style>body { background: url(\"images/logo.gif\") }",
               "td { background: url(Images/Bg.gif) } /* url(commented.gif) */</style>",
               "</head><body background=\"_borders/WB00516_.gif\">",
               "<img src=\"_borders/PE00078A.gif\"> <img src=\"Images/Logo.GIF\"> <img "
               "src=\".hidden/x.gif\">",
               "<a href=\"docs/notes.txt\">s</a> <a href=\"my%20page.htm?x=1#y\">ok</a>",
               "<a href=\"C:\\My Webs\\y.htm\">l</a> <a href=\"\\\\server\\share\\z.htm\">l</a>",
               "<a href=\"https://example.com/_vti_bin/x\">a</a> <a href=\"#top\">t</a>",
               "<img src=\"images/logo.gif\" usemap=\"#map1\"> <a href=\"?page=2\">p</a> <a "
               "href=\"../../index.htm\">up</a>",
               "<a href=\"vti/a.htm\">v</a> <a href=\"borders/b.gif\">b</a> <a "
               "href=\"_border/c.gif\">c</a> <a href=\"private/d.htm\">d</a>",
               "<img src=\"_borders/images/e.gif\"> <a href=\"sub/\">s</a> <a href=\"sub\">s</a> "
               "<a href=\"_private/results.csv\">r</a> <img src=\"my_private_borders/x.gif\">",
               "<div style=\"background-image: url('IMAGES/logo.gif')\"></div>",
               "<script>document.write(\"<a href='script-only.htm'>x</a>\");</script>",
               "<!-- an ordinary comment that mentions bot=\"SaveResults\" -->",
               "<applet code=\"fphover.class\" codebase=\"_fpclass/\" width=\"120\"></applet>",
               "</body></html>"}));
    Put("forms.htm",
        Lines({"<html><body>", "<form method=\"POST\" action=\"--WEBBOT-SELF--\">",
               "<!--webbot bot=\"SaveResults\" U-File=\"_private/form_results.csv\" "
               "S-Format=\"TEXT/CSV\"",
               " startspan --><strong>[Save Results]</strong><!--webbot bot=\"SaveResults\" "
               "endspan i-checksum=\"43374\" --></form>",
               "<form action=\"_vti_bin/shtml.dll/contact.htm\"><!--webbot BOT=HitCounter "
               "i-image=\"4\" --></form>",
               "<img src=\"_vti_bin/fpcount.exe/?Page=forms.htm|Image=4\">",
               "<!--webbot bot=\"Include\" U-Include=\"_borders/top.htm\" TAG=\"BODY\" "
               "--><!--webbot bot=\"PurpleText\" -->",
               "<!--webbot", "  bot=\"Search\" S-Index=\"All\" -->", "</body></html>"},
              "\r\n"));
    Put("sub/page.htm",
        Lines({"<html><body>",
               "<img src=\"../_overlay/button1.gif\"> <img src=\"/images/none.gif\"> <img "
               "src=\"../images/logo.gif\">",
               "<a href=\"/Sub/Page.htm\">self</a> <a href=\"..\\images\\logo.gif\">bs</a> <a "
               "href=\"%2e%2e/index.htm\">dots</a> <a href=\"a%2Fb.htm\">slash</a>",
               "</body></html>"}));
    Put("sub/based.htm", Lines({"<html><head><base href=\"../images/\"></head><body>",
                                "<img src=\"logo.gif\"><img src=\"gone.gif\">",
                                "<a href=\"/index.htm\">home</a></body></html>"}));
    Put("sub/elsewhere.htm", "<base href=\"http://example.com/\"><img src=\"nothing.gif\">");
    // Not valid HTML: what a browser makes of it counts.
    Put("broken.htm",
        Lines({"<table><tr><td><font face=Arial><p><b>Broken",
               "<img src=missing.gif alt=x><a href='Images/logo.gif'>x</td></font></b>",
               "</tr><<>> <td background=_borders/WB00516_.gif>",
               "</table></i></html></body><a href=\"nothere2.htm", "\">x</a>",
               "<!-- webbot bot=\"Registration\" "}));
    // Windows-1252, as the editor saved most pages.
    Put("legacy.htm", "<img src=\"caf\xE9.gif\">\n<img src=\"na\xEFve.gif\">");
    Put("server.asp",
        "<a href=\"<%=Request(\"x\")%>\">x</a>\n<!--#include file=\"inc.asp\"-->\n<img "
        "src=\"asp-missing.gif\">");
    Put("style.css", Lines({"@import \"print.css\";", "body { background: url(images/logo.gif) }",
                            "/* url(commented.gif) */ h1 { background: url( 'Images/Head.gif' ) }",
                            "p { behavior: url(_vti_bin/x.htc) }"}));
    // Files the conversion leaves out, or that are no pages, are not read.
    for (const char* file : {"_private/index.htm", "_borders/top.htm", ".hidden/p.htm",
                             "readme.txt", "skipped.htm", "images/_vti_cnf/logo.gif.htm"})
      Put(file, "<a href=\"unread.htm\">x</a>");
    Put("_borders/images/page.htm", "<a href=\"../../nope.htm\">x</a>");
  }

  void Put(const std::string& relative, const std::string& content) {
    WriteFile(dir / ("web/" + relative), content);
  }

  // The findings come in the order of the walk whatever the threads; the tests use 3, 1 and 2,
  // each fewer than the pages, so pages wait for a free worker.
  CheckResult Check(const Options& options, Collector& collector, unsigned threads = 3,
                    FileSystem& fs = SystemFileSystem()) {
    SiteCheck check(options, {"notes.txt", "SKIPPED.htm"}, &collector, fs);
    check.SetThreads(threads);
    return check.Run(dir / "web");
  }

  TempDir dir;
};

// Every finding of the fixture web with the default options, in the order of the walk.
const std::vector<std::string> kExpected = {
    "broken.htm|2|missing|missing.gif",
    "broken.htm|2|case|Images/logo.gif",
    "broken.htm|3|dropped|_borders/WB00516_.gif",
    "broken.htm|4|missing|nothere2.htm\n",
    "broken.htm|6|component|bot=\"Registration\"",
    "forms.htm|2|extension|--WEBBOT-SELF--",
    "forms.htm|3|component|bot=\"SaveResults\"",
    "forms.htm|5|extension|_vti_bin/shtml.dll/contact.htm",
    "forms.htm|5|component|BOT=HitCounter",
    "forms.htm|6|extension|_vti_bin/fpcount.exe/?Page=forms.htm|Image=4",
    "forms.htm|9|component|bot=\"Search\"",
    "index.htm|4|case|Images/Bg.gif",
    "index.htm|5|dropped|_borders/WB00516_.gif",
    "index.htm|6|dropped|_borders/PE00078A.gif",
    "index.htm|6|case|Images/Logo.GIF",
    "index.htm|6|dropped|.hidden/x.gif",
    "index.htm|7|skipped|docs/notes.txt",
    "index.htm|8|local|C:\\My Webs\\y.htm",
    "index.htm|8|local|\\\\server\\share\\z.htm",
    "index.htm|12|dropped|_private/results.csv",
    "index.htm|12|dropped|my_private_borders/x.gif",
    "index.htm|13|case|IMAGES/logo.gif",
    "index.htm|16|dropped|fphover.class",
    "legacy.htm|2|missing|na\xC3\xAFve.gif",
    "server.asp|3|missing|asp-missing.gif",
    "style.css|1|missing|print.css",
    "style.css|3|case|Images/Head.gif",
    "style.css|4|extension|_vti_bin/x.htc",
    // A folder inside a left-out folder is judged by its own name, as the conversion does.
    "_borders/images/page.htm|1|missing|../../nope.htm",
    "sub/based.htm|2|missing|gone.gif",
    "sub/page.htm|2|dropped|../_overlay/button1.gif",
    "sub/page.htm|2|missing|/images/none.gif",
    "sub/page.htm|3|case|/Sub/Page.htm",
    "sub/page.htm|3|missing|a%2Fb.htm",
};

std::vector<std::string> Without(std::vector<std::string> lines,
                                 const std::set<std::string>& gone) {
  lines.erase(std::remove_if(lines.begin(), lines.end(),
                             [&](const std::string& line) { return gone.count(line) > 0; }),
              lines.end());
  return lines;
}

TEST_F(SiteCheckTest, FindsEachKindAndPassesOverTheLookAlikes) {
  Collector collector;
  CheckResult result = Check(testing::NewUserOptions(), collector);
  EXPECT_FALSE(result.refused);
  EXPECT_TRUE(result.errors.empty());
  EXPECT_EQ(collector.found, kExpected);
  EXPECT_EQ(result.findings, static_cast<std::int64_t>(kExpected.size()));
  EXPECT_EQ(result.pages, 13);  // pages and the style sheet, nothing left out by the conversion
  EXPECT_TRUE(collector.kept.empty());

  // The sentence of forms.htm's counter names the server's program (those of the other kinds
  // are in cli_test.cpp).
  EXPECT_NE(collector.sentences.at(9).find("fpcount.exe"), std::string::npos);
}

TEST_F(SiteCheckTest, TheOptionsDecideWhatIsDroppedAndSkipped) {
  // Keeping what pages use: the files in _borders, _overlay and _fpclass come along; nothing
  // from _private, a _vti folder or a folder starting with "." ever does.
  Options keep = testing::NewUserOptions();
  keep.KeepUsedFiles = 1;
  Collector kept;
  Check(keep, kept, 1);
  EXPECT_EQ(kept.found, Without(kExpected, {"broken.htm|3|dropped|_borders/WB00516_.gif",
                                            "index.htm|5|dropped|_borders/WB00516_.gif",
                                            "index.htm|6|dropped|_borders/PE00078A.gif",
                                            "index.htm|16|dropped|fphover.class",
                                            "sub/page.htm|2|dropped|../_overlay/button1.gif"}));
  EXPECT_EQ(kept.kept, (std::set<std::string>{"_borders/PE00078A.gif", "_borders/WB00516_.gif",
                                              "_fpclass/fphover.class", "_overlay/button1.gif"}));

  // Without change checks the conversion ignores the skip list, and so does the check.
  Options noSkip = testing::NewUserOptions();
  noSkip.CheckForChanges = 0;
  Collector all;
  Check(noSkip, all);
  std::vector<std::string> expected = Without(kExpected, {"index.htm|7|skipped|docs/notes.txt"});
  expected.insert(std::find(expected.begin(), expected.end(), "style.css|1|missing|print.css"),
                  "skipped.htm|1|missing|unread.htm");
  EXPECT_EQ(all.found, expected);
}

TEST_F(SiteCheckTest, WhatCannotBeReadIsAnErrorAndTheRestIsStillChecked) {
  testing::FailingFileSystem failing;
  failing.FailWhen(testing::FsOp::kReadTextFile, "forms.htm");
  failing.FailWhen(testing::FsOp::kReadFolder, "docs");
  Collector collector;
  CheckResult result = Check(testing::NewUserOptions(), collector, 2, failing);
  std::set<std::string> errors;
  for (const CheckError& error : result.errors) errors.insert(error.path);
  EXPECT_EQ(errors, (std::set<std::string>{dir / "web/docs", dir / "web/forms.htm"}));
  EXPECT_EQ(result.errors.size(), 2u);  // each once, though the walk and a reference met docs
  // Less forms.htm's six and the reference into the unreadable folder, which is not judged.
  EXPECT_EQ(collector.found.size(), kExpected.size() - 7);

  Collector none;
  SiteCheck check(testing::NewUserOptions(), {}, &none);
  EXPECT_TRUE(check.Run(dir / "no-such-web").refused);
  EXPECT_TRUE(check.Run(dir / "web/index.htm").refused);
}

TEST_F(SiteCheckTest, StopsWhenAskedBetweenPages) {
  Collector collector;
  collector.cancelAfter = 3;
  CheckResult result = Check(testing::NewUserOptions(), collector);
  EXPECT_TRUE(result.cancelled);
  EXPECT_LT(result.pages, 12);
}

// A small web made for one case at a time.
class SmallWebTest : public ::testing::Test {
 protected:
  void Put(const std::string& relative, const std::string& content) {
    WriteFile(dir / ("web/" + relative), content);
  }
  Collector Check() {
    Collector collector;
    SiteCheck check(testing::NewUserOptions(), {}, &collector);
    check.SetThreads(2);
    EXPECT_TRUE(check.Run(dir / "web").errors.empty());
    return collector;
  }
  TempDir dir;
};

TEST_F(SmallWebTest, ServerCodeInTheQueryLeavesThePathToJudge) {
  Put("message_top.asp", "x");
  Put("board.asp",
      "<a href=\"Message_Top.asp?UID=<%= uid %>\">t</a>\n"
      "<a href=\"message_top.asp?UID=<%= uid %>&amp;x=1\">ok</a>\n"
      "<a href=\"<%= board %>/gone.asp?UID=1\">built</a> <a href=\"?UID=<%= uid %>\">me</a>\n"
      "<img src=\"gone.gif#<%= n %>\">");
  EXPECT_EQ(Check().found, (std::vector<std::string>{
                               "board.asp|1|case|Message_Top.asp?UID=<%= uid %>",
                               "board.asp|4|missing|gone.gif#<%= n %>",
                           }));
}

// The parser re-opens an unclosed <a> or <font> in every paragraph that follows and splits a
// <b> that a paragraph crosses; each copy has the attributes of the one in the source.
TEST_F(SmallWebTest, EachReferenceOfTheSourceIsReportedOnce) {
  Put("index.htm",
      "<p><a href=\"gone.htm\">unclosed\n<p>two\n<p>three\n"
      "<p><font style=\"background: url(none.gif)\">x<p>y<p>z\n"
      "<b style=\"background: url(bold.gif)\"><p>crossed</b> out</p>\n"
      "<img src=\"twice.gif\"><img src=\"twice.gif\">");
  EXPECT_EQ(Check().found, (std::vector<std::string>{
                               "index.htm|1|missing|gone.htm",
                               "index.htm|4|missing|none.gif",
                               "index.htm|5|missing|bold.gif",
                               "index.htm|6|missing|twice.gif",
                               "index.htm|6|missing|twice.gif",
                           }));
}

TEST_F(SmallWebTest, ReadsTheRefreshAddressAndTheSrcsetCandidates) {
  for (const char* file : {"here.htm", "pic.gif", "pic-2x.gif", "wide.jpg", "narrow.jpg"})
    Put(file, "x");
  Put("index.htm", Lines({"<meta http-equiv=\"Refresh\" content=\"5; URL=moved.htm\">",
                          "<meta http-equiv=\"refresh\" content=\"0;url='Here.htm'\">",
                          "<meta http-equiv=\"refresh\" content=\"30\"><meta name=\"keywords\" "
                          "content=\"gone.htm\">",
                          "<meta http-equiv=\"refresh\" content=\"3, url=http://example.com/\">",
                          "<img src=\"pic.gif\" srcset=\"pic.gif 1x, Pic-2x.gif 2x,",
                          "  data:image/png;base64,xx 3x, none-480.gif 480w\">",
                          "<picture><source srcset=\"wide.jpg (min-width: 1px, 2px) , narrow.jpg,, "
                          "small.jpg\"></picture>"}));
  EXPECT_EQ(Check().found, (std::vector<std::string>{
                               "index.htm|1|missing|moved.htm",
                               "index.htm|2|case|Here.htm",
                               "index.htm|5|case|Pic-2x.gif",
                               "index.htm|6|missing|none-480.gif",
                               "index.htm|7|missing|small.jpg",
                           }));
}

TEST_F(SmallWebTest, MissingProgramsAndSiteAddressesAreSaidToBeWhatTheyAre) {
  Put("cgi-bin/here.pl", "x");
  Put("forms/order.htm",
      Lines({"<form action=\"../cgi-bin/formmail.pl\" method=post></form>",
             "<form action=\"/scripts/Order.CGI/thanks\"></form><img src=\"../cgi-bin/here.pl\">",
             "<a href=\"www.example.com\">site</a> <a href=\"WWW.Example.com/page.htm\">p</a>",
             "<a href=\"www.htm\">page</a> <a href=\"/www.example.com\">r</a>"}));
  const Collector found = Check();
  const std::string program = ": it is a program the host must provide, or visitors get an error.";
  const std::string site = ": it looks like the address of another site without http:// in front.";
  EXPECT_EQ(found.sentences, (std::vector<std::string>{
                                 "There is no cgi-bin/formmail.pl in the web" + program,
                                 "There is no scripts/Order.CGI/thanks in the web" + program,
                                 "There is no forms/www.example.com in the web" + site,
                                 "There is no forms/WWW.Example.com/page.htm in the web" + site,
                                 "There is no forms/www.htm in the web.",
                                 "There is no www.example.com in the web.",
                             }));
}

// A component is named by its bot setting wherever that stands among the others, and a comment
// without one is none; "url(" is an address only where no name runs into it, a letter beyond
// ASCII included.
TEST_F(SmallWebTest, TheBotSettingNamesTheComponentAndUrlMustStartAName) {
  Put("index.htm",
      "<!--webbot U-File=\"_private/x.csv\" BOT=\"SaveResults\" -->\n"
      "<!--webbot S-Type=\"HitCounter\" i-checksum=\"1\" -->");
  Put("style.css",
      "h1 { x: myurl(a.gif) }\nh2 { x: \xC3\x80url(b.gif) \xC3\xA9url(c.gif) }\n"
      "h3 { background: url(d.gif) }");
  EXPECT_EQ(Check().found, (std::vector<std::string>{
                               "index.htm|1|component|BOT=\"SaveResults\"",
                               "style.css|3|missing|d.gif",
                           }));
}

// Navigation images shared by every page, and an image linked and shown on one line: one
// target each, however many pages and references.
TEST_F(SmallWebTest, FindingsAddUpByTarget) {
  Put("images/nav.gif", "x");
  const std::string nav = "<img src=\"/Images/Nav.gif\"><a href=\"/images/gone.gif\">";
  Put("a.htm", nav + "<img src=\"../images/gone.gif\">");
  Put("b/b.htm", nav + "<a href=\"../_private/x.htm\"><img src=\"/Images/nav.gif\"></a>");
  Put("b/c.htm", "<a href=\"nav.gif\"><img src=\"nav.gif\"></a>\n<a href=\"/Images/Nav.gif\">");
  Put("_private/x.htm", "x");
  TargetTally tally;
  class Adding : public CheckObserver {
   public:
    explicit Adding(TargetTally& tally) : tally_(tally) {}
    void FindingFound(const CheckFinding& finding) override { tally_.Add(finding); }
    TargetTally& tally_;
  } adding(tally);
  SiteCheck check(testing::NewUserOptions(), {}, &adding);
  check.SetThreads(2);
  EXPECT_EQ(check.Run(dir / "web").findings, 10);

  std::vector<std::string> lines;
  for (const TargetSummary& target : tally.Targets()) lines.push_back(TargetLine(target));
  // Grouped by kind, then in the order first found; the case findings are one target, the
  // file the web has.
  EXPECT_EQ(lines, (std::vector<std::string>{
                       "dropped\t_private/x.htm\t1\t1\tb/b.htm",
                       "missing\timages/gone.gif\t2\t3\ta.htm",
                       "missing\tb/nav.gif\t1\t2\tb/c.htm",
                       "case\timages/nav.gif\t3\t4\ta.htm",
                   }));

  CheckFinding odd{"x\ty.htm", 1, FindingKind::kLocal, "C:\\a", "S.", "C:\\a\nb"};
  TargetTally one;
  one.Add(odd);
  EXPECT_EQ(TargetLine(one.Targets().at(0)), "local\tC:\\a%0Ab\t1\t1\tx%09y.htm");
}

TEST(FindingLineTest, FiveFieldsWhateverTheNamesHold) {
  CheckFinding finding{"a\tb/c.htm", 12, FindingKind::kCase, "x\r\ny.gif", "Sentence.", "y.gif"};
  // The kinds' names are those of the fixture's findings above.
  EXPECT_EQ(FindingLine(finding), "a%09b/c.htm\t12\tcase\tx%0D%0Ay.gif\tSentence.");
}

TEST(CheckSummaryTest, OneSentenceForHowTheCheckEnded) {
  CheckResult result;
  EXPECT_EQ(CheckSummary(result), "Nothing found that will break on a plain host.");
  result.findings = 1;
  EXPECT_EQ(CheckSummary(result), "1 problem found that will break on a plain host.");
  result.findings = 3;
  result.errors = {{"a", "x"}, {"b", "y"}};
  result.cancelled = true;
  EXPECT_EQ(CheckSummary(result),
            "3 problems found that will break on a plain host. 2 files or folders could not be "
            "read. The check was stopped before it was finished.");
  result.errors.resize(1);
  EXPECT_NE(CheckSummary(result).find(" 1 file or folder could not"), std::string::npos);
}

// References as a browser reads them, resolved from a page in the folder "a/b"; the forms the
// fixture web holds are judged there.
TEST(ReferenceTest, ReadAndResolvedAsABrowserDoes) {
  struct Case {
    const char* text;
    const char* expected;  // "-" not followed, "local", "self", "!" no file name, or the path
  };
  const Case cases[] = {
      {"x.htm", "a/b/x.htm"},
      {"  ../x.htm\t", "a/x.htm"},
      {"/x/./y/../z.htm", "x/z.htm"},
      {"%2E%2e/x%20y.htm", "a/x y.htm"},
      {"%4a%4A%41%61.htm", "a/b/JJAa.htm"},
      {"x.htm?a=1/2#f", "a/b/x.htm"},
      {"..", "a/"},
      {"a%2Fb", "!"},
      {"100%.htm", "a/b/100%.htm"},
      {"x\n.htm", "a/b/x.htm"},
      {"HTTP://host/x", "-"},
      {"mailto:me@example.com", "-"},
      {"//cdn.example.com/x.js", "-"},
      {"", "-"},
      {"<?php echo $x ?>", "-"},
      // Server code in the query or fragment leaves the path fixed; in the path it builds it.
      {"Message_Top.asp?UID=<%= uid %>", "a/b/Message_Top.asp"},
      {"x.php#<?= $part ?>", "a/b/x.php"},
      {"?page=<%= n %>", "-"},
      {"/images/<%= name %>.gif?x=1", "-"},
      {"<%= folder %>/x.htm", "-"},
      {"file:x", "local"},
      {"c:x.htm", "local"},
      {"D:/web/x.htm", "local"},
      {"--webbot-self--", "self"},
  };
  for (const Case& c : cases) {
    ReferencePath parsed = ParseReference(c.text);
    std::string got;
    if (parsed.form == ReferenceForm::kNotFollowed) got = "-";
    if (parsed.form == ReferenceForm::kLocal) got = "local";
    if (parsed.form == ReferenceForm::kWebbotSelf) got = "self";
    if (parsed.form == ReferenceForm::kPath) {
      auto resolved = ResolveReference(parsed, {"a", "b"});
      if (!resolved) {
        got = "!";
      } else {
        for (const std::string& s : *resolved) got += (got.empty() ? "" : "/") + s;
        if (parsed.folder) got += "/";
      }
    }
    EXPECT_EQ(got, c.expected) << c.text;
  }
  EXPECT_EQ(ExtensionProgram({"x", "_VTI_BIN", "fpcount.exe", "y"}), "fpcount.exe");
  EXPECT_EQ(ExtensionProgram({"_vti_bin", "x.htc"}), "_vti_bin");
  EXPECT_EQ(ExtensionProgram({"cgi", "shtml.dll.txt"}), "");
}

}  // namespace
}  // namespace tarnwick
