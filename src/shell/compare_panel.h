#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QWidget>
#include <string>

#include "report/comparison_report.h"
#include "shell/panel_title.h"

class QPushButton;

namespace tarnwick {

class CompareList;
class ShellServices;

// picCompare: the comparison report of the FrontPage web, its FTP web and the uploads folder.
// The report is the core's; this panel shows its lines as they come and opens the change logs.
class ComparePanel : public QWidget, public ReportObserver {
  Q_OBJECT

 public:
  explicit ComparePanel(ShellServices& services, QWidget* parent = nullptr);

  static constexpr const char* kEditorTitle = "Cannot Open Editor";
  // Repaint interval while the trees are counted.
  static constexpr int kRefreshIntervalMs = 16;

  CompareList* List() const { return lstCompare; }

  // Builds the report for the two folder texts as typed. False when refused: a report is
  // already being built, or a conversion is running.
  bool BuildReport(const QString& source, const QString& destination);
  bool Building() const { return building_; }
  // A run writes the trees the report counts; Compare waits until it is over.
  void SetRunInProgress(bool running);

  void lstCompare_Click();

  // What the last report used; the change-log lines open the logs of these folders.
  const std::string& DestPath() const { return destPath_; }
  const std::string& UploadsPath() const { return uploadsPath_; }

  // ReportObserver
  void LineAdded(const std::string& line) override;
  void Yield() override;

 signals:
  void CompareRequested();

 private:
  ShellServices& services_;
  PanelTitle title_;
  QPushButton* cmdCompare;
  CompareList* lstCompare;

  bool building_ = false;
  bool runInProgress_ = false;
  std::string destPath_;
  std::string uploadsPath_;
  QElapsedTimer sinceRefresh_;
};

}  // namespace tarnwick
