#include "report/comparison_report.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <utility>

#include "base/path.h"
#include "report/column_stops.h"
#include "rules/ftp_web_names.h"
#include "settings/ini_editor.h"

namespace tarnwick {

namespace {

constexpr const char* kDeletedSection = "Deleted";
constexpr const char* kUnitIndent = "     ";
// One field; the words stand under the number columns.
constexpr const char* kUploadsMissingLine =
    "                                      Uploads Directory Not Found.";

std::string Join(std::initializer_list<std::string> fields) {
  std::string line;
  bool first = true;
  for (const std::string& field : fields) {
    if (!first) line += '\t';
    line += field;
    first = false;
  }
  return line;
}

std::string Count(std::int64_t value) { return std::to_string(value); }

}  // namespace

ComparisonReport::ComparisonReport(NumberFormat format, ReportObserver* observer, FileSystem& fs)
    : format_(std::move(format)), observer_(observer ? observer : &nullObserver_), fs_(fs) {}

std::string ComparisonReport::UploadsPathOf(const std::string& destination) {
  return destination + kUploadsSuffix;
}

std::string ComparisonReport::ChangeLogPath(const std::string& folder) {
  return AddBackslash(folder) + kLogName;
}

std::optional<std::string> ComparisonReport::ChangeLogForLine(std::string_view line,
                                                              const std::string& destPath,
                                                              const std::string& uploadsPath) {
  if (destPath.empty()) return std::nullopt;
  if (line == kLatestChangesLine) return ChangeLogPath(destPath);
  if (line == kAllChangesLine) return ChangeLogPath(uploadsPath);
  return std::nullopt;
}

std::string ComparisonReport::SavedPercent(double frontpage, double other) {
  double kept = std::floor(other / frontpage * 100);
  char buffer[400];
  std::snprintf(buffer, sizeof buffer, "%.0f%%", 100 - kept);
  return buffer;
}

double ComparisonReport::NumericValue(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  double value = 0;
  while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
    value = value * 10 + (text[i++] - '0');
  }
  if (i < text.size() && text[i] == '.') {
    double scale = 0.1;
    for (++i; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
      value += (text[i] - '0') * scale;
      scale /= 10;
    }
  }
  return negative ? -value : value;
}

void ComparisonReport::Add(std::string line) {
  Lines.push_back(std::move(line));
  observer_->LineAdded(Lines.back());
}

bool ComparisonReport::Exists(const std::string& path, bool folderOnly) {
  auto entry = fs_.LookUp(path);
  return entry && (!folderOnly || entry->IsFolder());
}

void ComparisonReport::AddTreeRows(const TreeTally& frontpage, const TreeTally& other) {
  // A row's percentage divides by its Frontpage value, so a zero there leaves the row out.
  if (frontpage.Folders != 0) {
    Add(Join({"Directories", Count(frontpage.Folders), Count(other.Folders),
              Count(frontpage.Folders - other.Folders),
              SavedPercent(frontpage.Folders, other.Folders)}));
  }
  if (frontpage.Files != 0) {
    Add(Join({"Files", Count(frontpage.Files), Count(other.Files),
              Count(frontpage.Files - other.Files), SavedPercent(frontpage.Files, other.Files)}));
  }
  Add("Size Of Files");
  if (frontpage.Bytes == 0) return;
  double a = static_cast<double>(frontpage.Bytes);
  double b = static_cast<double>(other.Bytes);
  double saved = static_cast<double>(frontpage.Bytes - other.Bytes);
  std::string percent = SavedPercent(a, b);
  std::string indent = kUnitIndent;
  Add(Join({indent + "Bytes", format_.N1(a), format_.N1(b), format_.N1(saved), percent}));
  Add(Join({indent + "Kilobytes", format_.N1(a / 1024), format_.N1(b / 1024),
            format_.N1(saved / 1024), percent}));
  Add(Join({indent + "Megabytes", format_.N2(a / 1024 / 1024), format_.N2(b / 1024 / 1024),
            format_.N2(saved / 1024 / 1024), percent}));
}

