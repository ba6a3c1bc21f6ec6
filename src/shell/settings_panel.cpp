#include "shell/settings_panel.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "settings/option_interlocks.h"
#include "settings/settings_store.h"
#include "settings/skip_list.h"
#include "shell/mnemonic.h"
#include "shell/option_check_box.h"
#include "shell/shell_services.h"

namespace tarnwick {

namespace {

QString ToQ(const std::string& text) { return QString::fromStdString(text); }
std::string ToStd(const QString& text) { return text.toStdString(); }

constexpr int kIndent = 22;

// Alt and a letter for each control of the panel, none twice.
struct Mnemonic {
  const char* control;
  char letter;
};
constexpr Mnemonic kMnemonics[] = {
    {"chkCheckForChanges", 'C'},  {"chkCompareDates", 'D'},  {"chkCompareSizes", 'z'},
    {"chkCreateUploadsDir", 't'}, {"chkKillDeleted", 'm'},   {"chkKillExtra", 'U'},
    {"chkLaunchFTP", 'L'},        {"chkReportChanges", 'G'}, {"chkReportDeleted", 'o'},
    {"chkKeepUsedFiles", 'K'},    {"cmdKillExtraEdit", 'E'}, {"cmdKillExtraRefresh", 'R'},
    {"cmdLaunchFTP", 'B'},        {"cmdSaveSettings", 'S'},  {"cmdGetNewTicker", 'N'},
};

QString Marked(const char* control, const QString& caption) {
  for (const Mnemonic& m : kMnemonics)
    if (qstrcmp(m.control, control) == 0) return WithMnemonic(caption, QLatin1Char(m.letter));
  return caption;
}

// The two boxes that govern others by themselves; while the window loads they show what was
// loaded, and loading runs their handlers in any case.
bool GovernsAlone(const OptionDescriptor& option) {
  return option.state == &Options::CheckForChanges || option.state == &Options::LaunchFTP;
}

QString DefaultFileChooser(QWidget* parent) {
  return QDir::toNativeSeparators(QFileDialog::getOpenFileName(parent));
}

}  // namespace

SettingsPanel::SettingsPanel(ShellServices& services, const QString& programFolder,
                             const bool& formReady, QWidget* parent)
    : QWidget(parent),
      FileChooser(DefaultFileChooser),
      services_(services),
      programFolder_(programFolder),
      formReady_(formReady),
      title_(this, QStringLiteral("lblSettingsTitle"), QStringLiteral("Settings"), 24, 18) {
  setObjectName(QStringLiteral("picSettings"));

  for (const OptionDescriptor& option : kOptionTable) {
    if (option.state == nullptr) continue;  // the path has a field of its own
    auto* box = new OptionCheckBox(QString::fromLatin1(option.control), this);
    const QString caption = QString::fromLatin1(option.caption);
    // The caption is the box's name: its mnemonic and a click on it reach the box.
    auto* label = new QLabel(Marked(option.control, caption), this);
    label->setObjectName(QString::fromStdString(CaptionLabel(option)));
    label->setBuddy(box);
    box->setAccessibleName(caption);
    connect(box, &QCheckBox::clicked, this, [this, &option] { chkOption_Click(option); });
    optionRows_.push_back({&option, box, label});
  }

  lstKillExtra = new QListWidget(this);
  lstKillExtra->setObjectName(QStringLiteral("lstKillExtra"));
  lstKillExtra->setUniformItemSizes(true);
  lstKillExtra->setToolTip(QStringLiteral("The files the conversion leaves out, from extras.db"));
  lstKillExtra->setAccessibleName(QStringLiteral("Skip list"));
  lstKillExtra->setAccessibleDescription(lstKillExtra->toolTip());
  cmdKillExtraEdit = new QPushButton(Marked("cmdKillExtraEdit", QStringLiteral("Edit")), this);
  cmdKillExtraEdit->setObjectName(QStringLiteral("cmdKillExtraEdit"));
  cmdKillExtraRefresh =
      new QPushButton(Marked("cmdKillExtraRefresh", QStringLiteral("Refresh")), this);
  cmdKillExtraRefresh->setObjectName(QStringLiteral("cmdKillExtraRefresh"));
  connect(cmdKillExtraEdit, &QPushButton::clicked, this, [this] { cmdKillExtraEdit_Click(); });
  connect(cmdKillExtraRefresh, &QPushButton::clicked, this,
          [this] { cmdKillExtraRefresh_Click(); });

  txtLaunchFTP = new QLineEdit(this);
  txtLaunchFTP->setObjectName(QStringLiteral("txtLaunchFTP"));
  txtLaunchFTP->setPlaceholderText(QStringLiteral("The FTP client program"));
  txtLaunchFTP->setAccessibleName(QStringLiteral("FTP client program"));
  cmdLaunchFTP = new QPushButton(Marked("cmdLaunchFTP", QStringLiteral("Browse")), this);
  cmdLaunchFTP->setObjectName(QStringLiteral("cmdLaunchFTP"));
  connect(cmdLaunchFTP, &QPushButton::clicked, this, [this] { cmdLaunchFTP_Click(); });

  cmdSaveSettings =
      new QPushButton(Marked("cmdSaveSettings", QStringLiteral("Save Changes")), this);
  cmdSaveSettings->setObjectName(QStringLiteral("cmdSaveSettings"));
  connect(cmdSaveSettings, &QPushButton::clicked, this, [this] { cmdSaveSettings_Click(); });
  cmdGetNewTicker =
      new QPushButton(Marked("cmdGetNewTicker", QStringLiteral("Update News Ticker Now")), this);
  cmdGetNewTicker->setObjectName(QStringLiteral("cmdGetNewTicker"));
  connect(cmdGetNewTicker, &QPushButton::clicked, this, [this] { emit GetNewTickerRequested(); });

  // One row per option: the bare box and its caption beside it, indented under what governs it.
  const auto addOption = [this](QVBoxLayout* rows, std::int16_t Options::*state, int indent) {
    auto* row = new QHBoxLayout;
    row->setSpacing(6);
    row->addSpacing(indent);
    row->addWidget(Row(state).box);
    row->addWidget(Row(state).label, 1);
    rows->addLayout(row);
  };
  const auto makeGroup = [this](const QString& title, const QString& name) {
    auto* group = new QGroupBox(title, this);
    group->setObjectName(name);
    auto* rows = new QVBoxLayout(group);
    rows->setSpacing(5);
    return std::pair{group, rows};
  };

  auto [changes, changeRows] = makeGroup(QStringLiteral("Changes"), QStringLiteral("fraChanges"));
  addOption(changeRows, &Options::CheckForChanges, 0);
  for (auto state : {&Options::CompareDate, &Options::CompareSize, &Options::CreateUploadsDir,
                     &Options::ReportChanges, &Options::KillDeleted, &Options::ReportDeleted})
    addOption(changeRows, state, kIndent);
  changeRows->addStretch(1);

  auto [skip, skipRows] = makeGroup(QStringLiteral("Skip List"), QStringLiteral("fraKillExtra"));
  addOption(skipRows, &Options::KillExtra, 0);
  auto* skipButtons = new QVBoxLayout;
  skipButtons->addWidget(cmdKillExtraEdit);
  skipButtons->addWidget(cmdKillExtraRefresh);
  skipButtons->addStretch(1);
  auto* skipRow = new QHBoxLayout;
  skipRow->addWidget(lstKillExtra, 1);
  skipRow->addLayout(skipButtons);
  skipRows->addLayout(skipRow, 1);
  addOption(skipRows, &Options::KeepUsedFiles, 0);
  Row(&Options::KeepUsedFiles)
      .box->setToolTip(QStringLiteral(
          "<p>Pages often show pictures, styles or classes kept in the editor's _borders, "
          "_overlay and _fpclass folders. With this option those files come into the FTP web "
          "too, so the pages work on the host. Nothing from _private or a _vti folder is "
          "ever copied.</p>"));
  Row(&Options::KeepUsedFiles).label->setWordWrap(true);
  lstKillExtra->setMinimumHeight(100);
  lstKillExtra->setMaximumHeight(150);

  auto [ftp, ftpRows] = makeGroup(QStringLiteral("FTP Client"), QStringLiteral("fraLaunchFTP"));
  addOption(ftpRows, &Options::LaunchFTP, 0);
  auto* ftpRow = new QHBoxLayout;
  ftpRow->addSpacing(kIndent);
  ftpRow->addWidget(txtLaunchFTP, 1);
  ftpRow->addWidget(cmdLaunchFTP);
  ftpRows->addLayout(ftpRow);

  auto* groups = new QGridLayout;
  groups->setHorizontalSpacing(12);
  groups->setVerticalSpacing(10);
  groups->addWidget(changes, 0, 0);
  groups->addWidget(skip, 0, 1);
  groups->addWidget(ftp, 1, 0, 1, 2);
  groups->setColumnStretch(0, 3);
  groups->setColumnStretch(1, 2);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(cmdGetNewTicker);
  buttons->addStretch(1);
  buttons->addWidget(cmdSaveSettings);

  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(24, 64, 24, 16);
  column->setSpacing(10);
  column->addLayout(groups);
  column->addStretch(1);
  column->addLayout(buttons);

  // Until the settings are loaded every box is unchecked, and the rules hold for that.
  ApplyInterlocks();
}

SettingsPanel::~SettingsPanel() = default;

QString SettingsPanel::SettingsFile() const { return ToQ(SettingsFilePath(ToStd(programFolder_))); }

QString SettingsPanel::SkipListFile() const { return ToQ(SkipListFilePath(ToStd(programFolder_))); }

const SettingsPanel::OptionRow& SettingsPanel::Row(std::int16_t Options::*state) const {
  return *std::find_if(optionRows_.begin(), optionRows_.end(),
                       [state](const OptionRow& row) { return row.option->state == state; });
}

void SettingsPanel::LoadSettings() {
  const LoadedOptions loaded = LoadOptions(ToStd(SettingsFile()));
  settingsProblem_ = loaded.problem;
  options_.FTPPath = loaded.options.FTPPath;
  txtLaunchFTP->setText(ToQ(options_.FTPPath));
  for (const OptionRow& row : optionRows_) {
    const std::int16_t state = loaded.options.*row.option->state;
    options_.*row.option->state = state;
    // A box that changes state runs its handler, as a click would.
    const bool changed = row.box->State() != state;
    row.box->SetState(state);
    if (changed || GovernsAlone(*row.option)) chkOption_Click(*row.option);
  }
  ApplyInterlocks();
  cmdKillExtraRefresh_Click();
}

void SettingsPanel::ApplyInterlocks() {
  const InterlockInputs inputs{Row(&Options::CheckForChanges).box->State(),
                               Row(&Options::KillExtra).box->State(),
                               Row(&Options::LaunchFTP).box->State()};
  for (const ControlEnabled& control : EnabledControls(ComputeInterlocks(inputs))) {
    if (auto* widget = findChild<QWidget*>(QString::fromStdString(control.name)))
      widget->setEnabled(control.enabled);
  }
}

void SettingsPanel::SaveWhenReady() {
  if (formReady_) cmdSaveSettings_Click();
}

void SettingsPanel::cmdSaveSettings_Click() {
  for (const OptionRow& row : optionRows_) options_.*row.option->state = row.box->State();
  options_.FTPPath = ToStd(txtLaunchFTP->text());
  // A refused write changes nothing here: the options stay in effect for this session.
  SaveOptions(ToStd(SettingsFile()), options_);
}

void SettingsPanel::chkOption_Click(const OptionDescriptor& option) {
  if (!formReady_ && GovernsAlone(option)) Row(option.state).box->SetState(options_.*option.state);
  ApplyInterlocks();
  SaveWhenReady();
}

void SettingsPanel::SetTickerUpdateEnabled(bool enabled) { cmdGetNewTicker->setEnabled(enabled); }

void SettingsPanel::cmdKillExtraEdit_Click() {
  const QString path = SkipListFile();
  if (!QFileInfo::exists(path)) {
    // An empty list to start from, so that the editor has a file to open.
    QFile file(path);
    static_cast<void>(file.open(QIODevice::WriteOnly | QIODevice::NewOnly));
  }
  if (services_.OpenInEditor(path)) return;
  services_.ShowMessage(
      window(), QMessageBox::Warning, QString::fromLatin1(kEditorTitle),
      QStringLiteral("No text editor could be started for the skip list\n%1\n\nEdit the file "
                     "with an editor of your choice, then press Refresh.")
          .arg(QDir::toNativeSeparators(path)));
}

void SettingsPanel::cmdKillExtraRefresh_Click() {
  // The list is what the next conversion skips.
  skipList_ = LoadSkipList(ToStd(SkipListFile()));
  lstKillExtra->clear();
  for (const std::string& entry : skipList_) lstKillExtra->addItem(ToQ(entry));
}

QString SettingsPanel::BrowseForFile() { return FileChooser ? FileChooser(window()) : QString(); }

void SettingsPanel::cmdLaunchFTP_Click() {
  txtLaunchFTP->setText(BrowseForFile());
  SaveWhenReady();
}

}  // namespace tarnwick
