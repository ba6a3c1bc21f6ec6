#include "shell/convert_panel.h"

#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QEvent>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStorageInfo>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <exception>

#include "base/folder_path.h"
#include "base/text.h"
#include "engine/source_memory.h"
#include "settings/settings_store.h"
#include "shell/clickable_label.h"
#include "shell/folder_list.h"
#include "shell/panel_title.h"
#include "shell/pictures.h"
#include "shell/run_relay.h"
#include "shell/shell_services.h"
#include "shell/work_list_model.h"

namespace tarnwick {

namespace {

constexpr const char* kRefusalTitle = "Cannot Convert";
constexpr const char* kFailuresTitle = "Conversion Problems";
constexpr int kFailuresShown = 15;

QString ToQ(const std::string& text) { return QString::fromStdString(text); }
std::string ToStd(const QString& text) { return text.toStdString(); }

bool PathStartsWith(const QString& path, const QString& root) {
#ifdef _WIN32
  return path.startsWith(root, Qt::CaseInsensitive);
#else
  return path.startsWith(root);
#endif
}

}  // namespace

ConvertPanel::ConvertPanel(ShellServices& services, const QString& programFolder,
                           const Options& options, const std::vector<std::string>& skipList,
                           const std::string& settingsProblem, QWidget* parent)
    : QWidget(parent),
      services_(services),
      programFolder_(programFolder),
      options_(options),
      skipList_(skipList),
      settingsProblem_(settingsProblem),
      title_(this, QStringLiteral("lblConvertTitle"), QStringLiteral("Convert"), 24, 18) {
  setObjectName(QStringLiteral("picConvert"));

  txtConvertFrom = new QComboBox(this);
  txtConvertFrom->setObjectName(QStringLiteral("txtConvertFrom"));
  txtConvertFrom->setEditable(true);
  txtConvertFrom->setInsertPolicy(QComboBox::NoInsert);
  txtConvertFrom->setMaxVisibleItems(10);
  txtConvertFrom->lineEdit()->setPlaceholderText(QStringLiteral("The FrontPage web to convert"));
  txtConvertFrom->installEventFilter(this);
  txtConvertFrom->lineEdit()->installEventFilter(this);
  // A web picked from the list, by the mouse or the keyboard, has its destination at once.
  connect(txtConvertFrom, &QComboBox::activated, this, [this](int) { txtConvertFrom_Change(); });
  connect(txtConvertFrom->lineEdit(), &QLineEdit::textEdited, this,
          [this] { sourceTyped_ = true; });
  txtConvertFrom->setAccessibleName(QStringLiteral("FrontPage web"));
  txtConvertFrom->lineEdit()->setAccessibleName(txtConvertFrom->accessibleName());

  txtConvertTo = new QLineEdit(this);
  txtConvertTo->setObjectName(QStringLiteral("txtConvertTo"));
  txtConvertTo->setPlaceholderText(QStringLiteral("The FTP web to create or refresh"));
  txtConvertTo->setAccessibleName(QStringLiteral("FTP web"));

  drvConvert = new QComboBox(this);
  drvConvert->setObjectName(QStringLiteral("drvConvert"));
  drvConvert->setAccessibleName(QStringLiteral("Drive"));
  FillDrives();
  connect(drvConvert, &QComboBox::activated, this, [this](int) { drvConvert_Change(); });

  dirConvert = new FolderList(QStringLiteral("dirConvert"), this);
  dirConvert->setMinimumHeight(120);
  dirConvert->setAccessibleName(QStringLiteral("Folders"));
  {
    // The browser starts in the home folder without proposing anything.
    const QSignalBlocker blocker(dirConvert);
    dirConvert->SetPath(QDir::homePath());
  }
  SelectDriveFor(dirConvert->Path());
  connect(dirConvert, &FolderList::PathChanged, this, [this] { dirConvert_Change(); });

  imgConvert = new ClickableLabel(QStringLiteral("imgConvert"), this);
  imgConvert->setPixmap(Pictures::ConvertPicture());
  imgConvert->setFixedSize(64, 64);
  imgConvert->setAlignment(Qt::AlignCenter);
  imgConvert->setCursor(Qt::PointingHandCursor);
  imgConvert->setToolTip(QStringLiteral("Start Converting"));
  imgConvert->setAccessibleName(imgConvert->toolTip());
  connect(imgConvert, &ClickableLabel::Clicked, this, [this] { cmdConvertStart_Click(); });

  cmdConvertStart = new QPushButton(QStringLiteral("&Start Converting NOW !!!"), this);
  cmdConvertStart->setObjectName(QStringLiteral("cmdConvertStart"));
  cmdConvertStart->setMinimumHeight(34);
  cmdConvertStart->setDefault(true);
  connect(cmdConvertStart, &QPushButton::clicked, this, [this] { cmdConvertStart_Click(); });

  lblConvert = new ClickableLabel(QStringLiteral("lblConvert"), this);
  lblConvert->setText(
      QStringLiteral("Choose a FrontPage web and where its FTP web goes, then start."));
  lblConvert->setMinimumWidth(100);
  lblConvert->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  connect(lblConvert, &ClickableLabel::Clicked, this, [this] {
    if (linkShown_) emit ReportRequested();
  });

  // Files done of the work list; busy while the scan is still finding them.
  prgConvert = new QProgressBar(this);
  prgConvert->setObjectName(QStringLiteral("prgConvert"));
  prgConvert->setAccessibleName(QStringLiteral("Files converted"));
  prgConvert->setFormat(QStringLiteral("%v of %m"));
  prgConvert->setFixedWidth(150);
  prgConvert->hide();
  // Stops the run after the file in progress, as closing the window does.
  cmdConvertCancel = new QPushButton(QStringLiteral("&Cancel"), this);
  cmdConvertCancel->setObjectName(QStringLiteral("cmdConvertCancel"));
  cmdConvertCancel->hide();
  connect(cmdConvertCancel, &QPushButton::clicked, this, [this] { RequestCancel(); });

  workList_ = new WorkListModel(this);
  lstConvertResults = new QListView(this);
  lstConvertResults->setObjectName(QStringLiteral("lstConvertResults"));
  lstConvertResults->setModel(workList_);
  lstConvertResults->setUniformItemSizes(true);
  lstConvertResults->setEditTriggers(QAbstractItemView::NoEditTriggers);
  lstConvertResults->setLayoutMode(QListView::SinglePass);
  lstConvertResults->setAccessibleName(QStringLiteral("Work list"));

  auto* fields = new QFormLayout;
  fields->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
  fields->addRow(QStringLiteral("&FrontPage web:"), txtConvertFrom);
  fields->addRow(QStringLiteral("FTP &web:"), txtConvertTo);

  auto* browser = new QVBoxLayout;
  browser->setSpacing(4);
  browser->addWidget(drvConvert);
  browser->addWidget(dirConvert, 1);

  auto* start = new QVBoxLayout;
  start->addStretch(1);
  start->addWidget(imgConvert, 0, Qt::AlignHCenter);
  start->addSpacing(6);
  start->addWidget(cmdConvertStart);
  start->addStretch(1);

  auto* middle = new QHBoxLayout;
  middle->addLayout(browser, 1);
  middle->addSpacing(12);
  middle->addLayout(start);

  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(24, 64, 24, 16);
  column->setSpacing(8);
  column->addLayout(fields);
  column->addLayout(middle, 2);
  auto* status = new QHBoxLayout;
  status->setSpacing(8);
  status->addWidget(lblConvert, 1);
  status->addWidget(prgConvert);
  status->addWidget(cmdConvertCancel);
  column->addLayout(status);
  column->addWidget(lstConvertResults, 3);

  refresh_ = new QTimer(this);
  refresh_->setInterval(kRefreshIntervalMs);
  connect(refresh_, &QTimer::timeout, this, [this] { FlushView(); });
}

ConvertPanel::~ConvertPanel() {
  // The run holds the relay and reports to this panel: it must be over first.
  if (worker_.joinable()) {
    relay_->RequestCancel();
    worker_.join();
  }
}

void ConvertPanel::RequestCancel() {
  if (relay_) relay_->RequestCancel();
}

QString ConvertPanel::DestinationText() const { return txtConvertTo->text(); }

QString ConvertPanel::SettingsFile() const { return ToQ(SettingsFilePath(ToStd(programFolder_))); }

void ConvertPanel::FillDrives() {
  drvConvert->clear();
  QList<QStorageInfo> volumes = QStorageInfo::mountedVolumes();
  std::sort(volumes.begin(), volumes.end(), [](const QStorageInfo& a, const QStorageInfo& b) {
    return a.rootPath() < b.rootPath();
  });
  for (const QStorageInfo& volume : volumes) {
    if (!volume.isValid() || !volume.isReady()) continue;
#ifdef _WIN32
    const QString root = QDir::toNativeSeparators(volume.rootPath());
    QString text = root.left(2).toLower();
#else
    // Pseudo file systems (proc, sys, cgroups) are no place for a web.
    if (!volume.device().startsWith("/dev/") && volume.rootPath() != QLatin1String("/")) continue;
    const QString root = volume.rootPath();
    QString text = root;
#endif
    if (!volume.name().isEmpty()) text += QStringLiteral(" [%1]").arg(volume.name());
    drvConvert->addItem(style()->standardIcon(QStyle::SP_DriveHDIcon), text, root);
  }
}

void ConvertPanel::SelectDriveFor(const QString& path) {
  int best = -1;
  int bestLength = -1;
  for (int i = 0; i < drvConvert->count(); ++i) {
    const QString root = drvConvert->itemData(i).toString();
    if (PathStartsWith(path, root) && root.size() > bestLength) {
      best = i;
      bestLength = static_cast<int>(root.size());
    }
  }
  if (best < 0) return;
  const QSignalBlocker blocker(drvConvert);
  drvConvert->setCurrentIndex(best);
  currentDrive_ = best;
}

void ConvertPanel::drvConvert_Change() {
  const QString root = drvConvert->currentData().toString();
  if (dirConvert->SetPath(root)) {
    currentDrive_ = drvConvert->currentIndex();
    return;
  }
  // A drive that is not ready: the browser stays where it was.
  const QSignalBlocker blocker(drvConvert);
  drvConvert->setCurrentIndex(currentDrive_);
}

void ConvertPanel::dirConvert_Change() {
  const QString path = dirConvert->Path();
  txtConvertFrom->setEditText(path);
  ProposeDestination(path);
}

void ConvertPanel::ProposeDestination(const QString& source) {
  proposedFor_ = source;
  const SourceMemory memory(ToStd(SettingsFile()));
  txtConvertTo->setText(ToQ(memory.ProposedDestination(FolderPath(ToStd(source)).Text())));
}

void ConvertPanel::txtConvertFrom_GotFocus() { txtConvertFrom_Change(); }

void ConvertPanel::txtConvertFrom_Change() {
  const QString text = txtConvertFrom->currentText();
  // The same source again keeps a destination the user has typed since.
  sourceTyped_ = false;
  if (text.isEmpty() || text == proposedFor_) return;
  SelectDriveFor(FolderList::Normalised(text));
  {
    // The browser follows a text that names a folder; the proposal is made here either way.
    const QSignalBlocker blocker(dirConvert);
    dirConvert->SetPath(text);
  }
  ProposeDestination(text);
}

void ConvertPanel::OpenSource(const QString& folder) {
  txtConvertFrom->setEditText(QDir::toNativeSeparators(folder));
  txtConvertFrom_Change();
}

QString ConvertPanel::DroppedFolder(const QMimeData* data) {
  if (!data || !data->hasUrls() || data->urls().size() != 1) return {};
  const QUrl url = data->urls().front();
  if (!url.isLocalFile()) return {};
  const QFileInfo folder(url.toLocalFile());
  return folder.isDir() ? folder.absoluteFilePath() : QString();
}

void ConvertPanel::LoadRecentWebs() {
  txtConvertFrom->clear();
  const SourceMemory memory(ToStd(SettingsFile()));
  for (const std::string& web : memory.LoadRecentWebs()) txtConvertFrom->addItem(ToQ(web));
  if (txtConvertFrom->count() > 0) txtConvertFrom->setCurrentIndex(0);
}

bool ConvertPanel::eventFilter(QObject* watched, QEvent* event) {
  if (watched == txtConvertFrom->lineEdit() && !running_) {
    // A folder dropped on the field is the source, not a text to insert.
    if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
      auto* drag = static_cast<QDragMoveEvent*>(event);
      if (!DroppedFolder(drag->mimeData()).isEmpty()) {
        drag->acceptProposedAction();
        return true;
      }
    } else if (event->type() == QEvent::Drop) {
      auto* drop = static_cast<QDropEvent*>(event);
      const QString folder = DroppedFolder(drop->mimeData());
      if (!folder.isEmpty()) {
        drop->acceptProposedAction();
        OpenSource(folder);
        return true;
      }
    }
  }
  if (watched == txtConvertFrom && event->type() == QEvent::FocusIn) txtConvertFrom_GotFocus();
  // Leaving the field proposes for what was typed, before any click on Start.
  if (watched == txtConvertFrom && event->type() == QEvent::FocusOut && sourceTyped_)
    txtConvertFrom_Change();
  return QWidget::eventFilter(watched, event);
}

