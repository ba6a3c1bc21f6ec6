#include "report/comparison_report.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "report/check_section.h"
#include "report/column_stops.h"
#include "support/temp_dir.h"

namespace tarnwick {
namespace {

using testing::MakeFolder;
using testing::TempDir;
using testing::WriteFile;
using Lines = std::vector<std::string>;

// Sparse, so large sizes take no disk space.
void WriteSized(const std::string& path, std::uintmax_t size) {
  WriteFile(path, "");
  std::filesystem::resize_file(path, size);
}

Lines Report(std::initializer_list<Lines> parts) {
  Lines all;
  for (const Lines& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

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
const Lines kUploadsMissing = {
    "", "*** Uploads ***", "                                      Uploads Directory Not Found."};

// Records what a window would show, and how much of it was there when counting began.
class RecordingObserver : public ReportObserver {
 public:
  void LineAdded(const std::string& line) override { lines.push_back(line); }
  void Yield() override {
    if (yields++ == 0) linesAtFirstYield = lines.size();
  }
  bool CancelRequested() override { return cancelAt > 0 && yields >= cancelAt; }
  Lines lines;
  int yields = 0;
  int cancelAt = 0;
  std::size_t linesAtFirstYield = 0;
};

TEST(ComparisonReportTest, FullReportWithLogsUploadsAndDeletedFiles) {
  TempDir tree;
  // FrontPage web: 3 folders, 3 files, 1,234,567 bytes.
  WriteSized(tree / "web/page.htm", 1234000);
  WriteSized(tree / "web/_vti_cnf/page.htm", 500);
  WriteSized(tree / "web/images/a.gif", 67);
  MakeFolder(tree / "web/_private");
  // FTP web: 1 folder, 3 files with its change log, 1,000,000 bytes in all.
  std::string log =
      "[Changed]\r\n/web/page.htm=Date Changed\r\n[Deleted]\r\n/ftp/old.htm=100\r\n"
      "/ftp/pics/old.gif=2048\r\n";
  WriteFile(tree / "ftp/changes.ini", log);
  WriteSized(tree / "ftp/images/a.gif", 67);
  WriteSized(tree / "ftp/page.htm", 1000000 - 67 - log.size());
  WriteFile(tree / "ftp-Uploads/changes.ini", log);  // not an upload: left out
  WriteSized(tree / "ftp-Uploads/images/a.gif", 67);

  std::string source = tree / "web", destination = tree / "ftp";
  RecordingObserver observer;
  ComparisonReport report(NumberFormat(), &observer);
  Lines expected = Report({Head(source, destination),
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
  EXPECT_EQ(report.Build(source, destination), expected);
  EXPECT_EQ(observer.lines, expected);
  EXPECT_EQ(observer.linesAtFirstYield, 5u);  // the folder lines show while counting
}

TEST(ComparisonReportTest, ACancelledReportStopsCountingAndShowsNoNumbers) {
  TempDir tree;
  for (int i = 0; i < 20; ++i) WriteSized(tree / "web/f" + std::to_string(i), 10);
  for (int i = 0; i < 20; ++i) WriteSized(tree / "ftp/f" + std::to_string(i), 10);
  for (int cancelAt : {1, 5, 30}) {
    RecordingObserver observer;
    observer.cancelAt = cancelAt;
    ComparisonReport report(NumberFormat(), &observer);
    const Lines lines = report.Build(tree / "web", tree / "ftp");
    EXPECT_TRUE(report.Cancelled);
    EXPECT_EQ(observer.yields, cancelAt);
    const Lines head = Head(tree / "web", tree / "ftp");
    EXPECT_EQ(lines, Lines(head.begin(), head.begin() + 5));
  }
}

// What a terminal shows: tabs expanded to the next multiple of eight.
std::string Expand(const std::string& line) {
  std::string shown;
  for (char c : line) {
    if (c != '\t') {
      shown += c;
      continue;
    }
    do shown += ' ';
    while (shown.size() % 8 != 0);
  }
  return shown;
}

TEST(ComparisonReportTest, ElevenDigitSizesLineUpUnderTheirHeadersOnATerminal) {
  TempDir tree;
  // Sparse: 97,639,703,123 and 67,810,539,000 bytes that take no room.
  WriteFile(tree / "web/video.mpg", "");
  std::error_code error;
  std::filesystem::resize_file(tree / "web/video.mpg", 97639703123, error);
  if (error) GTEST_SKIP() << "no sparse file of 97 GB here: " << error.message();
  WriteSized(tree / "web/sub/page.htm", 10);
  WriteSized(tree / "ftp/video.mpg", 67810539000);
  const Lines report = BuildComparisonReport(tree / "web", tree / "ftp");
  ASSERT_EQ(report[11], "     Bytes\t97,639,703,133\t67,810,539,000\t29,829,164,133\t31%");
  const Lines laidOut = TerminalLayout(report);
  ASSERT_EQ(laidOut.size(), report.size());

  const std::string header = Expand(laidOut[5]);
  std::vector<std::size_t> columns;
  for (const char* title : {"Frontpage", "FTP", "Saved", "Saved %"})
    columns.push_back(header.find(std::string(" ") + title) + 1);
  int rows = 0;
  for (std::size_t i = 0; i < report.size(); ++i) {
    const std::vector<std::string_view> fields = SplitFields(report[i]);
    if (fields.size() < 3) continue;
    ++rows;
    const std::string shown = Expand(laidOut[i]);
    for (std::size_t f = 1; f < fields.size(); ++f) {
      if (fields[f].empty()) continue;
      const std::size_t at = columns[f - 1];
      EXPECT_EQ(shown.compare(at, fields[f].size(), fields[f]), 0) << shown;
      // Two blanks at least before every value: nothing runs together.
      EXPECT_EQ(shown.substr(at - 2, 2), "  ") << shown;
    }
  }
  EXPECT_EQ(rows, 6);  // the header and the five rows of the Totals
}

TEST(ComparisonReportTest, EqualEmptyAndMissingTrees) {
  TempDir tree;
  WriteSized(tree / "web/index.htm", 3000);
  WriteSized(tree / "web/sub/a.htm", 1000);
  std::string web = tree / "web";
  EXPECT_EQ(BuildComparisonReport(web, web),
            Report({Head(web, web),
                    {"Directories\t1\t1\t0\t0%", "Files\t2\t2\t0\t0%", "Size Of Files",
                     "     Bytes\t4,000\t4,000\t\t0%", "     Kilobytes\t4\t4\t\t0%",
                     "     Megabytes\t.00\t.00\t.00\t0%"},
                    kUploadsMissing,
                    kNothingDeleted}));

  // An empty FrontPage web leaves out every row with a percentage.
  MakeFolder(tree / "empty");
  WriteSized(tree / "ftp-Uploads/page.htm", 10);
  std::string empty = tree / "empty", ftp = tree / "ftp";
  EXPECT_EQ(BuildComparisonReport(empty, ftp),
            Report({Head(empty, ftp),
                    {"Size Of Files", "", "*** Uploads ***", "Size Of Files"},
                    kNothingDeleted}));

  // No destination text: nothing is looked up below it, not even "-Uploads" of the working
  // folder.
  EXPECT_EQ(BuildComparisonReport(empty, ""),
            Report({Head(empty, ""), {"Size Of Files"}, kUploadsMissing, kNothingDeleted}));
}

TEST(ComparisonReportTest, EmptyOrLargerFtpWebAndUploadsThatIsAFile) {
  TempDir tree;
  for (int i = 0; i < 10; ++i) WriteSized(tree / "web/f" + std::to_string(i), 2048);
  for (int i = 0; i < 12; ++i) WriteSized(tree / "ftp/f" + std::to_string(i), 2048);
  WriteFile(tree / "none-Uploads", "a file, not the uploads folder");

  Lines empty = BuildComparisonReport(tree / "web", tree / "none");
  EXPECT_EQ(Lines(empty.begin() + 8, empty.begin() + 16),
            (Lines{"Files\t10\t0\t10\t100%", "Size Of Files", "     Bytes\t20,480\t\t20,480\t100%",
                   "     Kilobytes\t20\t\t20\t100%", "     Megabytes\t.02\t.00\t.02\t100%",
                   kUploadsMissing[0], kUploadsMissing[1], kUploadsMissing[2]}));

  Lines larger = BuildComparisonReport(tree / "web", tree / "ftp");
  EXPECT_EQ(larger[8], "Files\t10\t12\t-2\t-20%");
  EXPECT_EQ(larger[10], "     Bytes\t20,480\t24,576\t-4,096\t-20%");
  EXPECT_EQ(larger[12], "     Megabytes\t.02\t.02\t.00\t-20%");

  EXPECT_EQ(ComparisonReport::SavedPercent(10, 7), "30%");
  EXPECT_EQ(ComparisonReport::SavedPercent(3, 1), "67%");
  EXPECT_EQ(ComparisonReport::SavedPercent(7, 0), "100%");
  // 29 / 100 * 100 is a hair below 29 in doubles, so the kept share rounds down to 28.
  EXPECT_EQ(ComparisonReport::SavedPercent(100, 29), "72%");
}

TEST(ComparisonReportTest, DestinationWithTrailingSeparatorHoldsTheUploadsFolder) {
  TempDir tree;
  WriteSized(tree / "web/a.htm", 100);
  WriteSized(tree / "web/b.htm", 100);
  WriteSized(tree / "ftp/a.htm", 100);
  WriteFile(tree / "ftp/-Uploads/changes.ini", "[Changed]\r\n/web/a.htm=NEW Entry\r\n");
  WriteSized(tree / "ftp/-Uploads/a.htm", 100);

  ComparisonReport report;
  Lines lines = report.Build(tree / "web", (tree / "ftp") + kPathSeparator);
  EXPECT_EQ(report.UploadsPath, tree / "ftp/-Uploads");
  // The FTP column counts the uploads folder and its log; the Uploads block not the log.
  EXPECT_EQ(lines[8], "Files\t2\t3\t-1\t-50%");
  EXPECT_EQ(report.UploadsTally.Files, 1);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), kAllChangesLine), 1);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), kLatestChangesLine), 0);
}

