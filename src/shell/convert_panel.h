#pragma once

#include <QString>
#include <QWidget>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "check/site_check.h"
#include "engine/conversion_run.h"
#include "settings/options.h"
#include "shell/panel_title.h"

class QComboBox;
class QLineEdit;
class QListView;
class QMimeData;
class QProgressBar;
class QPushButton;
class QTimer;

namespace tarnwick {

class ClickableLabel;
class FolderList;
class RunRelay;
class ShellServices;
class WorkListModel;

// picConvert: the choice of source and destination and the conversion run itself. The run is
// the engine's and goes on beside the window's thread, so that no disk, however slow, holds up
// the window; this panel shows what it reports, at the screen's rate rather than once per file.
// After a run the site check's count ends the work list.
class ConvertPanel : public QWidget {
  Q_OBJECT

 public:
  // settingsProblem is why settings.db could not be read when the options were loaded.
  ConvertPanel(ShellServices& services, const QString& programFolder, const Options& options,
               const std::vector<std::string>& skipList, const std::string& settingsProblem,
               QWidget* parent = nullptr);
  ~ConvertPanel() override;

  static constexpr const char* kReportLink =
      "Click here to see a complete report about the conversion.";

  void cmdConvertStart_Click();
  void drvConvert_Change();
  void dirConvert_Change();
  void txtConvertFrom_GotFocus();
  // The source was picked from the list, or typed and left: the browser follows it and its
  // destination is proposed.
  void txtConvertFrom_Change();
  void LoadRecentWebs();
  // The folder becomes the source, the browser follows and its destination is proposed.
  void OpenSource(const QString& folder);
  // The one local folder that a drag carries; empty for anything else.
  static QString DroppedFolder(const QMimeData* data);

  // Until RunEnded: the run goes on after the click that started it has returned.
  bool Running() const { return running_; }
  // Ends the run after the file in progress.
  void RequestCancel();
  const std::optional<RunResult>& LastResult() const { return lastResult_; }
  const std::optional<CheckResult>& LastCheck() const { return lastCheck_; }
  // The line the check adds to the work list ("Site check: ...").
  static constexpr const char* kCheckLinePrefix = "Site check: ";

  QComboBox* SourceField() const { return txtConvertFrom; }
  QString DestinationText() const;
  // The file system the runs use (tests put a slow one in).
  void SetFileSystem(FileSystem& fs) { fs_ = &fs; }

  // How often the window shows what the run reported: the screen's rate, not every file.
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
  // The remembered destination of that source, or the source followed by "-FTP".
  void ProposeDestination(const QString& source);
  void FlushView();
  // Back on the window's thread once the run (and its remembering) is over.
  void RunFinished(const RunResult& result, const std::optional<CheckResult>& check,
                   bool remembered);
  void ShowRefusal(const Refusal& refusal);
  void ShowFailures(const RunResult& result);
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
  QProgressBar* prgConvert;
  QPushButton* cmdConvertCancel;
  QListView* lstConvertResults;
  WorkListModel* workList_;

  bool running_ = false;
  QString proposedFor_;       // the source text the destination was last proposed for
  bool sourceTyped_ = false;  // typed into since the last proposal
  bool linkShown_ = false;
  int currentDrive_ = -1;
  std::optional<RunResult> lastResult_;
  std::optional<CheckResult> lastCheck_;
  Options runOptions_;  // what the run took at its start

  FileSystem* fs_ = &SystemFileSystem();
  std::unique_ptr<RunRelay> relay_;
  std::thread worker_;
  QTimer* refresh_;
};

}  // namespace tarnwick
