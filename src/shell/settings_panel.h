#pragma once

#include <QString>
#include <QWidget>
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

// picSettings: the options, the skip list and the FTP client. It holds what the next run and
// report read. Every option click saves the whole section at once once the window is ready; the
// rules of which controls are enabled come from the core.
class SettingsPanel : public QWidget {
  Q_OBJECT

 public:
  // formReady is the window's flag that tells loading from use.
  SettingsPanel(ShellServices& services, const QString& programFolder, const bool& formReady,
                QWidget* parent = nullptr);
  ~SettingsPanel() override;

  static constexpr const char* kEditorTitle = "Cannot Open Editor";

  void LoadSettings();
  void cmdSaveSettings_Click();
  void cmdKillExtraEdit_Click();
  void cmdKillExtraRefresh_Click();
  void cmdLaunchFTP_Click();
  QString BrowseForFile();

  // The options as last loaded or saved, and the skip list as last loaded; these are what a run
  // or a report reads, and they stay in place for the panel's life.
  const Options& CurrentOptions() const { return options_; }
  const std::vector<std::string>& SkipList() const { return skipList_; }
  // Why settings.db could not be read when the settings were loaded; empty when it could.
  const std::string& SettingsProblem() const { return settingsProblem_; }

  // "Update News Ticker Now" works only on-line.
  void SetTickerUpdateEnabled(bool enabled);

  // The platform's open-file dialog: a full path, or empty when cancelled. Tests put their own.
  std::function<QString(QWidget* parent)> FileChooser;

 signals:
  // "Update News Ticker Now" was clicked.
  void GetNewTickerRequested();

 private:
  // One option's box and the label with its caption.
  struct OptionRow {
    const OptionDescriptor* option;
    OptionCheckBox* box;
    QLabel* label;
  };

  // The handler of every option's box.
  void chkOption_Click(const OptionDescriptor& option);
  void ApplyInterlocks();
  void SaveWhenReady();
  QString SettingsFile() const;
  QString SkipListFile() const;
  const OptionRow& Row(std::int16_t Options::*state) const;

  ShellServices& services_;
  QString programFolder_;
  Options options_;
  std::vector<std::string> skipList_;
  std::string settingsProblem_;
  const bool& formReady_;
  PanelTitle title_;

  std::vector<OptionRow> optionRows_;  // in the order of the stored keys
  QListWidget* lstKillExtra;
  QPushButton* cmdKillExtraEdit;
  QPushButton* cmdKillExtraRefresh;
  QLineEdit* txtLaunchFTP;
  QPushButton* cmdLaunchFTP;
  QPushButton* cmdSaveSettings;
  QPushButton* cmdGetNewTicker;
};

}  // namespace tarnwick