void ConvertPanel::SetRunning(bool running) {
  running_ = running;
  const bool cancelHadFocus = cmdConvertCancel->hasFocus();
  for (QWidget* control :
       std::initializer_list<QWidget*>{txtConvertFrom, txtConvertTo, drvConvert, dirConvert,
                                       cmdConvertStart, imgConvert, lblConvert}) {
    control->setEnabled(!running);
  }
  if (cancelHadFocus) cmdConvertStart->setFocus(Qt::OtherFocusReason);
  cmdConvertCancel->setVisible(running);
  if (running) {
    prgConvert->setRange(0, 0);
    prgConvert->show();
    // The focus leaves the disabled controls for the one that can stop the run.
    cmdConvertCancel->setFocus(Qt::OtherFocusReason);
  }
}

void ConvertPanel::ShowRefusal(const Refusal& refusal) {
  if (refusal.kind == RefusalKind::kSameFolders) {
    services_.ShowMessage(window(), QMessageBox::Critical, QString::fromUtf8(kSameFoldersTitle),
                          QString::fromUtf8(kSameFoldersMessage));
    return;
  }
  services_.ShowMessage(window(), QMessageBox::Warning, QString::fromUtf8(kRefusalTitle),
                        ToQ(refusal.message));
}

void ConvertPanel::ShowFailures(const RunResult& result) {
  const auto count = static_cast<qsizetype>(result.failures.size());
  QString text = count == 1
                     ? QStringLiteral("1 operation failed during the conversion:\n")
                     : QStringLiteral("%1 operations failed during the conversion:\n").arg(count);
  const qsizetype shown = std::min<qsizetype>(count, kFailuresShown);
  for (qsizetype i = 0; i < shown; ++i) {
    const RunFailure& failure = result.failures[static_cast<std::size_t>(i)];
    // One line each, whatever the names hold.
    text += QStringLiteral("\n%1 %2").arg(ToQ(failure.operation), ToQ(PrintableText(failure.path)));
    if (!failure.reason.empty())
      text += QStringLiteral(": %1").arg(ToQ(PrintableText(failure.reason)));
  }
  if (count > shown) text += QStringLiteral("\n... and %1 more.").arg(count - shown);
  services_.ShowMessage(window(), QMessageBox::Warning, QString::fromUtf8(kFailuresTitle), text);
}

