#include "report/comparison_report.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/report_fixture.h"

namespace tarnwick {
namespace {

using testing::TempTree;
using Lines = std::vector<std::string>;

const std::string kSep(1, kPathSeparator);

Lines Head(const std::string& source, const std::string& destination) {
  return {"Source :\t" + source,
          "Destination:\t" + destination,
          "Changed Items:\t" + destination + "-Uploads",
          "",
          "",
          "\tFrontpage\tFTP\tSaved\tSaved %",
          "",
          "*** Totals ***"};
}

const Lines kNothingDeleted = {"",
                               "*** Deleted ***",
                               "Files\t0",
                               "Size Of Files",
                               "     Bytes\t0",
                               "     Kilobytes\t0",
                               "     Megabytes\t0.00"};

const char* kUploadsMissing = "                                      Uploads Directory Not Found.";

Lines Concat(std::initializer_list<Lines> parts) {
  Lines all;
  for (const Lines& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

// Collects what a window would show, and how many lines it had when counting began.
class RecordingObserver : public ReportObserver {
 public:
  void LineAdded(const std::string& line) override { lines.push_back(line); }
  void Yield() override {
    if (yields++ == 0) linesAtFirstYield = lines.size();
  }
  Lines lines;
  int yields = 0;
  std::size_t linesAtFirstYield = 0;
};

TEST(ComparisonReportTest, FullReportWithLogsUploadsAndDeletedFiles) {
  TempTree tree;
  // FrontPage web: 3 folders, 3 files, 1,234,567 bytes.
  tree.WriteSizedFile("web/page.htm", 1234000);
  tree.WriteSizedFile("web/_vti_cnf/page.htm", 500);
  tree.WriteSizedFile("web/images/a.gif", 67);
  tree.MakeFolder("web/_private");
  // FTP web: 1 folder, 3 files with its change log, 1,000,000 bytes in all.
  std::string log =
      "[Changed]\r\n/web/page.htm=Date Changed\r\n"
      "[Deleted]\r\n/ftp/old.htm=100\r\n/ftp/pics/old.gif=2048\r\n";
  tree.WriteFile("ftp/changes.ini", log);
  tree.WriteSizedFile("ftp/images/a.gif", 67);
  tree.WriteSizedFile("ftp/page.htm", 1000000 - 67 - log.size());
  // Uploads: its own log does not count.
  tree.WriteFile("ftp-Uploads/changes.ini", log);
  tree.WriteSizedFile("ftp-Uploads/images/a.gif", 67);

  std::string source = tree.Path("web");
  std::string destination = tree.Path("ftp");
  RecordingObserver observer;
  ComparisonReport report(NumberFormat(), &observer);
  Lines lines = report.Build(source, destination);

  Lines expected = Concat({Head(source, destination),
                           {"Directories\t3\t1\t2\t67%",
                            "Files\t3\t3\t0\t0%",
                            "Size Of Files",
                            "     Bytes\t1,234,567\t1,000,000\t234,567\t19%",
                            "     Kilobytes\t1,206\t977\t229\t19%",
                            "     Megabytes\t1.18\t.95\t.22\t19%",
                            "",
                            "Click Here to view the latest changes.",
                            "",
                            "*** Uploads ***",
                            "Directories\t3\t1\t2\t67%",
                            "Files\t3\t1\t2\t67%",
                            "Size Of Files",
                            "     Bytes\t1,234,567\t67\t1,234,500\t100%",
                            "     Kilobytes\t1,206\t\t1,206\t100%",
                            "     Megabytes\t1.18\t.00\t1.18\t100%",
                            "",
                            "Click Here to view all changes made after your last upload.",
                            "",
                            "*** Deleted ***",
                            "Files\t2",
                            "Size Of Files",
                            "     Bytes\t2,148",
                            "     Kilobytes\t2",
                            "     Megabytes\t0.00"}});
  EXPECT_EQ(lines, expected);
  EXPECT_EQ(observer.lines, expected);
  // The window shows the folder lines while the trees are counted.
  EXPECT_EQ(observer.linesAtFirstYield, 5u);
  EXPECT_GE(observer.yields, 7);

  EXPECT_EQ(report.UploadsPath, destination + "-Uploads");
  EXPECT_EQ(report.DestTally.Files, 3);
  EXPECT_EQ(report.UploadsTally.Bytes, 67);
  EXPECT_EQ(report.DeletedFiles, 2);
  EXPECT_EQ(report.DeletedBytes, 2148.0);
}

TEST(ComparisonReportTest, EqualSourceAndDestination) {
  TempTree tree;
  tree.WriteSizedFile("web/index.htm", 3000);
  tree.WriteSizedFile("web/sub/a.htm", 1000);
  std::string web = tree.Path("web");
  Lines lines = BuildComparisonReport(web, web);
  EXPECT_EQ(lines,
            Concat({Head(web, web),
                    {"Directories\t1\t1\t0\t0%", "Files\t2\t2\t0\t0%", "Size Of Files",
                     "     Bytes\t4,000\t4,000\t\t0%", "     Kilobytes\t4\t4\t\t0%",
                     "     Megabytes\t.00\t.00\t.00\t0%", "", "*** Uploads ***", kUploadsMissing},
                    kNothingDeleted}));
}

TEST(ComparisonReportTest, EmptyFrontPageWebLeavesOutEveryRowWithAPercentage) {
  TempTree tree;
  tree.MakeFolder("web");
  tree.WriteSizedFile("ftp/stale/page.htm", 10);
  tree.WriteSizedFile("ftp-Uploads/page.htm", 10);
  std::string source = tree.Path("web");
  std::string destination = tree.Path("ftp");
  Lines lines = BuildComparisonReport(source, destination);
  EXPECT_EQ(lines, Concat({Head(source, destination),
                           {"Size Of Files", "", "*** Uploads ***", "Size Of Files"},
                           kNothingDeleted}));
}

TEST(ComparisonReportTest, EmptyOrLargerFtpWeb) {
  TempTree tree;
  for (int i = 0; i < 10; ++i) tree.WriteSizedFile("web/f" + std::to_string(i), 2048);
  tree.MakeFolder("empty");
  for (int i = 0; i < 12; ++i) tree.WriteSizedFile("ftp/f" + std::to_string(i), 2048);
  std::string source = tree.Path("web");

  Lines empty = BuildComparisonReport(source, tree.Path("empty"));
  ASSERT_GE(empty.size(), 13u);
  EXPECT_EQ(empty[8], "Files\t10\t0\t10\t100%");
  EXPECT_EQ(empty[9], "Size Of Files");
  EXPECT_EQ(empty[10], "     Bytes\t20,480\t\t20,480\t100%");
  EXPECT_EQ(empty[11], "     Kilobytes\t20\t\t20\t100%");
  EXPECT_EQ(empty[12], "     Megabytes\t.02\t.00\t.02\t100%");

  Lines larger = BuildComparisonReport(source, tree.Path("ftp"));
  ASSERT_GE(larger.size(), 13u);
  EXPECT_EQ(larger[8], "Files\t10\t12\t-2\t-20%");
  EXPECT_EQ(larger[10], "     Bytes\t20,480\t24,576\t-4,096\t-20%");
  EXPECT_EQ(larger[11], "     Kilobytes\t20\t24\t-4\t-20%");
  EXPECT_EQ(larger[12], "     Megabytes\t.02\t.02\t.00\t-20%");
}

TEST(ComparisonReportTest, SavedPercentDividesMultipliesThenRoundsDown) {
  EXPECT_EQ(ComparisonReport::SavedPercent(10, 7), "30%");
  EXPECT_EQ(ComparisonReport::SavedPercent(3, 1), "67%");
  EXPECT_EQ(ComparisonReport::SavedPercent(10, 12), "-20%");
  EXPECT_EQ(ComparisonReport::SavedPercent(7, 0), "100%");
  EXPECT_EQ(ComparisonReport::SavedPercent(5, 5), "0%");
  EXPECT_EQ(ComparisonReport::SavedPercent(1234567, 1000000), "19%");
  // 0.29 * 100 is a hair below 29 in doubles, so the kept share rounds down to 28.
  EXPECT_EQ(ComparisonReport::SavedPercent(100, 29), "72%");
}

TEST(ComparisonReportTest, MissingFoldersCountAsEmptyAndUploadsMustBeAFolder) {
  TempTree tree;
  tree.WriteSizedFile("web/a.htm", 5);
  // A plain file where the uploads folder would be is not an uploads folder.
  tree.WriteFile("ftp-Uploads", "not a folder");
  std::string source = tree.Path("web");
  std::string destination = tree.Path("ftp");
  Lines lines = BuildComparisonReport(source, destination);
  EXPECT_EQ(lines, Concat({Head(source, destination),
                           {"Files\t1\t0\t1\t100%", "Size Of Files", "     Bytes\t5\t\t5\t100%",
                            "     Kilobytes\t\t\t\t100%", "     Megabytes\t.00\t.00\t.00\t100%", "",
                            "*** Uploads ***", kUploadsMissing},
                           kNothingDeleted}));

  Lines nothing = BuildComparisonReport(tree.Path("none"), "");
  EXPECT_EQ(nothing, Concat({Head(tree.Path("none"), ""),
                             {"Size Of Files", "", "*** Uploads ***", kUploadsMissing},
                             kNothingDeleted}));
}

TEST(ComparisonReportTest, DestinationWithTrailingSeparatorHoldsTheUploadsFolder) {
  TempTree tree;
  tree.WriteSizedFile("web/a.htm", 100);
  tree.WriteSizedFile("web/b.htm", 100);
  tree.WriteSizedFile("ftp/a.htm", 100);
  tree.WriteFile("ftp/-Uploads/changes.ini", "[Changed]\r\n/web/a.htm=NEW Entry\r\n");
  tree.WriteSizedFile("ftp/-Uploads/a.htm", 100);
  std::string source = tree.Path("web");
  std::string destination = tree.Path("ftp") + kSep;

  ComparisonReport report;
  Lines lines = report.Build(source, destination);
  EXPECT_EQ(report.UploadsPath, tree.Path("ftp/-Uploads"));
  EXPECT_EQ(lines[2], "Changed Items:\t" + destination + "-Uploads");
  // The FTP column counts the uploads folder too, its log included.
  EXPECT_EQ(report.DestTally.Folders, 1);
  EXPECT_EQ(report.DestTally.Files, 3);
  EXPECT_EQ(report.UploadsTally.Folders, 0);
  EXPECT_EQ(report.UploadsTally.Files, 1);
  EXPECT_EQ(report.UploadsTally.Bytes, 100);
  EXPECT_EQ(lines[8], "Files\t2\t3\t-1\t-50%");

  auto log =
      ComparisonReport::ChangeLogForLine(kAllChangesLine, report.DestPath, report.UploadsPath);
  ASSERT_TRUE(log);
  EXPECT_EQ(*log, tree.Path("ftp/-Uploads/changes.ini"));
  EXPECT_NE(std::find(lines.begin(), lines.end(), kAllChangesLine), lines.end());
  EXPECT_EQ(std::find(lines.begin(), lines.end(), kLatestChangesLine), lines.end());
}

TEST(ComparisonReportTest, ClickedLinesOpenTheirChangeLogs) {
  std::string dest = kSep + "web-FTP";
  std::string uploads = dest + "-Uploads";
  EXPECT_EQ(
      ComparisonReport::ChangeLogForLine("Click Here to view the latest changes.", dest, uploads),
      dest + kSep + "changes.ini");
  EXPECT_EQ(ComparisonReport::ChangeLogForLine(
                "Click Here to view all changes made after your last upload.", dest, uploads),
            uploads + kSep + "changes.ini");
  EXPECT_EQ(
      ComparisonReport::ChangeLogForLine("click here to view the latest changes.", dest, uploads),
      std::nullopt);
  EXPECT_EQ(
      ComparisonReport::ChangeLogForLine("Click Here to view the latest changes. ", dest, uploads),
      std::nullopt);
  EXPECT_EQ(ComparisonReport::ChangeLogForLine("Files\t2", dest, uploads), std::nullopt);
  EXPECT_EQ(ComparisonReport::ChangeLogForLine("", dest, uploads), std::nullopt);
}

TEST(ComparisonReportTest, DeletedSectionIsReadWhole) {
  TempTree tree;
  tree.MakeFolder("web");
  // Far more than a 4096-character key list holds, with sizes past 32 bits.
  std::string log = "[Changed]\r\nx=NEW Entry\r\n[Deleted]\r\n";
  for (int i = 0; i < 300; ++i) {
    log += tree.Path("ftp/a/rather/long/folder/name/old-page-" + std::to_string(i) + ".htm") +
           "=3000000000\r\n";
  }
  log += "[Other]\r\nz=5\r\n";
  ASSERT_GT(log.size(), 3 * 4096u);
  tree.WriteFile("ftp/changes.ini", log);

  ComparisonReport report;
  Lines lines = report.Build(tree.Path("web"), tree.Path("ftp"));
  EXPECT_EQ(report.DeletedFiles, 300);
  Lines tail(lines.end() - 5, lines.end());
  EXPECT_EQ(tail, (Lines{"Files\t300", "Size Of Files", "     Bytes\t900,000,000,000",
                         "     Kilobytes\t878,906,250", "     Megabytes\t858,306.88"}));
}

TEST(ComparisonReportTest, DeletedValuesCountByTheirLeadingNumber) {
  TempTree tree;
  tree.MakeFolder("web");
  tree.WriteFile("ftp/changes.ini",
                 "[deleted]\r\na=  1500 bytes\r\nb=abc\r\nc=\r\nd=-500\r\ne=\"24\"\r\n");
  ComparisonReport report(NumberFormat(".", ","));
  Lines lines = report.Build(tree.Path("web"), tree.Path("ftp"));
  EXPECT_EQ(report.DeletedFiles, 5);
  EXPECT_EQ(report.DeletedBytes, 1024.0);
  Lines tail(lines.end() - 3, lines.end());
  EXPECT_EQ(tail, (Lines{"     Bytes\t1.024", "     Kilobytes\t1", "     Megabytes\t0,00"}));

  EXPECT_EQ(ComparisonReport::NumericValue(" \t42x"), 42);
  EXPECT_EQ(ComparisonReport::NumericValue("12.5kb"), 12.5);
  EXPECT_EQ(ComparisonReport::NumericValue("-1294967296"), -1294967296.0);
  EXPECT_EQ(ComparisonReport::NumericValue("x12"), 0);
  EXPECT_EQ(ComparisonReport::NumericValue(""), 0);
}

}  // namespace
}  // namespace tarnwick
