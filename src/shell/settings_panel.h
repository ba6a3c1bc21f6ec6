#pragma once

#include <QString>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "settings/options.h"
#include "shell/panel_title.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace tarnwick {

class OptionCheckBox;
class ShellServices;

// picSettings: the nine options, the skip list and the FTP client. Every option click saves
// the whole section at once once the window is ready; the rules of which controls are enabled
// come from the core.
class SettingsPanel : public QWidget {
  Q_OBJECT

 public:
  // options and skipList are the window's, read by the next run; formReady is the window's
  // flag that tells loading from use.
  // settingsProblem receives why settings.db could not be read, if so.
  SettingsPanel(ShellServices& services, const QString& programFolder, Options& options,
                std::vector<std::string>& skipList, std::string& settingsProblem,
                const bool& formReady, QWidget* parent = nullptr);
  ~SettingsPanel() override;

  static constexpr const char* kEditorTitle = "Cannot Open Editor";

  void LoadSettings();
  void cmdSaveSettings_Click();

  void chkCheckForChanges_Click();
  void chkCompareDates_Click();
  void chkCompareSizes_Click();
  void chkCreateUploadsDir_Click();
  void chkKillDeleted_Click();
  void chkKillExtra_Click();
  void chkLaunchFTP_Click();
  void chkReportChanges_Click();
  void chkReportDeleted_Click();
  void chkKeepUsedFiles_Click();

  void cmdKillExtraEdit_Click();
  void cmdKillExtraRefresh_Click();
  void cmdLaunchFTP_Click();
  QString BrowseForFile();

  // The platform's open-file dialog: a full path, or empty when cancelled. Tests put their own.
  std::function<QString(QWidget* parent)> FileChooser;

 signals:
  // "Update News Ticker Now" was clicked.
  void GetNewTickerRequested();

 private:
  // One option: its stored key and field, its box and caption label, its click handler.
  struct Option {
    const char* key;
    std::int16_t Options::*field;
    OptionCheckBox* box;
    QLabel* label;
    void (SettingsPanel::*handler)();
  };

  void ApplyInterlocks();
  void SaveWhenReady();
  QString SettingsFile() const;
  QString SkipListFile() const;
  OptionCheckBox* Box(const char* key) const;

  ShellServices& services_;
  QString programFolder_;
  Options& options_;
  std::vector<std::string>& skipList_;
  std::string& settingsProblem_;
  const bool& formReady_;
  PanelTitle title_;

  std::vector<Option> optionRows_;  // in the order of the stored keys
  QListWidget* lstKillExtra;
  QPushButton* cmdKillExtraEdit;
  QPushButton* cmdKillExtraRefresh;
  QLineEdit* txtLaunchFTP;
  QPushButton* cmdLaunchFTP;
  QPushButton* cmdSaveSettings;
  QPushButton* cmdGetNewTicker;
};

}  // namespace tarnwick
