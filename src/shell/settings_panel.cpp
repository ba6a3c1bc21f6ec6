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
#include <cstring>

#include "settings/option_interlocks.h"
#include "settings/settings_store.h"
#include "settings/skip_list.h"
#include "shell/option_check_box.h"
#include "shell/shell_services.h"

namespace tarnwick {

namespace {

QString ToQ(const std::string& text) { return QString::fromStdString(text); }
std::string ToStd(const QString& text) { return text.toStdString(); }

// The options as the panel shows them, in the order of the stored keys.
struct OptionCaption {
  const char* key;
  const char* control;
  const char* label;
  const char* caption;
};

constexpr OptionCaption kCaptions[] = {
    {"CheckForChanges", "chkCheckForChanges", "lblCheckForChanges", "Check for Files Changes"},
    {"CompareDate", "chkCompareDates", "lblCompareDates", "Compare file Dates"},
    {"CompareSize", "chkCompareSizes", "lblCompareSizes", "Compare file Sizes"},
    {"CreateUploadsDir", "chkCreateUploadsDir", "lblCreateUploadsDir",
     "Create directory structure for changes files"},
    {"KillDeleted", "chkKillDeleted", "lblKillDeleted", "Remove Deleted files from FTP directory"},
    {"KillExtra", "chkKillExtra", "lblKillExtra", "Skip Unnecessary Files"},
    {"LaunchFTP", "chkLaunchFTP", "lblLaunchFTP", "Launch FTP Client when done Converting"},
    {"ReportChanges", "chkReportChanges", "lblReportChanges", "Generate Report for changed files"},
    {"ReportDeleted", "chkReportDeleted", "lblReportDeleted", "Generate Report for deleted files"},
    {"KeepUsedFiles", "chkKeepUsedFiles", "lblKeepUsedFiles",
     "Keep files that pages use in _borders, _overlay and _fpclass"},
};

constexpr int kIndent = 22;

QString DefaultFileChooser(QWidget* parent) {
  return QDir::toNativeSeparators(QFileDialog::getOpenFileName(parent));
}

}  // namespace

SettingsPanel::SettingsPanel(ShellServices& services, const QString& programFolder,
                             Options& options, std::vector<std::string>& skipList,
                             std::string& settingsProblem, const bool& formReady, QWidget* parent)
    : QWidget(parent),
      FileChooser(DefaultFileChooser),
      services_(services),
      programFolder_(programFolder),
      options_(options),
      skipList_(skipList),
      settingsProblem_(settingsProblem),
      formReady_(formReady),
      title_(this, QStringLiteral("lblSettingsTitle"), QStringLiteral("Settings"), 24, 18) {
  setObjectName(QStringLiteral("picSettings"));

  using Handler = void (SettingsPanel::*)();
  const std::pair<std::int16_t Options::*, Handler> wiring[] = {
      {&Options::CheckForChanges, &SettingsPanel::chkCheckForChanges_Click},
      {&Options::CompareDate, &SettingsPanel::chkCompareDates_Click},
      {&Options::CompareSize, &SettingsPanel::chkCompareSizes_Click},
      {&Options::CreateUploadsDir, &SettingsPanel::chkCreateUploadsDir_Click},
      {&Options::KillDeleted, &SettingsPanel::chkKillDeleted_Click},
      {&Options::KillExtra, &SettingsPanel::chkKillExtra_Click},
      {&Options::LaunchFTP, &SettingsPanel::chkLaunchFTP_Click},
      {&Options::ReportChanges, &SettingsPanel::chkReportChanges_Click},
      {&Options::ReportDeleted, &SettingsPanel::chkReportDeleted_Click},
      {&Options::KeepUsedFiles, &SettingsPanel::chkKeepUsedFiles_Click},
  };
  for (std::size_t i = 0; i < std::size(kCaptions); ++i) {
    const OptionCaption& caption = kCaptions[i];
    auto* box = new OptionCheckBox(QString::fromLatin1(caption.control), this);
    auto* label = new QLabel(QString::fromLatin1(caption.caption), this);
    label->setObjectName(QString::fromLatin1(caption.label));
    const Handler handler = wiring[i].second;
    connect(box, &QCheckBox::clicked, this, [this, handler] { (this->*handler)(); });
    optionRows_.push_back({caption.key, wiring[i].first, box, label, handler});
  }

  lstKillExtra = new QListWidget(this);
  lstKillExtra->setObjectName(QStringLiteral("lstKillExtra"));
  lstKillExtra->setUniformItemSizes(true);
  lstKillExtra->setToolTip(QStringLiteral("The files the conversion leaves out, from extras.db"));
  cmdKillExtraEdit = new QPushButton(QStringLiteral("Edit"), this);
  cmdKillExtraEdit->setObjectName(QStringLiteral("cmdKillExtraEdit"));
  cmdKillExtraRefresh = new QPushButton(QStringLiteral("Refresh"), this);
  cmdKillExtraRefresh->setObjectName(QStringLiteral("cmdKillExtraRefresh"));
  connect(cmdKillExtraEdit, &QPushButton::clicked, this, [this] { cmdKillExtraEdit_Click(); });
  connect(cmdKillExtraRefresh, &QPushButton::clicked, this,
          [this] { cmdKillExtraRefresh_Click(); });

  txtLaunchFTP = new QLineEdit(this);
  txtLaunchFTP->setObjectName(QStringLiteral("txtLaunchFTP"));
  txtLaunchFTP->setPlaceholderText(QStringLiteral("The FTP client program"));
  cmdLaunchFTP = new QPushButton(QStringLiteral("Browse"), this);
  cmdLaunchFTP->setObjectName(QStringLiteral("cmdLaunchFTP"));
  connect(cmdLaunchFTP, &QPushButton::clicked, this, [this] { cmdLaunchFTP_Click(); });

  cmdSaveSettings = new QPushButton(QStringLiteral("Save Changes"), this);
  cmdSaveSettings->setObjectName(QStringLiteral("cmdSaveSettings"));
  connect(cmdSaveSettings, &QPushButton::clicked, this, [this] { cmdSaveSettings_Click(); });
  cmdGetNewTicker = new QPushButton(QStringLiteral("Update News Ticker Now"), this);
  cmdGetNewTicker->setObjectName(QStringLiteral("cmdGetNewTicker"));
  connect(cmdGetNewTicker, &QPushButton::clicked, this, [this] { emit GetNewTickerRequested(); });

  // One row per option: the bare box and its caption beside it, indented under what governs it.
  const auto addOption = [this](QVBoxLayout* rows, const char* key, int indent) {
    for (const Option& option : optionRows_) {
      if (std::strcmp(option.key, key) != 0) continue;
      auto* row = new QHBoxLayout;
      row->setSpacing(6);
      row->addSpacing(indent);
      row->addWidget(option.box);
      row->addWidget(option.label, 1);
      rows->addLayout(row);
    }
  };
  const auto makeGroup = [this](const QString& title, const QString& name) {
    auto* group = new QGroupBox(title, this);
    group->setObjectName(name);
    auto* rows = new QVBoxLayout(group);
    rows->setSpacing(5);
    return std::pair{group, rows};
  };

  auto [changes, changeRows] = makeGroup(QStringLiteral("Changes"), QStringLiteral("fraChanges"));
  addOption(changeRows, "CheckForChanges", 0);
  for (const char* key : {"CompareDate", "CompareSize", "CreateUploadsDir", "ReportChanges",
                          "KillDeleted", "ReportDeleted"})
    addOption(changeRows, key, kIndent);
  changeRows->addStretch(1);

  auto [skip, skipRows] = makeGroup(QStringLiteral("Skip List"), QStringLiteral("fraKillExtra"));
  addOption(skipRows, "KillExtra", 0);
  auto* skipButtons = new QVBoxLayout;
  skipButtons->addWidget(cmdKillExtraEdit);
  skipButtons->addWidget(cmdKillExtraRefresh);
  skipButtons->addStretch(1);
  auto* skipRow = new QHBoxLayout;
  skipRow->addWidget(lstKillExtra, 1);
  skipRow->addLayout(skipButtons);
  skipRows->addLayout(skipRow, 1);
  addOption(skipRows, "KeepUsedFiles", 0);
  Box("KeepUsedFiles")
      ->setToolTip(QStringLiteral(
          "Pictures and classes that kept pages use are copied into the FTP web too; "
          "nothing from _private or a _vti folder"));
  findChild<QLabel*>(QStringLiteral("lblKeepUsedFiles"))->setWordWrap(true);
  lstKillExtra->setMinimumHeight(100);
  lstKillExtra->setMaximumHeight(150);

  auto [ftp, ftpRows] = makeGroup(QStringLiteral("FTP Client"), QStringLiteral("fraLaunchFTP"));
  addOption(ftpRows, "LaunchFTP", 0);
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

OptionCheckBox* SettingsPanel::Box(const char* key) const {
  for (const Option& option : optionRows_)
    if (std::strcmp(option.key, key) == 0) return option.box;
  return nullptr;
}

void SettingsPanel::LoadSettings() {
  const LoadedOptions loaded = LoadOptions(ToStd(SettingsFile()));
  settingsProblem_ = loaded.problem;
  for (const OptionKey& stored : kOptionKeys) {
    if (std::strcmp(stored.key, "FTPPath") == 0) {
      options_.FTPPath = loaded.options.FTPPath;
      txtLaunchFTP->setText(ToQ(options_.FTPPath));
      continue;
    }
    for (const Option& option : optionRows_) {
      if (std::strcmp(option.key, stored.key) != 0) continue;
      const std::int16_t state = loaded.options.*option.field;
      options_.*option.field = state;
      // A box that changes state runs its handler, as a click would.
      if (option.box->State() != state) {
        option.box->SetState(state);
        (this->*option.handler)();
      }
    }
    if (std::strcmp(stored.key, "CheckForChanges") == 0) chkCheckForChanges_Click();
    if (std::strcmp(stored.key, "LaunchFTP") == 0) chkLaunchFTP_Click();
  }
  ApplyInterlocks();
  cmdKillExtraRefresh_Click();
}

void SettingsPanel::ApplyInterlocks() {
  const InterlockInputs inputs{Box("CheckForChanges")->State(), Box("KillExtra")->State(),
                               Box("LaunchFTP")->State()};
  for (const ControlEnabled& control : EnabledControls(ComputeInterlocks(inputs))) {
    if (auto* widget = findChild<QWidget*>(QString::fromLatin1(control.name)))
      widget->setEnabled(control.enabled);
  }
}

void SettingsPanel::SaveWhenReady() {
  if (formReady_) cmdSaveSettings_Click();
}

void SettingsPanel::cmdSaveSettings_Click() {
  for (const Option& option : optionRows_) options_.*option.field = option.box->State();
  options_.FTPPath = ToStd(txtLaunchFTP->text());
  // A refused write changes nothing here: the options stay in effect for this session.
  SaveOptions(ToStd(SettingsFile()), options_);
}

void SettingsPanel::chkCheckForChanges_Click() {
  if (!formReady_) Box("CheckForChanges")->SetState(options_.CheckForChanges);
  ApplyInterlocks();
  SaveWhenReady();
}

void SettingsPanel::chkKillExtra_Click() {
  ApplyInterlocks();
  SaveWhenReady();
}

void SettingsPanel::chkLaunchFTP_Click() {
  if (!formReady_) Box("LaunchFTP")->SetState(options_.LaunchFTP);
  ApplyInterlocks();
  SaveWhenReady();
}

void SettingsPanel::chkCompareDates_Click() { SaveWhenReady(); }
void SettingsPanel::chkCompareSizes_Click() { SaveWhenReady(); }
void SettingsPanel::chkCreateUploadsDir_Click() { SaveWhenReady(); }
void SettingsPanel::chkKillDeleted_Click() { SaveWhenReady(); }
void SettingsPanel::chkReportChanges_Click() { SaveWhenReady(); }
void SettingsPanel::chkReportDeleted_Click() { SaveWhenReady(); }
void SettingsPanel::chkKeepUsedFiles_Click() { SaveWhenReady(); }

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
