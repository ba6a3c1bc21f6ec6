#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QWidget>
#include <optional>
#include <string>
#include <vector>

#include "check/site_check.h"
#include "engine/conversion_run.h"
#include "settings/options.h"
#include "shell/panel_title.h"

class QComboBox;
class QLineEdit;
class QListView;
class QPushButton;

namespace tarnwick {

class ClickableLabel;
class FolderList;
class ShellServices;
class WorkListModel;

// picConvert: the choice of source and destination and the conversion run itself. The run is
// the engine's; this panel shows it, at screen rate rather than once per file. After a run the
// site check's count ends the work list.
class ConvertPanel : public QWidget, public RunObserver, public CheckObserver {
  Q_OBJECT

 public:
  // settingsProblem is why settings.db could not be read when the options were loaded.
  ConvertPanel(ShellServices& services, const QString& programFolder, const Options& options,
               const std::vector<std::string>& skipList, const std::string& settingsProblem,
               QWidget* parent = nullptr);

  static constexpr const char* kReportLink =
      "Click here to see a complete report about the conversion.";

  void cmdConvertStart_Click();
  void drvConvert_Change();
  void dirConvert_Change();
  void txtConvertFrom_GotFocus();
  void LoadRecentWebs();

  bool Running() const { return running_; }
  // Ends the run after the file in progress.
  void RequestCancel() { cancelRequested_ = true; }
  const std::optional<RunResult>& LastResult() const { return lastResult_; }
  const std::optional<CheckResult>& LastCheck() const { return lastCheck_; }
  // The line the check adds to the work list ("Site check: ...").
  static constexpr const char* kCheckLinePrefix = "Site check: ";

  QComboBox* SourceField() const { return txtConvertFrom; }

  // RunObserver and CheckObserver
  void StatusChanged(const std::string& text) override;
  void EntryAdded(const std::string& entry) override;
  void EntrySelected(std::size_t index) override;
  void Yield() override;
  bool CancelRequested() override;

  // Repaint interval while a run yields: the screen's rate, not every file.
  static constexpr int kRefreshIntervalMs = 16;

 signals:
  void RunStarted();
  void RunEnded();
  // The report link was clicked.
  void ReportRequested();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void SetRunning(bool running);
  void FlushView();
  void ShowRefusal(const Refusal& refusal);
  void ShowFailures(const RunResult& result);
  void CheckSource(const std::string& source, const Options& options);
  bool SettingsUsable();
  void FillDrives();
  void SelectDriveFor(const QString& path);
  QString SettingsFile() const;

  ShellServices& services_;
  QString programFolder_;
  const Options& options_;
  const std::vector<std::string>& skipList_;
  const std::string& settingsProblem_;
  PanelTitle title_;

  QComboBox* txtConvertFrom;
  QLineEdit* txtConvertTo;
  QComboBox* drvConvert;
  FolderList* dirConvert;
  QPushButton* cmdConvertStart;
  ClickableLabel* imgConvert;
  ClickableLabel* lblConvert;
  QListView* lstConvertResults;
  WorkListModel* workList_;

  bool running_ = false;
  bool cancelRequested_ = false;
  bool linkShown_ = false;
  int currentDrive_ = -1;
  std::optional<RunResult> lastResult_;
  std::optional<CheckResult> lastCheck_;

  // What the run reported since the last repaint.
  std::vector<std::string> pendingEntries_;
  std::string pendingStatus_;
  bool statusDirty_ = false;
  std::optional<std::size_t> pendingSelection_;
  QElapsedTimer sinceRefresh_;
};

}  // namespace tarnwick