bool ConvertPanel::SettingsUsable() {
  // The defaults in place of unreadable settings would delete what the user keeps in the FTP
  // web on purpose.
  std::string problem = OptionFilesProblem(ToStd(programFolder_));
  if (problem.empty() && !settingsProblem_.empty())
    problem =
        "The settings file could not be read when Tarnwick started, so the options in "
        "effect are the defaults, not yours. Please start Tarnwick again to load them.";
  if (problem.empty()) return true;
  services_.ShowMessage(window(), QMessageBox::Warning, QString::fromUtf8(kRefusalTitle),
                        ToQ(problem));
  return false;
}

void ConvertPanel::cmdConvertStart_Click() {
  if (running_ || !SettingsUsable()) return;
  // The run takes both folders once, here, as the command line makes them of its arguments.
  const std::string source = FolderPath(ToStd(txtConvertFrom->currentText())).Text();
  const std::string destination = FolderPath(ToStd(txtConvertTo->text())).Text();
  const Refusal refusal = ConversionRun::CheckFolders(source, destination);
  if (refusal) {
    ShowRefusal(refusal);
    return;
  }

  runOptions_ = options_;
  SetRunning(true);
  linkShown_ = false;
  lblConvert->SetLinkStyle(false);
  workList_->Clear();
  relay_ = std::make_unique<RunRelay>();
  emit RunStarted();

  // Everything the run needs is copied for it; it touches nothing of the window.
  worker_ = std::thread([this, relay = relay_.get(), fs = fs_, options = runOptions_,
                         skipList = skipList_, source, destination,
                         settingsFile = ToStd(SettingsFile())] {
    RunResult result;
    std::optional<CheckResult> check;
    bool remembered = false;
    try {
      ConversionRun run(options, skipList, relay, *fs);
      run.SetKeptFilesProvider(KeptFilesFromPages(options, skipList, relay, *fs));
      result = run.Run(source, destination);
      if (result.Finished()) {
        // Still part of the run: the start controls stay disabled, and closing the window
        // stops the check too.
        check = SiteCheck(options, skipList, relay, *fs).Run(source);
        // Remembered here too: the write waits for the disk, the window does not.
        remembered = SourceMemory(settingsFile).RememberConversion(source, destination);
      }
    } catch (const std::exception& e) {
      result.failures.push_back(RunFailure{"run", source, e.what()});
    }
    QMetaObject::invokeMethod(
        this, [this, result, check, remembered] { RunFinished(result, check, remembered); },
        Qt::QueuedConnection);
  });
  refresh_->start();
}

