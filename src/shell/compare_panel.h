#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QWidget>
#include <string>
#include <vector>

#include "check/site_check.h"
#include "report/comparison_report.h"
#include "settings/options.h"
#include "shell/panel_title.h"

class QPushButton;

namespace tarnwick {

class CompareList;
class ShellServices;

// picCompare: the comparison report of the FrontPage web, its FTP web and the uploads folder,
// followed by what the site check finds in the web. Report and check are the core's; this
// panel shows their lines as they come and opens the change logs and the pages.
class ComparePanel : public QWidget, public ReportObserver, public CheckObserver {
  Q_OBJECT

 public:
  // options and skipList are what the check judges the web by, read at each report.
  ComparePanel(ShellServices& services, const Options& options,
               const std::vector<std::string>& skipList, QWidget* parent = nullptr);

  static constexpr const char* kEditorTitle = "Cannot Open Editor";
  // Repaint interval while the trees are counted.
  static constexpr int kRefreshIntervalMs = 16;

  CompareList* List() const { return lstCompare; }

  static constexpr const char* kCheckHeading = "*** Site Check ***";
  static constexpr const char* kNoWebLine = "Choose a FrontPage web first.";
  static constexpr const char* kStoppedLine = "The count was stopped before it was finished.";

  // Builds the report for the two folder texts as typed. False when refused: a report is
  // already being built, or a conversion is running.
  bool BuildReport(const QString& source, const QString& destination);
  bool Building() const { return building_; }
  // Ends the report being built at its next turn; its half-counted lines are not shown.
  void RequestCancel() { cancelRequested_ = building_; }
  // A run writes the trees the report counts; Compare waits until it is over.
  void SetRunInProgress(bool running);

  void lstCompare_Click();

  // What the last report used; the change-log lines open the logs of these folders.
  const std::string& DestPath() const { return destPath_; }
  const std::string& UploadsPath() const { return uploadsPath_; }

  // ReportObserver
  void LineAdded(const std::string& line) override;
  void Yield() override;
  // CheckObserver
  void FindingFound(const CheckFinding& finding) override;
  bool CancelRequested() override { return cancelRequested_; }

 signals:
  void CompareRequested();

 private:
  ShellServices& services_;
  PanelTitle title_;
  QPushButton* cmdCompare;
  QPushButton* cmdCompareCancel;
  CompareList* lstCompare;

  void AddCheckSection(const std::string& source);

  const Options& options_;
  const std::vector<std::string>& skipList_;
  std::string checkedWeb_;
  int firstFindingRow_ = -1;
  std::vector<std::string> findingPages_;  // page of each finding line, relative to the web

  bool building_ = false;
  bool cancelRequested_ = false;
  bool runInProgress_ = false;
  std::string destPath_;
  std::string uploadsPath_;
  QElapsedTimer sinceRefresh_;
};

}  // namespace tarnwick
