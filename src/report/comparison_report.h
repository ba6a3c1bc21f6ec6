#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"
#include "report/number_format.h"
#include "report/tree_tally.h"

namespace tarnwick {

// The two lines of the report that open a change log when clicked.
inline constexpr const char* kLatestChangesLine = "Click Here to view the latest changes.";
inline constexpr const char* kAllChangesLine =
    "Click Here to view all changes made after your last upload.";

// Where the report's columns start at least, in dialog units (a quarter of the font's average
// character width): the label, then Frontpage, FTP, Saved and Saved %.
inline constexpr int kReportTabStops[] = {72, 112, 152, 192};
inline constexpr int kDialogUnitsPerCharacter = 4;
// The least room between a value and the next column, in characters.
inline constexpr int kReportColumnGap = 2;

// What a front end shows while the report is built. The report never touches a widget.
class ReportObserver {
 public:
  virtual ~ReportObserver() = default;
  // A line was added at the end of the report. The first five come before any counting, so
  // the window can show them while large webs are counted.
  virtual void LineAdded(const std::string& /*line*/) {}
  // Called after each folder read and every file counted: the window lets pending events run.
  virtual void Yield() {}
  // Asked after each yield; a true answer ends the report where it is.
  virtual bool CancelRequested() { return false; }
};

// How the FrontPage web, the FTP web made from it and the uploads folder compare in folders,
// files and bytes, what the conversion saved, which change logs exist and what the last run
// deleted. Each line's fields are joined by one tab.
class ComparisonReport {
 public:
  explicit ComparisonReport(NumberFormat format = {}, ReportObserver* observer = nullptr,
                            FileSystem& fs = SystemFileSystem());

  // Builds the whole report from scratch for the two folder texts as the user typed them.
  // Missing folders count as empty trees; nothing is refused.
  const std::vector<std::string>& Build(const std::string& source, const std::string& destination);

  // The destination's text with "-Uploads" appended directly: "D:/web/" gives
  // "D:/web/-Uploads", a folder inside the destination.
  static std::string UploadsPathOf(const std::string& destination);
  // The change log kept directly in a folder.
  static std::string ChangeLogPath(const std::string& folder);
  // The change log that a click on this line opens (exact text, letter case counts), or none.
  static std::optional<std::string> ChangeLogForLine(std::string_view line,
                                                     const std::string& destPath,
                                                     const std::string& uploadsPath);
  // The saved share of a row, 100 - floor(other / frontpage * 100) in that order, as "30%".
  // The caller leaves the row out when frontpage is 0.
  static std::string SavedPercent(double frontpage, double other);
  // The leading decimal number of a text (leading blanks skipped); 0 when there is none.
  static double NumericValue(std::string_view text);

  std::string SourcePath;
  std::string DestPath;
  std::string UploadsPath;
  TreeTally SourceTally;
  TreeTally DestTally;
  TreeTally UploadsTally;
  std::int64_t DeletedFiles = 0;  // keys of section "Deleted" of the destination's log
  double DeletedBytes = 0;        // their values added up
  std::vector<std::string> Lines;
  bool Cancelled = false;  // stopped on request while counting; Lines holds the head only

 private:
  void Add(std::string line);
  void AddTreeRows(const TreeTally& frontpage, const TreeTally& other);
  void ReadDeleted();
  bool Exists(const std::string& path, bool folderOnly);

  NumberFormat format_;
  ReportObserver* observer_;
  ReportObserver nullObserver_;
  FileSystem& fs_;
};

// The report's lines for a terminal (tabs every 8 characters): the fields stay separated by
// one tab, each padded so that its column lines up under its header whatever the numbers'
// length.
std::vector<std::string> TerminalLayout(const std::vector<std::string>& lines);

// The report's lines for one pair of folders; what the command line prints.
std::vector<std::string> BuildComparisonReport(const std::string& source,
                                               const std::string& destination,
                                               const NumberFormat& format = {},
                                               ReportObserver* observer = nullptr,
                                               FileSystem& fs = SystemFileSystem());

}  // namespace tarnwick
