#include "shell/mainform.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QMimeData>
#include <QPainter>
#include <QScreen>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>
#include <exception>
#include <iterator>

#include "shell/about_panel.h"
#include "shell/compare_list.h"
#include "shell/compare_panel.h"
#include "shell/convert_panel.h"
#include "shell/donate_panel.h"
#include "shell/feedback_panel.h"
#include "shell/main_module.h"
#include "shell/pictures.h"
#include "shell/quick_menu.h"
#include "shell/settings_panel.h"
#include "shell/shell_services.h"
#include "shell/ticker_view.h"
#include "shell/tray_icon.h"
#include "shell/twips.h"
#include "shell/web_links.h"

namespace tarnwick {

namespace {

// The dark band at the top of the content area; the ticker box sits in it, in line with the
// panels' headings.
class TickerBand : public QWidget {
 public:
  TickerBand(QWidget* box, QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("tickerBand"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(24, 4, 24, 4);
    layout->addWidget(box);
    layout->addStretch(1);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    QLinearGradient g(0, 0, 0, height());
    g.setColorAt(0, Pictures::StripTop().darker(110));
    g.setColorAt(1, Pictures::StripBottom());
    p.fillRect(rect(), g);
  }
};

}  // namespace

Mainform::Mainform(ShellServices& services, const QString& programFolder, QWidget* parent)
    : QWidget(parent), services_(services), programFolder_(programFolder) {
  setObjectName(QStringLiteral("Mainform"));
  setWindowTitle(QStringLiteral("Tarnwick"));
  setWindowIcon(Pictures::WindowIcon());

  QPalette content = palette();
  content.setColor(QPalette::Window, QColor(240, 243, 247));
  setPalette(content);
  setAutoFillBackground(true);

  quickMenu_ = new QuickMenu(this);
  connect(quickMenu_, &QuickMenu::ItemChosen, this,
          [this](int index) { SelectQuickMenuItem(static_cast<std::int16_t>(index)); });

  picTicker = new TickerView(services_, programFolder_, this);

  auto* host = new QWidget(this);
  host->setObjectName(QStringLiteral("panelHost"));
  auto* stack = new QGridLayout(host);
  stack->setContentsMargins(0, 0, 0, 0);

  // The settings panel holds what the run and the report read.
  picSettings = new SettingsPanel(services_, programFolder_, FormReady, host);
  connect(picSettings, &SettingsPanel::GetNewTickerRequested, this,
          [this] { cmdGetNewTicker_Click(); });
  picConvert = new ConvertPanel(services_, programFolder_, picSettings->CurrentOptions(),
                                picSettings->SkipList(), picSettings->SettingsProblem(), host);
  picCompare =
      new ComparePanel(services_, picSettings->CurrentOptions(), picSettings->SkipList(), host);
  lstCompare = picCompare->List();
  connect(picCompare, &ComparePanel::CompareRequested, this, [this] { cmdCompare_Click(); });
  picAbout = new AboutPanel(services_, host);
  picDonation = new DonatePanel(services_, host);
  picFeedback = new FeedbackPanel(services_, host);
  panels_ = {picConvert, picCompare, picSettings, picAbout, picDonation, picFeedback};
  for (QWidget* panel : panels_) {
    stack->addWidget(panel, 0, 0);
    panel->hide();
  }

  connect(picConvert, &ConvertPanel::RunStarted, this, [this] { RunStartedOrEnded(true); });
  connect(picConvert, &ConvertPanel::RunEnded, this, [this] { RunStartedOrEnded(false); });
  connect(picConvert, &ConvertPanel::RunStarted, picCompare,
          [this] { picCompare->SetRunInProgress(true); });
  connect(picConvert, &ConvertPanel::RunEnded, picCompare,
          [this] { picCompare->SetRunInProgress(false); });
  connect(picConvert, &ConvertPanel::ReportRequested, this, [this] { SelectQuickMenuItem(1); });

  auto* right = new QVBoxLayout;
  right->setContentsMargins(0, 0, 0, 0);
  right->setSpacing(0);
  right->addWidget(new TickerBand(picTicker, this));
  right->addWidget(host, 1);

  auto* whole = new QHBoxLayout(this);
  whole->setContentsMargins(0, 0, 0, 0);
  whole->setSpacing(0);
  whole->addWidget(quickMenu_);
  whole->addLayout(right, 1);

  MainTimer = new QTimer(this);
  MainTimer->setObjectName(QStringLiteral("MainTimer"));
  MainTimer->setInterval(kMainTimerIntervalMs);
  connect(MainTimer, &QTimer::timeout, this, [this] { MainTimer_Timer(); });

  // The panels from the keyboard, as the strip lists them; F1 is Help wherever the focus is.
  for (int index = 0; index < QuickMenu::kItemCount; ++index) {
    const int number = QuickMenu::ShortcutNumber(index);
    const QKeySequence keys = number == 0 ? QKeySequence(Qt::Key_F1)
                                          : QKeySequence(Qt::CTRL | Qt::Key(Qt::Key_0 + number));
    auto* shortcut = new QShortcut(keys, this);
    connect(shortcut, &QShortcut::activated, this,
            [this, index] { SelectQuickMenuItem(static_cast<std::int16_t>(index)); });
  }

  // The first size, and the least, within what the screen offers (a large scale factor leaves
  // few pixels); the frame needs some of it too.
  QSize room(780, 540);
  QSize least(640, Twips(QuickMenu::kStripHeightTwips));
  if (const QScreen* shown = screen()) {
    const QSize available = shown->availableGeometry().size() - QSize(16, 48);
    room = room.boundedTo(available);
    least = least.boundedTo(available);
  }
  setMinimumSize(least);
  resize(room);
  setAcceptDrops(true);
}

Mainform::~Mainform() = default;

void Mainform::RunStep(const char* /*name*/, void (Mainform::*step)()) {
  // A failing step is skipped without a message; the start-up goes on with the next one.
  try {
    (this->*step)();
  } catch (const std::exception&) {
  } catch (...) {
  }
}

void Mainform::Form_Load() {
  RunStep("LoadSettings", &Mainform::LoadSettings);
  ExitRequested = false;
  RunStep("LoadTicker", &Mainform::LoadTicker);
  RunStep("MainTimer", &Mainform::StartMainTimer);
  RunStep("SetupTrayIcon", &Mainform::SetupTrayIcon);
  RunStep("Show", &Mainform::ShowWindowStep);
  RunStep("Focus", &Mainform::FocusSourceStep);
  RunStep("LoadRecentWebs", &Mainform::LoadRecentWebsStep);
  RunStep("SelectQuickMenuItem", &Mainform::SelectConvertStep);
  RunStep("PrepareCompareList", &Mainform::PrepareCompareList);
  FormReady = true;
}

void Mainform::LoadSettings() { picSettings->LoadSettings(); }

void Mainform::LoadTicker() { picTicker->LoadTicker(); }

void Mainform::StartMainTimer() { MainTimer->start(); }

void Mainform::SetupTrayIcon() {
  TrayIcon1 = new TrayIcon(this);
  connect(TrayIcon1, &TrayIcon::ExitChosen, this, [this] { ExitRequested = true; });
  // Help and About are the quick menu's, with the window brought to the front for them.
  connect(TrayIcon1, &TrayIcon::HelpChosen, this, [this] {
    BringToFront();
    SelectQuickMenuItem(3);
  });
  connect(TrayIcon1, &TrayIcon::AboutChosen, this, [this] {
    BringToFront();
    SelectQuickMenuItem(4);
  });
  connect(TrayIcon1, &TrayIcon::WindowWanted, this, [this] { BringToFront(); });
  TrayIcon1->Setup(OSName);
}

void Mainform::RemoveTrayIcon() {
  if (TrayIcon1) TrayIcon1->RemoveIcon();
}

void Mainform::cmdCompare_Click() {
  // The trees must not change under the count, and one report at a time.
  if (picConvert->Running() || picCompare->Building()) return;
  // No run may start from inside the report's event processing either.
  picConvert->setEnabled(false);
  picCompare->BuildReport(picConvert->SourceField()->currentText(), picConvert->DestinationText());
  picConvert->setEnabled(true);
}

void Mainform::cmdGetNewTicker_Click() { picTicker->GetNewTickerText(); }

void Mainform::MainTimer_Timer() {
  const MainTimerOutcome outcome = picTicker->MainTimerTick(ExitRequested);
  if (outcome.closeWindow) {
    close();
    return;
  }
  picSettings->SetTickerUpdateEnabled(outcome.isOnline);
}

void Mainform::BringToFront() {
  if (isMinimized()) showNormal();
  show();
  raise();
  activateWindow();
}

void Mainform::ShowWindowStep() {
  show();
  activateWindow();
}

void Mainform::FocusSourceStep() { picConvert->SourceField()->setFocus(Qt::OtherFocusReason); }

void Mainform::LoadRecentWebsStep() { picConvert->LoadRecentWebs(); }

void Mainform::SelectConvertStep() { SelectQuickMenuItem(0); }

void Mainform::SelectQuickMenuItem(std::int16_t index) {
  if (index == 3) {
    OpenWebPage(services_, QString::fromLatin1(kProductHomePage));
    return;
  }
  // Compare counts the trees the run is writing; it waits until the run is over.
  if (index == 1 && picConvert->Running()) return;
  for (QWidget* panel : panels_) panel->hide();
  quickMenu_->MarkSelected(index);
  quickMenu_->HideSelector();
  switch (index) {
    case 0:
      picConvert->show();
      break;
    case 1:
      picCompare->show();
      cmdCompare_Click();
      break;
    case 2:
      picSettings->show();
      break;
    case 4:
      picAbout->show();
      picAbout->SetVersionLine();
      break;
    case 5:
      picDonation->show();
      picDonation->FillDonationText();
      break;
    case 6:
      picFeedback->show();
      picFeedback->FillFeedbackText();
      break;
    default:
      break;
  }
}

void Mainform::PrepareCompareList() {
  lstCompare->Clear();
  const QFontMetrics metrics(lstCompare->font());
  const int width = metrics.horizontalAdvance(QString::fromLatin1(kCompareSampleText));
  lstCompare->SetHorizontalExtent(width + 20);
  lstCompare->SetTabStops({});
  lstCompare->SetTabStops({std::begin(kReportTabStops), std::end(kReportTabStops)});
  lstCompare->viewport()->update();
}

void Mainform::OpenSource(const QString& folder) {
  if (picConvert->Running()) return;
  SelectQuickMenuItem(0);
  picConvert->OpenSource(folder);
}

void Mainform::dragEnterEvent(QDragEnterEvent* event) {
  if (!picConvert->Running() && !ConvertPanel::DroppedFolder(event->mimeData()).isEmpty())
    event->acceptProposedAction();
}

void Mainform::dropEvent(QDropEvent* event) {
  const QString folder = ConvertPanel::DroppedFolder(event->mimeData());
  if (folder.isEmpty() || picConvert->Running()) return;
  event->acceptProposedAction();
  OpenSource(folder);
}

void Mainform::RunStartedOrEnded(bool running) {
  quickMenu_->SetItemEnabled(1, !running);
  if (!running && closeAfterRun_) close();
}

void Mainform::closeEvent(QCloseEvent* event) {
  if (picConvert->Running()) {
    // The run stops after the file in progress; the window closes when it has.
    picConvert->RequestCancel();
    closeAfterRun_ = true;
    event->ignore();
    return;
  }
  // A report only counts: it ends at its next turn, and nothing waits for it.
  picCompare->RequestCancel();
  event->accept();
  Form_Unload();
}

void Mainform::Form_Unload() {
  if (unloaded_) return;
  unloaded_ = true;
  picTicker->StopFetch();
  RunStep("RemoveTrayIcon", &Mainform::RemoveTrayIcon);
  QCoreApplication::processEvents();
  emit Unloaded();
  services_.EndProcess();
}

}  // namespace tarnwick
