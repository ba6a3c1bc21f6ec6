#include "shell/compare_panel.h"

#include <QCoreApplication>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/path.h"
#include "shell/compare_list.h"
#include "shell/shell_services.h"

namespace tarnwick {

namespace {

// The report's number patterns with the user's own separators.
NumberFormat LocaleNumberFormat() {
  const QLocale locale;
  return NumberFormat(locale.groupSeparator().toStdString(), locale.decimalPoint().toStdString());
}

}  // namespace

ComparePanel::ComparePanel(ShellServices& services, const Options& options,
                           const std::vector<std::string>& skipList, QWidget* parent)
    : QWidget(parent),
      services_(services),
      options_(options),
      skipList_(skipList),
      title_(this, QStringLiteral("lblCompareTitle"), QStringLiteral("Compare"), 24, 18) {
  setObjectName(QStringLiteral("picCompare"));

  cmdCompare = new QPushButton(QStringLiteral("C&ompare"), this);
  cmdCompare->setObjectName(QStringLiteral("cmdCompare"));
  cmdCompare->setMinimumWidth(96);
  connect(cmdCompare, &QPushButton::clicked, this, [this] { emit CompareRequested(); });

  // Ends the count at its next turn, as closing the window does.
  cmdCompareCancel = new QPushButton(QStringLiteral("&Cancel"), this);
  cmdCompareCancel->setObjectName(QStringLiteral("cmdCompareCancel"));
  cmdCompareCancel->hide();
  connect(cmdCompareCancel, &QPushButton::clicked, this, [this] { RequestCancel(); });

  lstCompare = new CompareList(QStringLiteral("lstCompare"), this);
  lstCompare->setAccessibleName(QStringLiteral("Comparison report"));
  connect(lstCompare, &QAbstractItemView::clicked, this, [this] { lstCompare_Click(); });

  auto* hint = new QLabel(
      QStringLiteral("The FrontPage web, its FTP web and the uploads folder side by side."), this);
  hint->setObjectName(QStringLiteral("lblCompareHint"));
  hint->setStyleSheet(QStringLiteral("color: #4a5a70;"));

  auto* top = new QHBoxLayout;
  top->addWidget(hint, 1);
  top->addWidget(cmdCompareCancel);
  top->addWidget(cmdCompare);

  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(24, 64, 24, 16);
  column->setSpacing(8);
  column->addLayout(top);
  column->addWidget(lstCompare, 1);
}

void ComparePanel::SetRunInProgress(bool running) {
  runInProgress_ = running;
  cmdCompare->setEnabled(!running && !building_);
}

bool ComparePanel::BuildReport(const QString& source, const QString& destination) {
  // A second report from inside the first one's event processing would mix their lines.
  if (building_ || runInProgress_) return false;
  if (source.trimmed().isEmpty()) {
    // Nothing to count: no report of a web without a name.
    lstCompare->Clear();
    lstCompare->AddLine(QString::fromLatin1(kNoWebLine));
    destPath_.clear();
    uploadsPath_.clear();
    return true;
  }
  building_ = true;
  cancelRequested_ = false;
  cmdCompare->setEnabled(false);
  cmdCompareCancel->show();
  lstCompare->Clear();
  firstFindingRow_ = -1;
  findingPages_.clear();
  sinceRefresh_.invalidate();

  ComparisonReport report(LocaleNumberFormat(), this);
  report.Build(source.toStdString(), destination.toStdString());
  destPath_ = report.DestPath;
  uploadsPath_ = report.UploadsPath;
  if (!report.Cancelled) AddCheckSection(report.SourcePath);
  if (cancelRequested_) lstCompare->AddLine(QString::fromLatin1(kStoppedLine));

  const bool cancelHadFocus = cmdCompareCancel->hasFocus();
  cmdCompareCancel->hide();
  building_ = false;
  cancelRequested_ = false;
  cmdCompare->setEnabled(!runInProgress_);
  if (cancelHadFocus) cmdCompare->setFocus(Qt::OtherFocusReason);
  return true;
}

void ComparePanel::LineAdded(const std::string& line) {
  lstCompare->AddLine(QString::fromStdString(line));
}

void ComparePanel::AddCheckSection(const std::string& source) {
  lstCompare->AddLine(QString());
  lstCompare->AddLine(QString::fromLatin1(kCheckHeading));
  // The summary takes this line once the check is over; the findings come below it as found.
  const int summaryRow = lstCompare->model()->rowCount();
  lstCompare->AddLine(QStringLiteral("Checking the pages of the FrontPage web..."));
  checkedWeb_ = StripTrailingSeparators(source);
  firstFindingRow_ = summaryRow + 1;
  SiteCheck check(options_, skipList_, this);
  const CheckResult result = check.Run(source);
  lstCompare->SetLine(summaryRow, QString::fromStdString(CheckSummary(result)));
  // Findings are longer than the report's lines: the list scrolls far enough to show them.
  const QFontMetrics metrics(lstCompare->font());
  int widest = lstCompare->HorizontalExtent();
  for (const QString& line : lstCompare->Lines().mid(summaryRow))
    widest = std::max(widest, metrics.horizontalAdvance(line) + 20);
  lstCompare->SetHorizontalExtent(widest);
  for (const CheckError& error : result.errors) {
    lstCompare->AddLine(QStringLiteral("Could not be read: %1: %2")
                            .arg(QDir::toNativeSeparators(QString::fromStdString(error.path)),
                                 QString::fromStdString(error.reason))
                            .replace('\t', ' '));
  }
}

void ComparePanel::FindingFound(const CheckFinding& finding) {
  findingPages_.push_back(finding.page);
  // One field: a tab written in a page is no column of the report.
  lstCompare->AddLine(QString::fromStdString(FindingText(finding)).replace('\t', ' '));
}

void ComparePanel::Yield() {
  // Events at the screen's rate, not after every file: counting stays fast.
  if (sinceRefresh_.isValid() && sinceRefresh_.elapsed() < kRefreshIntervalMs) return;
  sinceRefresh_.start();
  QCoreApplication::processEvents();
}

void ComparePanel::lstCompare_Click() {
  const QModelIndex current = lstCompare->currentIndex();
  if (!current.isValid()) return;
  const int finding = current.row() - firstFindingRow_;
  if (firstFindingRow_ >= 0 && finding >= 0 && finding < static_cast<int>(findingPages_.size())) {
    // The page as the editor opens any text file, as the skip list's Edit does.
    std::string page = checkedWeb_ + kPathSeparator + findingPages_[finding];
    for (char& c : page)
      if (c == '/') c = kPathSeparator;
    const QString path = QString::fromStdString(page);
    if (services_.OpenInEditor(path)) return;
    services_.ShowMessage(window(), QMessageBox::Warning, QString::fromLatin1(kEditorTitle),
                          QStringLiteral("No text editor could be started for the page\n%1")
                              .arg(QDir::toNativeSeparators(path)));
    return;
  }
  const std::string line = current.data(Qt::DisplayRole).toString().toStdString();
  const std::optional<std::string> log =
      ComparisonReport::ChangeLogForLine(line, destPath_, uploadsPath_);
  if (!log) return;
  const QString path = QString::fromStdString(*log);
  if (services_.OpenInEditor(path)) return;
  services_.ShowMessage(window(), QMessageBox::Warning, QString::fromLatin1(kEditorTitle),
                        QStringLiteral("No text editor could be started for the change log\n%1")
                            .arg(QDir::toNativeSeparators(path)));
}

}  // namespace tarnwick
