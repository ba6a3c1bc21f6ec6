#pragma once

#include <QString>
#include <QWidget>
#include <array>
#include <cstdint>

class QTimer;

namespace tarnwick {

class AboutPanel;
class CompareList;
class ComparePanel;
class ConvertPanel;
class DonatePanel;
class FeedbackPanel;
class QuickMenu;
class SettingsPanel;
class ShellServices;
class TickerView;
class TrayIcon;

// The main window: the quick-menu strip, the ticker box and the six panels stacked in one
// place, exactly one of them visible after a selection.
class Mainform : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kPanelCount = 6;
  static constexpr int kMainTimerIntervalMs = 1000;
  static constexpr const char* kCompareSampleText =
      "Very long string, that might require a horisontal scroll bar on the ListBox control in "
      "order to be able to view it.";

  Mainform(ShellServices& services, const QString& programFolder, QWidget* parent = nullptr);
  ~Mainform() override;

  void Form_Load();
  void Form_Unload();

  void SelectQuickMenuItem(std::int16_t index);
  // A folder dropped or given on the command line: the Convert panel's source, unless a run
  // is in progress.
  void OpenSource(const QString& folder);
  void PrepareCompareList();

  bool FormReady = false;
  bool ExitRequested = false;

  const QString& ProgramFolder() const { return programFolder_; }
  ShellServices& Services() { return services_; }

 signals:
  // The window is gone for good; the process ends next.
  void Unloaded();

 protected:
  // The steps of Form_Load that belong to the settings, the ticker and the tray.
  virtual void LoadSettings();
  virtual void LoadTicker();
  virtual void StartMainTimer();
  virtual void SetupTrayIcon();
  virtual void RemoveTrayIcon();
  // Rebuilds the comparison report; run whenever the Compare panel is chosen.
  virtual void cmdCompare_Click();
  // "Update News Ticker Now" on the Settings panel.
  virtual void cmdGetNewTicker_Click();
  virtual void MainTimer_Timer();

  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

  QTimer* MainTimer;

 private:
  void RunStep(const char* name, void (Mainform::*step)());
  void ShowWindowStep();
  void BringToFront();
  void FocusSourceStep();
  void LoadRecentWebsStep();
  void SelectConvertStep();
  void RunStartedOrEnded(bool running);

  ShellServices& services_;
  QString programFolder_;

  QuickMenu* quickMenu_;
  TickerView* picTicker;
  TrayIcon* TrayIcon1 = nullptr;
  ConvertPanel* picConvert;
  ComparePanel* picCompare;
  CompareList* lstCompare;
  SettingsPanel* picSettings;
  AboutPanel* picAbout;
  DonatePanel* picDonation;
  FeedbackPanel* picFeedback;
  std::array<QWidget*, kPanelCount> panels_{};

  bool closeAfterRun_ = false;
  bool unloaded_ = false;
};

}  // namespace tarnwick