TEST(ComparisonReportTest, DeletedSectionIsReadWholeAndValuedByLeadingNumbers) {
  TempDir tree;
  MakeFolder(tree / "web");
  // Far more than a 4096-character key list holds, with sizes past 32 bits.
  std::string log = "[Changed]\r\nx=NEW Entry\r\n[deleted]\r\n";
  for (int i = 0; i < 300; ++i) {
    log += (tree / "ftp/a/rather/long/folder/name/old-page-") + std::to_string(i) +
           ".htm=3000000000\r\n";
  }
  log += "a=  1500 bytes\r\nb=abc\r\nc=\r\nd=-1500\r\ne=\"24\"\r\n[Other]\r\nz=5\r\n";
  ASSERT_GT(log.size(), 3 * 4096u);
  WriteFile(tree / "ftp/changes.ini", log);

  ComparisonReport report(NumberFormat(".", ","));
  Lines lines = report.Build(tree / "web", tree / "ftp");
  EXPECT_EQ(Lines(lines.end() - 5, lines.end()),
            (Lines{"Files\t305", "Size Of Files", "     Bytes\t900.000.000.024",
                   "     Kilobytes\t878.906.250", "     Megabytes\t858.306,88"}));
  EXPECT_EQ(ComparisonReport::NumericValue(" \t42x"), 42);
  EXPECT_EQ(ComparisonReport::NumericValue("12.5kb"), 12.5);
  EXPECT_EQ(ComparisonReport::NumericValue("x12"), 0);
}

TEST(CheckSectionTest, HeadingSentenceThenTheTargetsByKind) {
  CheckResult result;
  EXPECT_EQ(CheckSectionHead(result, {}),
            (Lines{"*** Site Check ***", "Nothing found that will break on a plain host."}));
  result.findings = 6;
  const std::vector<TargetSummary> targets = {
      {FindingKind::kMissing, "gone.htm", 2, 4, "a.htm"},
      {FindingKind::kMissing, "x\ty.gif", 1, 1, "b/c.htm"},
      {FindingKind::kComponent, "Hit Counter", 1, 1, "index.htm"},
  };
  EXPECT_EQ(CheckSectionHead(result, targets),
            (Lines{"*** Site Check ***", "6 problems found that will break on a plain host.",
                   "missing: 2 targets", "     gone.htm: 4 references on 2 pages, first a.htm",
                   "     x%09y.gif: 1 reference on 1 page, first b/c.htm", "component: 1 target",
                   "     Hit Counter: 1 reference on 1 page, first index.htm", ""}));
}

}  // namespace
}  // namespace tarnwick