void ComparisonReport::ReadDeleted() {
  DeletedFiles = 0;
  DeletedBytes = 0;
  if (DestPath.empty()) return;
  IniEditor log(fs_);
  log.IniFile = ChangeLogPath(DestPath);
  log.IniSection = kDeletedSection;
  // The whole section: a run that deleted many files must not be cut to a short key list.
  auto keys = log.ReadWholeSection();
  DeletedFiles = static_cast<std::int64_t>(keys.size());
  for (const auto& [key, value] : keys) DeletedBytes += NumericValue(value);
}

const std::vector<std::string>& ComparisonReport::Build(const std::string& source,
                                                        const std::string& destination) {
  SourcePath = source;
  DestPath = destination;
  UploadsPath = UploadsPathOf(destination);
  SourceTally = {};
  DestTally = {};
  UploadsTally = {};
  Lines.clear();

  Add(Join({"Source :", SourcePath}));
  Add(Join({"Destination:", DestPath}));
  Add(Join({"Changed Items:", UploadsPath}));
  Add("");
  Add("");

  // An empty destination text names no folder: nothing below it is counted or looked up
  // (its "-Uploads" would otherwise be a folder of the working directory).
  bool destinationGiven = !DestPath.empty();
  Cancelled = false;
  TallyYield yield = [this] {
    observer_->Yield();
    Cancelled = Cancelled || observer_->CancelRequested();
    return !Cancelled;
  };
  TallyTree(fs_, SourcePath, SourceTally, false, yield);
  if (!Cancelled) TallyTree(fs_, DestPath, DestTally, false, yield);
  if (!Cancelled && destinationGiven) TallyTree(fs_, UploadsPath, UploadsTally, true, yield);
  // Half-counted trees would show wrong numbers as if they were right.
  if (Cancelled) return Lines;

  Add(Join({"", "Frontpage", "FTP", "Saved", "Saved %"}));
  Add("");
  Add("*** Totals ***");
  AddTreeRows(SourceTally, DestTally);

  if (destinationGiven && Exists(ChangeLogPath(DestPath), false)) {
    Add("");
    Add(kLatestChangesLine);
  }

  bool uploadsExist = destinationGiven && Exists(UploadsPath, true);
  Add("");
  Add("*** Uploads ***");
  if (uploadsExist) {
    AddTreeRows(SourceTally, UploadsTally);
  } else {
    Add(kUploadsMissingLine);
  }

  if (destinationGiven && Exists(ChangeLogPath(UploadsPath), false)) {
    Add("");
    Add(kAllChangesLine);
  }

  ReadDeleted();
  Add("");
  Add("*** Deleted ***");
  Add(Join({"Files", Count(DeletedFiles)}));
  Add("Size Of Files");
  std::string indent = kUnitIndent;
  Add(Join({indent + "Bytes", format_.N3(DeletedBytes)}));
  Add(Join({indent + "Kilobytes", format_.N3(DeletedBytes / 1024)}));
  Add(Join({indent + "Megabytes", format_.N4(DeletedBytes / 1024 / 1024)}));
  return Lines;
}

std::vector<std::string> TerminalLayout(const std::vector<std::string>& lines) {
  constexpr int kTerminalTab = 8;
  std::vector<int> minimum;
  for (int stop : kReportTabStops) minimum.push_back(stop / kDialogUnitsPerCharacter);
  const std::vector<int> stops =
      ColumnStops(lines, minimum, kReportColumnGap, CharacterCount, kTerminalTab);
  std::vector<std::string> laidOut;
  laidOut.reserve(lines.size());
  for (const std::string& line : lines)
    laidOut.push_back(PadToStops(line, stops, kTerminalTab, CharacterCount));
  return laidOut;
}

std::vector<std::string> BuildComparisonReport(const std::string& source,
                                               const std::string& destination,
                                               const NumberFormat& format, ReportObserver* observer,
                                               FileSystem& fs) {
  ComparisonReport report(format, observer, fs);
  return report.Build(source, destination);
}

}  // namespace tarnwick
