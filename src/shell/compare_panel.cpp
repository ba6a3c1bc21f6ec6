#include "shell/compare_panel.h"

#include <QCoreApplication>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

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

ComparePanel::ComparePanel(ShellServices& services, QWidget* parent)
    : QWidget(parent),
      services_(services),
      title_(this, QStringLiteral("lblCompareTitle"), QStringLiteral("Compare"), 24, 18) {
  setObjectName(QStringLiteral("picCompare"));

  cmdCompare = new QPushButton(QStringLiteral("Compare"), this);
  cmdCompare->setObjectName(QStringLiteral("cmdCompare"));
  cmdCompare->setMinimumWidth(96);
  connect(cmdCompare, &QPushButton::clicked, this, [this] { emit CompareRequested(); });

  lstCompare = new CompareList(QStringLiteral("lstCompare"), this);
  connect(lstCompare, &QAbstractItemView::clicked, this, [this] { lstCompare_Click(); });

  auto* hint = new QLabel(
      QStringLiteral("The FrontPage web, its FTP web and the uploads folder side by side."), this);
  hint->setObjectName(QStringLiteral("lblCompareHint"));
  hint->setStyleSheet(QStringLiteral("color: #4a5a70;"));

  auto* top = new QHBoxLayout;
  top->addWidget(hint, 1);
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
  building_ = true;
  cmdCompare->setEnabled(false);
  lstCompare->Clear();
  sinceRefresh_.invalidate();

  ComparisonReport report(LocaleNumberFormat(), this);
  report.Build(source.toStdString(), destination.toStdString());
  destPath_ = report.DestPath;
  uploadsPath_ = report.UploadsPath;

  building_ = false;
  cmdCompare->setEnabled(!runInProgress_);
  return true;
}

void ComparePanel::LineAdded(const std::string& line) {
  lstCompare->AddLine(QString::fromStdString(line));
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