void ConvertPanel::RunFinished(const RunResult& result, const std::optional<CheckResult>& check,
                               bool remembered) {
  worker_.join();
  refresh_->stop();
  FlushView();
  // What the user should know that is no failure: a line each below the work list.
  std::vector<std::string> notices;
  for (const std::string& notice : result.notices) notices.push_back(PrintableText(notice));
  workList_->Append(notices);
  lastResult_ = result;
  lastCheck_ = check;
  if (lastCheck_) {
    std::vector<std::string> line = {kCheckLinePrefix + CheckSummary(*lastCheck_) +
                                     (lastCheck_->findings > 0 ? " See the Compare panel." : "")};
    workList_->Append(line);
    lstConvertResults->scrollToBottom();
  }
  SetRunning(false);

  if (!result.cancelled && !result.refusal) {
    prgConvert->setRange(0, static_cast<int>(result.entries));
    prgConvert->setValue(prgConvert->maximum());
  }
  if (prgConvert->maximum() == 0) prgConvert->hide();
  if (result.refusal) {
    ShowRefusal(result.refusal);
    emit RunEnded();
    return;
  }
  if (result.cancelled) {
    lblConvert->setText(QStringLiteral("The conversion was stopped before it was finished."));
    emit RunEnded();
    return;
  }

  lblConvert->setText(QString::fromLatin1(kReportLink));
  lblConvert->SetLinkStyle(true);
  linkShown_ = true;

  if (ConversionRun::FtpClientWanted(runOptions_)) services_.StartProgram(ToQ(runOptions_.FTPPath));
  if (remembered) LoadRecentWebs();

  if (!result.failures.empty()) ShowFailures(result);
  emit RunEnded();
}

void ConvertPanel::FlushView() {
  if (!relay_) return;
  RunRelay::News news = relay_->Take();
  workList_->Append(news.entries);
  if (news.status) lblConvert->setText(ToQ(*news.status));
  // The file being copied is the one after those done; the work list is whole by then.
  const std::size_t done = std::max(news.done.value_or(0), news.selection.value_or(0));
  if (news.done || news.selection) {
    prgConvert->setRange(0, std::max(workList_->rowCount(), static_cast<int>(done)));
    prgConvert->setValue(static_cast<int>(done));
  }
  if (news.selection && *news.selection < static_cast<std::size_t>(workList_->rowCount())) {
    const QModelIndex index = workList_->index(static_cast<int>(*news.selection));
    lstConvertResults->setCurrentIndex(index);
    lstConvertResults->scrollTo(index);
  }
}

}  // namespace tarnwick
