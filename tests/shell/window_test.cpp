#include <QtTest>
#include <QtWidgets>
#include <stdexcept>

#include "engine/source_memory.h"
#include "settings/settings_store.h"
#include "shell/compare_list.h"
#include "shell/compare_panel.h"
#include "shell/convert_panel.h"
#include "shell/folder_list.h"
#include "shell/main_module.h"
#include "shell/mainform.h"
#include "shell/option_check_box.h"
#include "shell/quick_menu.h"
#include "shell/settings_panel.h"
#include "shell/single_instance.h"
#include "shell/ticker_download.h"
#include "shell/ticker_view.h"
#include "shell/tray_icon.h"
#include "shell/twips.h"
#include "shell/web_links.h"
#include "support/gated_file_system.h"
#include "support/loopback_http_server.h"
#include "support/recording_services.h"
#include "ticker/ticker_feed.h"

Q_DECLARE_METATYPE(tarnwick::TickerUpdate)

namespace tarnwick::testing {
namespace {

// The child widget of that object name; a missing one ends the test program.
template <typename T = QWidget>
T* Find(QWidget* form, const char* name) {
  T* widget = form->findChild<T*>(QString::fromLatin1(name));
  if (!widget) qFatal("no widget %s", name);
  return widget;
}

// Writes a whole file, creating its folders.
void WriteFile(const QString& path, const QByteArray& content) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
    qFatal("cannot write %s", qPrintable(path));
  file.write(content);
}

// The whole file, or "<missing>".
QByteArray ReadAll(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return "<missing>";
  return file.readAll();
}

// Fills the Convert panel's folder fields.
void SetFolders(QWidget* form, const QString& source, const QString& destination) {
  Find<QComboBox>(form, "txtConvertFrom")->setEditText(source);
  Find<QLineEdit>(form, "txtConvertTo")->setText(destination);
}

// The label of that object name whose "index" is `index`, as in a control array.
QLabel* Indexed(QWidget* form, const char* name, int index) {
  for (QLabel* label : form->findChildren<QLabel*>(QString::fromLatin1(name)))
    if (label->property("index").toInt() == index) return label;
  qFatal("no %s(%d)", name, index);
}

// Quick Menu item number `index`.
QLabel* Item(QWidget* form, int index) { return Indexed(form, "Qmenu", index); }

// Lets the window's events run until the conversion it started has ended (at most five
// minutes); a run that does not end fails the test.
void WaitForRun(QWidget* form) {
  auto* panel = Find<ConvertPanel>(form, "picConvert");
  QTRY_VERIFY_WITH_TIMEOUT(!panel->Running(), 5 * 60 * 1000);
}

const char* const kPanels[] = {"picConvert", "picCompare",  "picSettings",
                               "picAbout",   "picDonation", "picFeedback"};

QString VisiblePanels(QWidget* form) {
  QStringList shown;
  for (const char* name : kPanels)
    if (Find(form, name)->isVisible()) shown << QString::fromLatin1(name);
  return shown.join(',');
}

// A small FrontPage web: two pages, a picture, and the editor's own folders.
void MakeWeb(const QString& root) {
  WriteFile(root + "/index.htm", "<html>home</html>");
  WriteFile(root + "/images/logo.gif", "GIF89a");
  WriteFile(root + "/_vti_cnf/index.htm", "vti");
  WriteFile(root + "/_private/form.txt", "private");
}

// Starts the run and waits for its end.
void Start(QWidget* form) {
  QTest::mouseClick(Find<QPushButton>(form, "cmdConvertStart"), Qt::LeftButton);
  WaitForRun(form);
}

void ClickLine(CompareList* list, int row) {
  const QModelIndex index = list->model()->index(row, 0);
  list->scrollTo(index);
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                    QPoint(8, list->visualRect(index).center().y()));
}

const QStringList kChangeDependents = {
    "chkCompareDates",  "chkCompareSizes",     "chkCreateUploadsDir", "chkKillDeleted",
    "chkKillExtra",     "chkReportChanges",    "chkReportDeleted",    "lblCompareDates",
    "lblCompareSizes",  "lblCreateUploadsDir", "lblKillDeleted",      "lblKillExtra",
    "lblReportChanges", "lblReportDeleted"};
const QStringList kSkipControls = {"lstKillExtra", "cmdKillExtraEdit", "cmdKillExtraRefresh"};
const QStringList kFtpControls = {"txtLaunchFTP", "cmdLaunchFTP"};

// Every governed control that is disabled, by name.
QStringList DisabledControls(QWidget* form) {
  QStringList names;
  for (const QString& name : kChangeDependents + kSkipControls + kFtpControls)
    if (!Find(form, name.toLatin1().constData())->isEnabled()) names << name;
  return names;
}

const SettingsPanel& Settings(QWidget* form) { return *Find<SettingsPanel>(form, "picSettings"); }

QStringList Items(QWidget* form) {
  auto* list = Find<QListWidget>(form, "lstKillExtra");
  QStringList items;
  for (int i = 0; i < list->count(); ++i) items << list->item(i)->text();
  return items;
}

constexpr char kFeedPath[] = "/qzfeed100.txt";
constexpr char kGoodText[] =
    "Tarnwick news\r\n-- 'STARTS HERE' --\r\n  News one^http://news.example/one\r\n"
    "$Alert^\r\nclosing line\r\n";
constexpr char kOldText[] = "old\r\n'Starts here'\r\nOld item^\r\nend\r\n";

// The window with its later-built steps observed: what each step saw of the start-up.
class ProbeForm : public Mainform {
 public:
  using Mainform::Mainform;

  bool failSettings = false;
  int compareBuilds = 0;
  QStringList trace;

 protected:
  void LoadSettings() override {
    trace << QStringLiteral("settings visible=%1 ready=%2").arg(isVisible()).arg(FormReady);
    if (failSettings) throw std::runtime_error("damaged settings");
    Mainform::LoadSettings();
  }
  void LoadTicker() override {
    trace
        << QStringLiteral("ticker timer=%1 visible=%2").arg(MainTimer->isActive()).arg(isVisible());
  }
  void SetupTrayIcon() override {
    trace << QStringLiteral("tray timer=%1 visible=%2").arg(MainTimer->isActive()).arg(isVisible());
  }
  void cmdCompare_Click() override { ++compareBuilds; }
};

// The window with its timer handlers in the test's hands: the real timers are stopped after the
// start-up, so every tick happens where the test calls it.
class DrivenForm : public Mainform {
 public:
  using Mainform::Mainform;

  void Start() {
    Form_Load();
    MainTimer->stop();
  }
  void TickMain() { MainTimer_Timer(); }
};

QColor Colour(QLabel* label) { return label->palette().color(QPalette::WindowText); }

}  // namespace

// The window over real folders, real processes and a real loopback server.
class WindowTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir programFolder_;
  QTemporaryDir work_;
  RecordingServices services_;

  QString SettingsFile() const { return programFolder_.filePath("settings.db"); }
  QString SkipFile() const { return programFolder_.filePath("extras.db"); }
  QString TickerFile() const { return programFolder_.filePath("ticker.db"); }
  Options Saved() const { return LoadOptions(SettingsFile().toStdString()).options; }

  void Click(Mainform& form, const char* name) {
    QTest::mouseClick(Find<QAbstractButton>(&form, name), Qt::LeftButton);
  }

  // The ticker box of the window, pointed at the loopback server and told it is on-line.
  void Connect(TickerView& view, const QByteArray& host, bool online = true) {
    view.SetTickerHost(host.toStdString());
    view.Download().SetConnectionQuery([online] { return online; });
    view.MainTimerTick(false);
  }

 private slots:
  void init() {
    services_ = RecordingServices();
    for (const QString& file : {SettingsFile(), SkipFile(), TickerFile()}) QFile::remove(file);
  }
  void cleanup() { QLocale::setDefault(QLocale::c()); }

  // The window, its menu and its start.

  void startUpRunsItsStepsInOrder_data() {
    QTest::addColumn<bool>("failSettings");
    QTest::newRow("all steps") << false;
    QTest::newRow("failing settings step is skipped") << true;
  }
  void startUpRunsItsStepsInOrder() {
    QFETCH(bool, failSettings);
    WriteFile(SettingsFile(), "[Positions]\r\n1=/webs/alpha\r\n2=   \r\n3=/webs/beta\r\n");
    ProbeForm form(services_, programFolder_.path());
    form.failSettings = failSettings;
    form.ExitRequested = true;
    form.Form_Load();

    QCOMPARE(form.trace, QStringList({"settings visible=0 ready=0", "ticker timer=0 visible=0",
                                      "tray timer=1 visible=0"}));
    QVERIFY(form.FormReady);
    QVERIFY(!form.ExitRequested);
    QVERIFY(form.isVisible());
    auto* source = Find<QComboBox>(&form, "txtConvertFrom");
    QCOMPARE(form.focusWidget(), source);
    QCOMPARE(source->currentText(), QStringLiteral("/webs/alpha"));
    QCOMPARE(VisiblePanels(&form), QStringLiteral("picConvert"));
  }

  void menuSelectsPanelsLinksOpenPagesHoverFollows() {
    ProbeForm form(services_, programFolder_.path());
    form.Form_Load();
    const char* tips[] = {"Start Converting", "Compare", "Settings", "Help", "About",
                          "Donate",           "Feedback"};
    for (int i = 0; i < QuickMenu::kItemCount; ++i)
      QCOMPARE(Item(&form, i)->toolTip(), QString::fromLatin1(tips[i]));
    // Feedback stands above Donate.
    QVERIFY(Item(&form, 6)->y() < Item(&form, 5)->y());

    auto* marker = Find<QLabel>(&form, "QmenuSelected");
    form.SelectQuickMenuItem(2);
    const int settingsMark = marker->y();
    // Help opens the product page and leaves the panel and its mark where they were.
    form.SelectQuickMenuItem(3);
    QCOMPARE(services_.urls, QStringList{QString::fromLatin1(tarnwick::kProductHomePage)});
    QCOMPARE(VisiblePanels(&form), QStringLiteral("picSettings"));
    QCOMPARE(marker->y(), settingsMark);

    // The Compare report is rebuilt on every selection.
    form.SelectQuickMenuItem(1);
    form.SelectQuickMenuItem(1);
    QCOMPARE(form.compareBuilds, 2);
    QCOMPARE(VisiblePanels(&form), QStringLiteral("picCompare"));

    // Selecting Donate or Feedback again does not add to its text.
    for (int i : {5, 5, 6, 6}) form.SelectQuickMenuItem(i);
    QCOMPARE(Find<QLabel>(&form, "lblDonation")->text().count("effort then please donate."), 1);
    QCOMPARE(Find<QLabel>(&form, "lblFeedback")->text().count("Thankyou for your interest"), 1);

    // Menu item, label, page.
    const std::tuple<int, const char*, const char*> links[] = {
        {5, "lblDonationSite", tarnwick::kDonationPage},
        {5, "lblDonation", tarnwick::kDonationPage},
        {6, "lblFeedbackGO", tarnwick::kFeedbackPage},
        {4, "lblWebsite", tarnwick::kMakerHomePage}};
    for (const auto& [item, label, url] : links) {
      form.SelectQuickMenuItem(item);
      QCOMPARE(VisiblePanels(&form), QString::fromLatin1(kPanels[item - 1]));
      QTest::mouseClick(Find<QLabel>(&form, label), Qt::LeftButton);
      QCOMPARE(services_.urls.last(), QString::fromLatin1(url));
    }
    QCOMPARE(services_.urls.size(), 5);

    // The hover button follows the pointer.
    form.SelectQuickMenuItem(0);
    auto* menu = Find<QuickMenu>(&form, "OutlookBar");
    auto* selector = Find<QToolButton>(&form, "QmenuSelector");

    menu->UpdateMenuHover(0);  // over the selected item
    QVERIFY(!selector->isVisible());
    menu->UpdateMenuHover(6);
    QVERIFY(selector->isVisible());
    QCOMPARE(selector->y(), menu->MarkTop(6));
    QCOMPARE(selector->toolTip(), QStringLiteral("Feedback"));

    // Clicking the hover button selects the item under it.
    QTest::mouseClick(selector, Qt::LeftButton);
    QCOMPARE(VisiblePanels(&form), QStringLiteral("picFeedback"));
    QVERIFY(!selector->isVisible());

    // Pointer far below the window but close to its left edge: the button stays.
    menu->UpdateMenuHover(2);
    const int left = form.frameGeometry().x();
    menu->CursorPosition = [left] { return QPoint(left + 60, 5000); };
    menu->tmrQuickMenu_Timer();
    QVERIFY(selector->isVisible());
    menu->CursorPosition = [left] { return QPoint(left + 61, 100); };
    menu->tmrQuickMenu_Timer();
    QVERIFY(!selector->isVisible());

    // A real pointer move raises it too.
    QTest::mouseMove(Item(&form, 4), QPoint(10, 10));
    QTRY_COMPARE(menu->HoverIndex(), 4);

    // A disabled item (Compare during a run) raises none, and takes down the one shown.
    menu->SetItemEnabled(1, false);
    menu->UpdateMenuHover(1);
    QVERIFY(!selector->isVisible());
    QCOMPARE(menu->HoverIndex(), 4);
    menu->SetItemEnabled(1, true);
    menu->UpdateMenuHover(1);
    QVERIFY(selector->isVisible());
  }

  // The keyboard alone reaches every panel, every item of the strip and every option.
  void keyboardReachesPanelsItemsAndOptions() {
    ProbeForm form(services_, programFolder_.path());
    form.Form_Load();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    auto* source = Find<QComboBox>(&form, "txtConvertFrom");
    QCOMPARE(QApplication::focusWidget(), source);

    // Ctrl+1 to Ctrl+6 as the strip lists the panels; F1 is Help and changes no panel.
    const std::pair<Qt::Key, const char*> shortcuts[] = {
        {Qt::Key_3, "picSettings"}, {Qt::Key_5, "picFeedback"}, {Qt::Key_6, "picDonation"},
        {Qt::Key_4, "picAbout"},    {Qt::Key_2, "picCompare"},  {Qt::Key_1, "picConvert"}};
    for (const auto& [key, panel] : shortcuts) {
      QTest::keyClick(QApplication::focusWidget(), key, Qt::ControlModifier);
      QCOMPARE(VisiblePanels(&form), QString::fromLatin1(panel));
    }
    QCOMPARE(form.compareBuilds, 1);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
    QCOMPARE(services_.urls.size(), 1);
    QCOMPARE(VisiblePanels(&form), QStringLiteral("picConvert"));

    // Back from the source field: the strip's last item, Donate. The arrows go along the
    // strip as it stands, Enter and Space choose; Help opens its page and leaves the panel.
    source->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    QCOMPARE(QApplication::focusWidget(), Item(&form, 5));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
    QCOMPARE(QApplication::focusWidget(), Item(&form, 6));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    QCOMPARE(VisiblePanels(&form), QStringLiteral("picFeedback"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Home);
    QCOMPARE(QApplication::focusWidget(), Item(&form, 0));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
    QCOMPARE(QApplication::focusWidget(), Item(&form, 5));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    QCOMPARE(QApplication::focusWidget(), Item(&form, 3));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(services_.urls.size(), 2);
    QCOMPARE(VisiblePanels(&form), QStringLiteral("picFeedback"));
    // An item that cannot be chosen now (Compare during a run) is passed over.
    Find<QuickMenu>(&form, "OutlookBar")->SetItemEnabled(1, false);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
    QCOMPARE(QApplication::focusWidget(), Item(&form, 0));
    Find<QuickMenu>(&form, "OutlookBar")->SetItemEnabled(1, true);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter);
    QCOMPARE(VisiblePanels(&form), QStringLiteral("picSettings"));

    // A link label takes the focus by Tab and opens its page with Enter.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_4, Qt::ControlModifier);
    auto* website = Find<QLabel>(&form, "lblWebsite");
    for (int i = 0; i < 20 && QApplication::focusWidget() != website; ++i)
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), website);
    QTest::keyClick(website, Qt::Key_Return);
    QCOMPARE(services_.urls.last(), QString::fromLatin1(tarnwick::kMakerHomePage));

    // Alt and the underlined letter: a field takes the focus, an option is switched.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_1, Qt::ControlModifier);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_W, Qt::AltModifier);
    QCOMPARE(QApplication::focusWidget(), Find(&form, "txtConvertTo"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F, Qt::AltModifier);
    QCOMPARE(QApplication::focusWidget(), source);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_3, Qt::ControlModifier);
    const std::int16_t before = Saved().KeepUsedFiles;
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_K, Qt::AltModifier);
    QTRY_COMPARE(Saved().KeepUsedFiles, std::int16_t(before == 0 ? 1 : 0));
    QCOMPARE(QApplication::focusWidget(), Find(&form, "chkKeepUsedFiles"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_C, Qt::AltModifier);
    QTRY_COMPARE(Saved().CheckForChanges, std::int16_t(0));
  }

  // A screen reader finds a name and a role on everything the user can act on, and pressing a
  // strip item through it chooses the item.
  void everyControlHasANameAndARole() {
    ProbeForm form(services_, programFolder_.path());
    form.Form_Load();
    QStringList unnamed;
    int interactive = 0;
    const QList<QAccessible::Role> roleless = {QAccessible::NoRole, QAccessible::Client,
                                               QAccessible::StaticText, QAccessible::Pane,
                                               QAccessible::Grouping};
    const QList<QAccessible::Role> valueRoles = {QAccessible::ComboBox, QAccessible::EditableText,
                                                 QAccessible::List, QAccessible::Tree};
    for (int panel = 0; panel <= 6; ++panel) {
      if (panel == 3) continue;
      form.SelectQuickMenuItem(static_cast<std::int16_t>(panel));
      for (QWidget* widget : form.findChildren<QWidget*>()) {
        if (!widget->isVisible()) continue;
        const bool clickable = widget->testAttribute(Qt::WA_SetCursor) &&
                               widget->cursor().shape() == Qt::PointingHandCursor;
        if (!(widget->focusPolicy() & Qt::TabFocus) && !clickable) continue;
        ++interactive;
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
        const QString what = widget->objectName() + "/" + widget->metaObject()->className();
        // A field or list is named by the program or by a label, never by what it holds.
        const bool holdsValue = valueRoles.contains(face->role());
        const bool named = holdsValue ? !widget->accessibleName().isEmpty() ||
                                            !face->relations(QAccessible::Labelled).isEmpty()
                                      : !face->text(QAccessible::Name).trimmed().isEmpty();
        if (!named || roleless.contains(face->role())) unnamed << what;
      }
    }
    QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(", ")));
    QVERIFY(interactive > 40);

    QAccessibleInterface* settings = QAccessible::queryAccessibleInterface(Item(&form, 2));
    QCOMPARE(settings->role(), QAccessible::Button);
    QCOMPARE(settings->text(QAccessible::Name), QStringLiteral("Settings"));
    QVERIFY(settings->text(QAccessible::Description).contains("Ctrl+3"));
    settings->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(VisiblePanels(&form), QStringLiteral("picSettings"));
    QAccessibleInterface* box =
        QAccessible::queryAccessibleInterface(Find(&form, "chkKeepUsedFiles"));
    QCOMPARE(box->role(), QAccessible::CheckBox);
    // Its tip is rich text, which the tip wraps to a readable width.
    QVERIFY(Qt::mightBeRichText(Find(&form, "chkKeepUsedFiles")->toolTip()));
    QCOMPARE(box->text(QAccessible::Name),
             QStringLiteral("Keep files that pages use in _borders, _overlay and _fpclass"));
    form.SelectQuickMenuItem(4);
    QCOMPARE(QAccessible::queryAccessibleInterface(Find(&form, "lblWebsite"))->role(),
             QAccessible::Link);
  }

  void osNameFollowsVersion() {
    // Platform id, major, minor version, name.
    const std::tuple<int, int, int, const char*> rows[] = {
        {0, 3, 10, "Win 3.1"}, {1, 4, 10, "Win 9x"}, {2, 4, 0, "NT 4"},    {2, 4, 1, "Win NT"},
        {2, 5, 0, "Win 2000"}, {2, 5, 1, "Win XP"},  {2, 3, 51, "Win NT"}, {2, 5, 2, "Win NT"},
        {2, 6, 0, "Win NT"},   {2, 10, 0, "Win NT"}, {3, 5, 0, "Unknown"}, {-1, 5, 1, "Unknown"}};
    for (const auto& [platform, major, minor, name] : rows)
      QCOMPARE(tarnwick::DetectOSVersion(platform, major, minor), std::string(name));
  }

  // A second start is refused with the message while the first keeps running.
  void secondInstanceIsRefusedDeadOnesLockIsTakenOver() {
    const QString exe = qEnvironmentVariable("TARNWICK_EXE");
    if (exe.isEmpty() || !QFileInfo::exists(exe)) QSKIP("TARNWICK_EXE not given");
    QTemporaryDir folder;
    QProcess first;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("TARNWICK_PROGRAM_DIR", folder.path());
    first.setProcessEnvironment(env);
    first.start(exe, {});
    QVERIFY(first.waitForStarted(10000));
    const QString lockPath = tarnwick::SingleInstance::LockFilePath(folder.path());
    QTRY_VERIFY2_WITH_TIMEOUT(QFileInfo::exists(lockPath),
                              "the first instance did not take the lock", 15000);

    const int code = tarnwick::Main(services_, folder.path());
    QCOMPARE(code, 0);
    QCOMPARE(services_.messages.size(), 1);
    QCOMPARE(services_.messages[0].icon, QMessageBox::Warning);
    QCOMPARE(services_.messages[0].title, QStringLiteral("Already Running"));
    QCOMPARE(services_.messages[0].text,
             QStringLiteral("Another Instance of Tarnwick is already running."));
    QVERIFY(QApplication::topLevelWidgets().isEmpty());

    // The first goes on, still holding the lock.
    QCOMPARE(first.state(), QProcess::Running);
    QVERIFY(!tarnwick::SingleInstance(folder.path()).Claim());

    // A lock whose holder has died is taken over.
    first.kill();
    QVERIFY(first.waitForFinished(10000));
    tarnwick::SingleInstance instance(folder.path());
    QVERIFY(tarnwick::ClaimSingleInstance(instance, services_));
    QCOMPARE(services_.messages.size(), 1);
  }

  // Without a folder for its files the window says so instead of writing where it started.
  void noProgramFolderIsReported() {
    QCOMPARE(tarnwick::Main(services_, QString()), 1);
    QCOMPARE(services_.messages.size(), 1);
    QCOMPARE(services_.messages[0].text, QString::fromUtf8(tarnwick::kNoProgramFolderMessage));
    QVERIFY(QApplication::topLevelWidgets().isEmpty());
    QVERIFY(!QFileInfo::exists(QStringLiteral("tarnwick.lock")));
  }

  // The Convert panel: a run started from the window, off its thread.

  void runFromThePanel() {
    const QString source = work_.filePath("run/Web");
    const QString destination = work_.filePath("run/Site");
    MakeWeb(source);
    WriteFile(source + "/about.htm", "<a href=\"gone.htm\">x</a>\n<img src=\"Images/Logo.gif\">");
    WriteFile(source + "/skip.txt", "not for the site");
    // Enough pages that the run is still busy while its options change.
    for (int i = 0; i < 1500; ++i)
      WriteFile(source + QStringLiteral("/pages/p%1.htm").arg(i), QByteArray(100, 'x'));
    WriteFile(SkipFile(), "skip.txt\r\n");
    WriteFile(SettingsFile(), "[Main]\r\nLaunchFTP=1\r\n");
    // A read-only copy in the FTP web cannot be replaced.
    WriteFile(destination + "/index.htm", "old");
    QFile::setPermissions(destination + "/index.htm", QFile::ReadOwner | QFile::ReadGroup);
    ProbeForm form(services_, programFolder_.path());
    form.Form_Load();

    // A browsed FTP client is in effect at once, a typed one after Save Changes.
    form.SelectQuickMenuItem(2);
    QStringList answers{"/opt/ftp client/bin/ftp", ""};
    Find<SettingsPanel>(&form, "picSettings")->FileChooser = [&](QWidget*) {
      return answers.takeFirst();
    };
    auto* ftpField = Find<QLineEdit>(&form, "txtLaunchFTP");
    Click(form, "cmdLaunchFTP");
    QCOMPARE(Saved().FTPPath, std::string("/opt/ftp client/bin/ftp"));
    ftpField->clear();
    QTest::keyClicks(ftpField, "/usr/bin/typed");
    QCOMPARE(Settings(&form).CurrentOptions().FTPPath, std::string("/opt/ftp client/bin/ftp"));
    Click(form, "cmdSaveSettings");
    QCOMPARE(Saved().FTPPath, std::string("/usr/bin/typed"));

    form.SelectQuickMenuItem(0);
    SetFolders(&form, source, destination);
    auto* panel = Find<ConvertPanel>(&form, "picConvert");
    const char* const starters[] = {"cmdConvertStart", "imgConvert", "lblConvert", "txtConvertFrom",
                                    "txtConvertTo",    "drvConvert", "dirConvert", "cmdCompare"};
    QStringList enabledDuring;
    QTest::mouseClick(Find<QPushButton>(&form, "cmdConvertStart"), Qt::LeftButton);
    // Running until its end has come back to the window.
    QVERIFY(panel->Running());
    for (const char* name : starters)
      if (Find(&form, name)->isEnabled()) enabledDuring << name;
    if (Item(&form, 1)->isEnabled()) enabledDuring << "Compare";
    // A second click, or the Compare item, while running starts nothing; the Compare button
    // is among the controls disabled.
    Find<QPushButton>(&form, "cmdConvertStart")->click();
    form.SelectQuickMenuItem(1);
    // The Settings panel stays usable; the run keeps the options it started with. A cancelled
    // dialog empties the FTP client's path, and that is saved too.
    form.SelectQuickMenuItem(2);
    WriteFile(SkipFile(), "");
    Click(form, "cmdKillExtraRefresh");
    Click(form, "chkKillExtra");
    Click(form, "chkCheckForChanges");
    Click(form, "cmdLaunchFTP");
    QVERIFY(ftpField->text().isEmpty());
    WaitForRun(&form);
    QCOMPARE(enabledDuring, QStringList());
    QCOMPARE(form.compareBuilds, 0);
    QVERIFY(!QFile::exists(destination + "/skip.txt"));
    QVERIFY(QFile::exists(destination + "/pages/p0.htm"));
    QCOMPARE(services_.programs, QStringList{"/usr/bin/typed"});
    // The changes are in effect for the next run.
    QVERIFY(Settings(&form).SkipList().empty());
    QVERIFY(Saved() == Settings(&form).CurrentOptions());
    QCOMPARE(Saved().CheckForChanges, 0);
    QCOMPARE(Saved().FTPPath, std::string());

    auto* status = Find<QLabel>(&form, "lblConvert");
    QCOMPARE(status->text(), QString::fromLatin1(ConvertPanel::kReportLink));
    for (const char* name : starters) QVERIFY2(Find(&form, name)->isEnabled(), name);
    QVERIFY(Item(&form, 1)->isEnabled());
    // The work list ends with what the site check found in the web.
    auto* results = Find<QListView>(&form, "lstConvertResults")->model();
    QCOMPARE(results->index(results->rowCount() - 1, 0).data().toString(),
             QStringLiteral("Site check: 2 problems found that will break on a plain host. See "
                            "the Compare panel."));
    // Failures are told once the run has ended.
    QCOMPARE(services_.messages.size(), 1);
    const QString& text = services_.messages[0].text;
    QVERIFY2(text.startsWith("1 operation failed") && text.contains("index.htm"), qPrintable(text));

    // Remembered: the source leads the recent webs. The browser proposes the "-FTP" default
    // for another folder; entering the source field moves it there and proposes this
    // destination, unless the text names no folder.
    auto* sourceField = Find<QComboBox>(&form, "txtConvertFrom");
    auto* destinationField = Find<QLineEdit>(&form, "txtConvertTo");
    auto* folders = Find<FolderList>(&form, "dirConvert");
    QCOMPARE(sourceField->itemText(0), source);
    QVERIFY(folders->SetPath(work_.path()));
    QCOMPARE(destinationField->text(), QDir::toNativeSeparators(work_.path()) + "-FTP");
    sourceField->setEditText(source);
    panel->txtConvertFrom_GotFocus();
    QCOMPARE(folders->Path(), QDir::toNativeSeparators(source));
    QCOMPARE(destinationField->text(), destination);
    sourceField->setEditText(work_.filePath("none"));
    panel->txtConvertFrom_GotFocus();
    QCOMPARE(folders->Path(), QDir::toNativeSeparators(source));

    // The link opens the Compare panel and builds the report.
    QTest::mouseClick(status, Qt::LeftButton);
    QVERIFY(Find(&form, "picCompare")->isVisible());
    QCOMPARE(form.compareBuilds, 1);
  }

  // A web picked from the list, by the mouse or the keyboard, or typed and left with Tab, has
  // its own destination before Start is clicked.
  void pickedOrTypedSourceHasItsDestination() {
    const QString alpha = work_.filePath("pick/Alpha"), beta = work_.filePath("pick/Beta");
    const QString typed = work_.filePath("pick/Gamma");
    for (const QString& web : {alpha, beta, typed}) MakeWeb(web);
    const QString alphaSite = work_.filePath("pick/alpha-site");
    const QString betaSite = work_.filePath("pick/beta-site");
    SourceMemory memory(SettingsFile().toStdString());
    QVERIFY(memory.RememberConversion(alpha.toStdString(), alphaSite.toStdString()));
    QVERIFY(memory.RememberConversion(beta.toStdString(), betaSite.toStdString()));
    ProbeForm form(services_, programFolder_.path());
    form.Form_Load();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    auto* source = Find<QComboBox>(&form, "txtConvertFrom");
    auto* destination = Find<QLineEdit>(&form, "txtConvertTo");
    auto* panel = Find<ConvertPanel>(&form, "picConvert");
    QCOMPARE(source->currentText(), beta);
    QCOMPARE(destination->text(), betaSite);

    // The mouse: the list opened, Alpha clicked.
    QTest::mouseClick(source, Qt::LeftButton, {},
                      QPoint(source->width() - 6, source->height() / 2));
    QAbstractItemView* list = source->view();
    QTRY_VERIFY(list->isVisible());
    // The list takes no click in its first moments, as a double click would be.
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualRect(list->model()->index(1, 0)).center());
    QCOMPARE(source->currentText(), alpha);
    QCOMPARE(destination->text(), alphaSite);
    Start(&form);
    QVERIFY(QFile::exists(alphaSite + "/index.htm"));
    QVERIFY(!QDir(betaSite).exists());

    // The keyboard: Beta is above Alpha in the list.
    source->setFocus();
    QCOMPARE(source->currentText(), alpha);
    QTest::keyClick(source, Qt::Key_Down);
    QCOMPARE(source->currentText(), beta);
    QCOMPARE(destination->text(), betaSite);
    QTest::keyClick(source, Qt::Key_Up);
    QCOMPARE(source->currentText(), alpha);
    QCOMPARE(destination->text(), alphaSite);
    QTest::keyClick(source, Qt::Key_Down);
    QTest::keyClick(source, Qt::Key_S, Qt::AltModifier);
    QTRY_VERIFY(QFile::exists(betaSite + "/index.htm"));
    WaitForRun(&form);
    QCOMPARE(panel->LastResult()->failures.size(), std::size_t{0});

    // Typed, then Tab: a web never converted gets the "-FTP" default. A destination typed
    // after that stays when the source field is entered and left again.
    source->setFocus();
    source->lineEdit()->selectAll();
    QTest::keyClicks(source->lineEdit(), typed);
    QTest::keyClick(source, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), destination);
    QCOMPARE(destination->text(), typed + "-FTP");
    destination->selectAll();
    QTest::keyClicks(destination, work_.filePath("pick/own"));
    QTest::keyClick(destination, Qt::Key_Backtab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(destination->text(), work_.filePath("pick/own"));
  }

  // A folder dropped on the window or on the source field, or named on the command line, is
  // the source, with its destination proposed; a file or a text is not.
  void droppedOrGivenFolderIsTheSource() {
    const QString alpha = work_.filePath("drop/Alpha"), beta = work_.filePath("drop/Beta");
    MakeWeb(alpha);
    MakeWeb(beta);
    const QString alphaSite = work_.filePath("drop/alpha-site");
    QVERIFY(SourceMemory(SettingsFile().toStdString())
                .RememberConversion(alpha.toStdString(), alphaSite.toStdString()));
    ProbeForm form(services_, programFolder_.path());
    form.Form_Load();
    form.SelectQuickMenuItem(2);
    auto* source = Find<QComboBox>(&form, "txtConvertFrom");
    auto* destination = Find<QLineEdit>(&form, "txtConvertTo");
    const auto drop = [](QWidget* target, const QList<QUrl>& urls) {
      QMimeData data;
      data.setUrls(urls);
      const QPoint at = target->rect().center();
      QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, {});
      QApplication::sendEvent(target, &enter);
      if (!enter.isAccepted()) return false;
      QDropEvent dropped(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, {});
      QApplication::sendEvent(target, &dropped);
      return dropped.isAccepted();
    };
    const QString before = source->currentText();
    QVERIFY(!drop(&form, {QUrl::fromLocalFile(beta + "/index.htm")}));
    QVERIFY(!drop(&form, {QUrl::fromLocalFile(alpha), QUrl::fromLocalFile(beta)}));
    QVERIFY(!drop(&form, {QUrl("https://www.example.org/")}));
    QCOMPARE(source->currentText(), before);
    QCOMPARE(VisiblePanels(&form), QStringLiteral("picSettings"));

    QVERIFY(drop(&form, {QUrl::fromLocalFile(alpha)}));
    QCOMPARE(VisiblePanels(&form), QStringLiteral("picConvert"));
    QCOMPARE(source->currentText(), QDir::toNativeSeparators(alpha));
    QCOMPARE(destination->text(), alphaSite);
    QCOMPARE(Find<FolderList>(&form, "dirConvert")->Path(), QDir::toNativeSeparators(alpha));
    QVERIFY(drop(source->lineEdit(), {QUrl::fromLocalFile(beta)}));
    QCOMPARE(source->currentText(), QDir::toNativeSeparators(beta));
    QCOMPARE(destination->text(), QDir::toNativeSeparators(beta) + "-FTP");

    // tarnwick FOLDER, relative to the current folder.
    QTemporaryDir folder;
    RecordingServices services;
    services.endsLoop = true;
    QString given, proposed;
    QTimer::singleShot(0, [&] {
      for (QWidget* window : QApplication::topLevelWidgets())
        if (auto* mainform = qobject_cast<Mainform*>(window); mainform && mainform != &form) {
          given = Find<QComboBox>(mainform, "txtConvertFrom")->currentText();
          proposed = Find<QLineEdit>(mainform, "txtConvertTo")->text();
          mainform->close();
        }
    });
    const QString current = QDir::currentPath();
    QDir::setCurrent(work_.filePath("drop"));
    const int status = tarnwick::Main(services, folder.path(), QStringLiteral("Beta"));
    QDir::setCurrent(current);
    QCOMPARE(status, 0);
    QCOMPARE(given, QDir::toNativeSeparators(beta));
    QCOMPARE(proposed, QDir::toNativeSeparators(beta) + "-FTP");
  }

  // Settings that cannot be read are not replaced by the defaults: not when the run starts,
  // nor when they could not be read as the window was loaded.
  void unreadSettingsAreNotReplaced() {
    const QString source = work_.filePath("same/Web");
    MakeWeb(source);
    QVERIFY(QDir().mkpath(SettingsFile()));
    ProbeForm form(services_, programFolder_.path());
    form.Form_Load();
    SetFolders(&form, source, work_.filePath("same/Site"));
    Start(&form);
    QVERIFY(QDir().rmdir(SettingsFile()));
    Start(&form);
    QCOMPARE(services_.messages.size(), 2);
    QVERIFY2(services_.messages[0].text.contains(SettingsFile()),
             qPrintable(services_.messages[0].text));
    QVERIFY2(services_.messages[1].text.contains("start Tarnwick again"),
             qPrintable(services_.messages[1].text));
    QVERIFY(!QDir(work_.filePath("same/Site")).exists());
  }

  // A refused run starts nothing. However long one file takes to copy, the window is the
  // user's meanwhile; a close then waits for that file alone.
  void refusalsAndClosingDuringALongCopy() {
    const QString source = work_.filePath("long/Web");
    const QString destination = work_.filePath("long/Site");
    MakeWeb(source);
    const QByteArray video(4 << 20, 'v');
    WriteFile(source + "/a-video.mpg", video);
    GatedFileSystem slowDisk("a-video.mpg");
    ProbeForm form(services_, programFolder_.path());
    form.Form_Load();
    // Another spelling of the same folder, made whole as the command line makes it, is an
    // error; other refusals, such as a missing source, are warnings.
    SetFolders(&form, source, source + "/../Web/");
    Start(&form);
    SetFolders(&form, work_.filePath("missing/Web"), destination);
    Start(&form);
    QCOMPARE(services_.messages.size(), 2);
    QCOMPARE(services_.messages[0].icon, QMessageBox::Critical);
    QCOMPARE(services_.messages[0].text, QString::fromUtf8(tarnwick::kSameFoldersMessage));
    QCOMPARE(services_.messages[1].icon, QMessageBox::Warning);

    SetFolders(&form, source, destination);
    auto* panel = Find<ConvertPanel>(&form, "picConvert");
    panel->SetFileSystem(slowDisk);

    QTest::mouseClick(Find<QPushButton>(&form, "cmdConvertStart"), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(slowDisk.Reached(), 60000);
    bool ticked = false;
    QTimer::singleShot(1, &form, [&] { ticked = true; });
    QTRY_VERIFY(ticked);
    QTest::mouseClick(Item(&form, 2), Qt::LeftButton);
    QVERIFY(Find(&form, "picSettings")->isVisible());
    form.close();
    QVERIFY(form.isVisible());  // until the file in progress is done
    slowDisk.Open();
    QTRY_VERIFY_WITH_TIMEOUT(!form.isVisible(), 60000);
    QVERIFY(panel->LastResult().has_value() && panel->LastResult()->cancelled);
    QCOMPARE(services_.endProcessCalls, 1);
    QCOMPARE(ReadAll(destination + "-Uploads/a-video.mpg"), video);
    QCOMPARE(ReadAll(destination + "/a-video.mpg"), video);
    QVERIFY(!QFile::exists(destination + "/index.htm"));
    // Neither a refused nor an unfinished run is remembered.
    QVERIFY(!QFile::exists(SettingsFile()));
  }

  // The progress bar counts the files done of the work list; Cancel stops the run after the
  // file in progress as closing does, and the window stays.
  void progressAndCancelDuringALongCopy() {
    const QString source = work_.filePath("cancel/Web");
    const QString destination = work_.filePath("cancel/Site");
    MakeWeb(source);
    const QByteArray video(1 << 20, 'v');
    WriteFile(source + "/a-video.mpg", video);
    WriteFile(source + "/b-page.htm", "<p>b</p>");
    GatedFileSystem slowDisk("b-page.htm");
    ProbeForm form(services_, programFolder_.path());
    form.Form_Load();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    SetFolders(&form, source, destination);
    auto* panel = Find<ConvertPanel>(&form, "picConvert");
    panel->SetFileSystem(slowDisk);
    auto* progress = Find<QProgressBar>(&form, "prgConvert");
    auto* cancel = Find<QPushButton>(&form, "cmdConvertCancel");
    QVERIFY(!cancel->isVisible());

    QTest::mouseClick(Find<QPushButton>(&form, "cmdConvertStart"), Qt::LeftButton);
    QVERIFY(cancel->isVisible());
    QCOMPARE(QApplication::focusWidget(), cancel);
    QTRY_VERIFY_WITH_TIMEOUT(slowDisk.Reached(), 60000);
    // The video is done, the page is in progress: one of four.
    QTRY_COMPARE(progress->value(), 1);
    QCOMPARE(progress->maximum(), 4);
    QVERIFY(progress->isVisible());
    QTest::mouseClick(cancel, Qt::LeftButton);
    QVERIFY(panel->Running());  // until the file in progress is done
    slowDisk.Open();
    WaitForRun(&form);
    QVERIFY(panel->LastResult()->cancelled);
    QCOMPARE(Find<QLabel>(&form, "lblConvert")->text(),
             QStringLiteral("The conversion was stopped before it was finished."));
    QVERIFY(form.isVisible());
    QCOMPARE(services_.endProcessCalls, 0);
    QVERIFY(!cancel->isVisible());
    QCOMPARE(QApplication::focusWidget(), Find(&form, "cmdConvertStart"));
    // The file in progress is whole on both sides, nothing after it was begun, and the run is
    // not remembered.
    QCOMPARE(ReadAll(destination + "/b-page.htm"), QByteArray("<p>b</p>"));
    QCOMPARE(ReadAll(destination + "-Uploads/b-page.htm"), QByteArray("<p>b</p>"));
    QVERIFY(!QFile::exists(destination + "/index.htm"));
    QVERIFY(!QFile::exists(SettingsFile()));
    QCOMPARE(progress->value(), 2);

    // From the keyboard this time, to the end: every file is done.
    panel->SetFileSystem(SystemFileSystem());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_S, Qt::AltModifier);
    QTRY_VERIFY_WITH_TIMEOUT(!panel->Running() && !panel->LastResult()->cancelled, 60000);
    QCOMPARE(progress->maximum(), 4);
    QCOMPARE(progress->value(), 4);
    QVERIFY(QFile::exists(destination + "/index.htm"));
  }

  // Cancel ends the count of the Compare panel at its next turn; the next one counts afresh.
  void cancelEndsTheCount() {
    const QString source = work_.filePath("count/Web");
    for (int i = 0; i < 2000; ++i)
      WriteFile(source + QStringLiteral("/pages/p%1.htm").arg(i), QByteArray(10, 'x'));
    Mainform form(services_, programFolder_.path());
    form.Form_Load();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    auto* list = Find<CompareList>(&form, "lstCompare");
    // No web chosen yet: nothing is counted, and the user is told what to do.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_2, Qt::ControlModifier);
    QCOMPARE(list->Lines(), QStringList{QString::fromLatin1(ComparePanel::kNoWebLine)});
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_1, Qt::ControlModifier);
    SetFolders(&form, source, source + "-FTP");
    auto* cancel = Find<QPushButton>(&form, "cmdCompareCancel");
    bool shown = false;
    QTimer::singleShot(0, &form, [&] {
      shown = cancel->isVisible();
      QTest::mouseClick(cancel, Qt::LeftButton);
    });
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_2, Qt::ControlModifier);
    QVERIFY(shown);
    QVERIFY(!cancel->isVisible());
    QCOMPARE(list->Lines().size(), 6);
    QCOMPARE(list->Lines().last(), QString::fromLatin1(ComparePanel::kStoppedLine));
    QTest::mouseClick(Find<QPushButton>(&form, "cmdCompare"), Qt::LeftButton);
    QVERIFY(list->Lines().contains(QStringLiteral("Files\t2000\t0\t2000\t100%")));
    QVERIFY(!list->Lines().contains(QString::fromLatin1(ComparePanel::kStoppedLine)));
  }

  // The Compare panel.

  // A FrontPage web, its FTP web with the latest log, and the uploads folder with its own log;
  // sizes of eleven digits, in files that take no room.
  void reportInTheUsersLocaleLinedUpItsLinesOpenInTheEditor() {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const QString source = work_.filePath("Web"), destination = source + "-FTP",
                  uploads = destination + "-Uploads";
    const std::pair<QString, qint64> sizes[] = {{source + "/big.mpg", Q_INT64_C(97639703123)},
                                                {destination + "/big.mpg", Q_INT64_C(67810539000)},
                                                {uploads + "/big.mpg", Q_INT64_C(8000000000)}};
    for (const auto& [path, size] : sizes) {
      WriteFile(path, "");
      QVERIFY(QFile::resize(path, size));
    }
    QDir().mkpath(source + "/a");
    QDir().mkpath(source + "/_vti_cnf");
    WriteFile(destination + "/changes.ini", "[Deleted]\r\nold.htm=100\r\ngone.gif=2048\r\n");
    WriteFile(uploads + "/sub/x.htm", QByteArray(10, 'x'));
    WriteFile(uploads + "/changes.ini", "[Changed]\r\nbig.mpg=67810539000\r\n");
    Mainform form(services_, programFolder_.path());
    form.Form_Load();
    SetFolders(&form, source, destination);
    form.SelectQuickMenuItem(1);
    auto* list = Find<CompareList>(&form, "lstCompare");

    // The core's lines (its own tests hold them all), with the user's marks in the numbers.
    const QStringList lines = list->Lines();
    QCOMPARE(lines[11],
             QStringLiteral("     Bytes\t97.639.703.123\t67.810.539.039\t29.829.164.084\t31%"));
    QCOMPARE(lines[13], QStringLiteral("     Megabytes\t93.116,48\t64.669,17\t28.447,31\t31%"));

    // Every value stands under its header, and none touches the next.
    const QFontMetrics metrics(list->font());
    const std::vector<int> header = list->FieldPositions(5);
    QCOMPARE(header.size(), std::size_t{5});
    int rows = 0;
    for (int row = 6; row < lines.size(); ++row) {
      const QStringList fields = lines[row].split('\t');
      if (fields.size() < 3) continue;
      ++rows;
      const std::vector<int> at = list->FieldPositions(row);
      for (int f = 1; f < fields.size(); ++f) {
        if (fields[f].isEmpty()) continue;
        QCOMPARE(at[f], header[f]);
        QVERIFY2(
            at[f - 1] + metrics.horizontalAdvance(fields[f - 1]) + metrics.averageCharWidth() <=
                at[f],
            qPrintable(lines[row]));
      }
    }
    QCOMPARE(rows, 10);  // the five rows of the Totals and of the Uploads

    // The Compare button counts afresh; a page that links to a missing one is found.
    WriteFile(source + "/a/news.htm", "<p>\n<img src=\"../_private/x.gif\"><a href=gone.htm>");
    WriteFile(source + "/_private/x.gif", "GIF89a");
    QTest::mouseClick(Find<QPushButton>(&form, "cmdCompare"), Qt::LeftButton);
    QCOMPARE(list->Lines()[9], QStringLiteral("Files\t3\t2\t1\t34%"));

    // The change logs open in the editor.
    ClickLine(list, 15);
    QCOMPARE(services_.editedFiles, QStringList{destination + "/changes.ini"});
    ClickLine(list, 25);
    QCOMPARE(services_.editedFiles.last(), uploads + "/changes.ini");
    // Number lines, headings and empty lines do nothing.
    for (int row : {0, 5, 9, 11, 14, 28, 32}) ClickLine(list, row);
    QCOMPARE(services_.editedFiles.size(), 2);

    // The findings follow the report; one opens its page, the summary and heading do not.
    const QStringList found = list->Lines();
    const int heading = static_cast<int>(found.indexOf(ComparePanel::kCheckHeading));
    QVERIFY(heading > 0);
    QVERIFY(found[heading + 3].startsWith(QStringLiteral("a/news.htm, line 2, missing: gone.htm")));
    // A finding cut off by the list shows whole as its tip; a new report starts at the left.
    list->resize(200, list->height());
    const QModelIndex finding = list->model()->index(heading + 3, 0);
    list->scrollTo(finding);
    QHelpEvent hover(QEvent::ToolTip, list->visualRect(finding).center(),
                     list->viewport()->mapToGlobal(list->visualRect(finding).center()));
    QApplication::sendEvent(list->viewport(), &hover);
    QTRY_VERIFY(QToolTip::isVisible());
    QVERIFY2(QToolTip::text().contains(found[heading + 3].toHtmlEscaped()),
             qPrintable(QToolTip::text()));
    QToolTip::hideText();
    list->horizontalScrollBar()->setValue(list->horizontalScrollBar()->maximum());
    QVERIFY(list->horizontalScrollBar()->value() > 0);
    QTest::mouseClick(Find<QPushButton>(&form, "cmdCompare"), Qt::LeftButton);
    QCOMPARE(list->horizontalScrollBar()->value(), 0);
    for (int row : {heading + 3, heading + 1, heading}) ClickLine(list, row);
    QCOMPARE(services_.editedFiles.mid(2),
             QStringList{QDir::toNativeSeparators(source + "/a/news.htm")});

    // The logs of the report shown, even when the fields have changed since.
    SetFolders(&form, work_.filePath("elsewhere"), work_.filePath("elsewhere-FTP"));
    ClickLine(list, 15);
    QCOMPARE(services_.editedFiles.last(), destination + "/changes.ini");

    // No editor: the user is told.
    services_.editorMissing = true;
    ClickLine(list, 15);
    QCOMPARE(services_.messages.size(), 1);
    QCOMPARE(services_.messages[0].title, QString::fromLatin1(ComparePanel::kEditorTitle));
    QVERIFY(services_.messages[0].text.contains(QDir::toNativeSeparators(destination)));
  }

  // Closing while the trees are counted ends the count at once, and the next start may come
  // in while this process is still ending.
  void closingDuringTheCountEndsItAndFreesTheLock() {
    const QString source = work_.filePath("closing/Web");
    for (int i = 0; i < 2000; ++i)
      WriteFile(source + QStringLiteral("/pages/p%1.htm").arg(i), QByteArray(10, 'x'));
    QTemporaryDir folder;
    RecordingServices services;
    services.endsLoop = true;
    bool building = false, nextStartIn = false, visible = true;
    QStringList lines;
    QTimer::singleShot(0, [&] {
      Mainform* form = nullptr;
      for (QWidget* window : QApplication::topLevelWidgets())
        if (auto* mainform = qobject_cast<Mainform*>(window)) form = mainform;
      if (!form) qFatal("no window");
      SetFolders(form, source, source + "-FTP");
      auto* panel = Find<ComparePanel>(form, "picCompare");
      // Comes in at the count's first turn of the event loop.
      QTimer::singleShot(0, form, [&, form, panel] {
        building = panel->Building();
        form->close();
        visible = form->isVisible();
        tarnwick::SingleInstance next(folder.path());
        nextStartIn = next.Claim();
      });
      form->SelectQuickMenuItem(1);
      lines = Find<CompareList>(form, "lstCompare")->Lines();
    });
    QCOMPARE(tarnwick::Main(services, folder.path()), 0);
    QVERIFY(building);
    QVERIFY(!visible);
    QVERIFY(nextStartIn);
    QCOMPARE(services.endProcessCalls, 1);
    // Nothing was counted after the close: no numbers at all.
    QCOMPARE(lines.size(), 6);
    QCOMPARE(lines.last(), QString::fromLatin1(ComparePanel::kStoppedLine));
  }

  // The Settings panel: the options as the user sees and sets them.

  // Which controls a state greys is the core's rule; here, that the panel shows the stored
  // states, and that a click applies the rule to the controls and saves at once.
  void settingsPanelShowsEditsAppliesAndSaves() {
    const QByteArray text =
        "[Main]\r\nCheckForChanges=2\r\nCompareSize=0\r\nKillExtra=2\r\nReportDeleted=2\r\n"
        "LaunchFTP=1\r\nFTPPath=/opt/ftp/bin/client\r\n";
    WriteFile(SettingsFile(), text);
    WriteFile(SkipFile(), "thumbs.db\r\nnotes.txt");
    Mainform form(services_, programFolder_.path());
    form.Form_Load();

    const Options stored = Saved();
    QVERIFY(Settings(&form).CurrentOptions() == stored);
    QCOMPARE(Find<QCheckBox>(&form, "chkReportDeleted")->checkState(), Qt::PartiallyChecked);
    // Greyed counts as on for the boxes that govern others.
    QCOMPARE(DisabledControls(&form), QStringList());
    QCOMPARE(Settings(&form).SkipList(), std::vector<std::string>({"thumbs.db", "notes.txt"}));

    // Edit opens the skip list, made empty when missing; the list changes only with Refresh.
    form.SelectQuickMenuItem(2);
    QFile::remove(SkipFile());
    Click(form, "cmdKillExtraEdit");
    QCOMPARE(services_.editedFiles, QStringList{SkipFile()});
    QCOMPARE(ReadAll(SkipFile()), QByteArray());
    // The user saves in the editor; Edit again leaves the file alone.
    WriteFile(SkipFile(), "a.txt\r\nb.txt");
    Click(form, "cmdKillExtraEdit");
    QCOMPARE(ReadAll(SkipFile()), QByteArray("a.txt\r\nb.txt"));
    QCOMPARE(Items(&form), QStringList({"thumbs.db", "notes.txt"}));
    Click(form, "cmdKillExtraRefresh");
    QCOMPARE(Items(&form), QStringList({"a.txt", "b.txt"}));
    QCOMPARE(Settings(&form).SkipList(), std::vector<std::string>({"a.txt", "b.txt"}));
    // Without an editor the user is told.
    services_.editorMissing = true;
    Click(form, "cmdKillExtraEdit");
    QCOMPARE(services_.messages.size(), 1);
    QCOMPARE(services_.messages[0].title, QString::fromLatin1(SettingsPanel::kEditorTitle));
    QVERIFY(services_.messages[0].text.contains(QDir::toNativeSeparators(SkipFile())));
    // Neither loading nor the skip list writes the settings; the controls show the stored
    // states, so saving them changes none.
    QCOMPARE(ReadAll(SettingsFile()), text);
    Click(form, "cmdSaveSettings");
    QVERIFY(Saved() == stored);

    // A click never produces grey: from greyed it goes to checked, then off.
    const std::tuple<const char*, int, QStringList> rows[] = {
        {"chkCheckForChanges", 1, {}},
        {"chkCheckForChanges", 0, kChangeDependents + kSkipControls},
        {"chkLaunchFTP", 0, kChangeDependents + kSkipControls + kFtpControls},
        {"chkCheckForChanges", 1, kFtpControls},
        {"chkKillExtra", 1, kFtpControls},
        {"chkKillExtra", 0, kSkipControls + kFtpControls},
    };
    for (const auto& [box, state, disabled] : rows) {
      Click(form, box);
      QCOMPARE(int{Find<OptionCheckBox>(&form, box)->State()}, state);
      QCOMPARE(DisabledControls(&form), disabled);
      QVERIFY(Saved() == Settings(&form).CurrentOptions());
    }
    // The marks are kept while their boxes are greyed.
    QCOMPARE(Saved().CompareDate, 1);
    QCOMPARE(Saved().KillExtra, 0);
  }

  // The news ticker, its tray and its download over loopback.

  // The order of items and ticks is the core's; here, what the labels show of them and where.
  void tickerLabelsFetchAndTrayMenu() {
    WriteFile(TickerFile(), kGoodText);
    DrivenForm form(services_, programFolder_.path());
    form.Start();
    auto* view = Find<TickerView>(&form, "picTicker");
    QLabel* incoming = Indexed(&form, "lblTicker", 0);
    QLabel* outgoing = Indexed(&form, "lblTicker", 1);
    for (int i = 0; i < 3; ++i) form.TickMain();
    QCOMPARE(incoming->text(), QString());
    QVERIFY(!view->Timer()->isActive());

    form.TickMain();
    QCOMPARE(incoming->text(), QStringLiteral("News one"));
    QCOMPARE(Colour(incoming), QColor(255, 255, 128));
    QVERIFY(incoming->font().underline());
    // 360 and 0 twips; both as wide and high as the box.
    QCOMPARE(incoming->geometry(), QRect(0, 24, 441, 23));
    QCOMPARE(outgoing->geometry(), QRect(0, 0, 441, 23));
    // The rotation's positions, in twips, placed in pixels: at rest 40 and -325.
    int ticks = 0;
    for (; view->Timer()->isActive() && ticks < 100; ++ticks) view->TickerTimer_Timer();
    QCOMPARE(ticks, 13);
    QCOMPARE(incoming->y(), tarnwick::Twips(40));
    QCOMPARE(outgoing->y(), tarnwick::Twips(-325));
    QTest::mouseClick(incoming, Qt::LeftButton);
    QCOMPARE(services_.urls, QStringList({"http://news.example/one"}));

    for (int i = 0; i < 3; ++i) form.TickMain();
    QCOMPARE(incoming->text(), QStringLiteral("Alert"));
    QCOMPARE(Colour(incoming), QColor(255, 0, 0));
    QVERIFY(!incoming->font().underline());
    // The outgoing label takes caption and colour of the item before, and no longer links.
    QCOMPARE(outgoing->text(), QStringLiteral("News one"));
    QCOMPARE(Colour(outgoing), QColor(255, 255, 128));
    QTest::mouseClick(outgoing, Qt::LeftButton);
    QCOMPARE(services_.urls.size(), 1);

    // A server that answers late holds up nothing: the button returns at once, the window goes
    // on, and the text is stored and shown.
    LoopbackHttpServer server;
    QVERIFY(server.Listen());
    server.SetPage(kFeedPath, 200, kOldText, 1000);
    Connect(*view, server.Host());
    view->Download().SetTimeout(10000);
    auto* update = Find<QPushButton>(&form, "cmdGetNewTicker");
    update->setEnabled(true);
    QSignalSpy ended(view, &TickerView::TickerUpdated);
    update->click();
    QVERIFY(view->Download().Fetching());
    QVERIFY(ended.isEmpty());
    // The window takes its input meanwhile, and a second click starts no second fetch.
    QTest::mouseClick(Item(&form, 2), Qt::LeftButton);
    QVERIFY(Find(&form, "picSettings")->isVisible());
    update->click();
    QVERIFY(ended.wait(20000));
    QCOMPARE(ended[0][0].value<TickerUpdate>(), TickerUpdate::kStored);
    QCOMPARE(server.requests, QList<QByteArray>({kFeedPath}));
    QCOMPARE(ReadAll(TickerFile()), QByteArray(kOldText));
    QCOMPARE(ReadAll(SettingsFile()),
             "[Ticker]\r\nTickerDate= " + QByteArray::fromStdString(FormatYyyymmdd(LocalToday())) +
                 "\r\n");
    QCOMPARE(view->Ticker().Rotation().Items().front().caption, std::string("Old item"));

    // Exit from the tray menu closes the window at the next tick, and with it a fetch on its
    // way: whatever the server would still send is not stored.
    auto* tray = Find<TrayIcon>(&form, "TrayIcon1");
    QCOMPARE(tray->ToolTip(), QStringLiteral("Tarnwick\r\n   Status : Ready"));
    const QList<QAction*> actions = tray->Menu()->actions();
    QStringList captions;
    for (QAction* action : actions) captions << action->text();
    QCOMPARE(captions, QStringList({"Help", "About", "", "Exit"}));
    // The offscreen desktop has no tray: no icon, and the program runs on without one.
    QVERIFY(!tray->IconShown());

    tray->MenuClick(99);
    QVERIFY(!form.ExitRequested);

    actions[3]->trigger();
    QVERIFY(form.ExitRequested);
    QVERIFY(form.isVisible());
    QCOMPARE(services_.endProcessCalls, 0);
    WriteFile(TickerFile(), kGoodText);
    update->click();
    QVERIFY(view->Download().Fetching());
    QTRY_COMPARE_WITH_TIMEOUT(server.requests.size(), 2, 20000);  // the server holds the fetch
    form.TickMain();
    QVERIFY(!form.isVisible());
    QCOMPARE(services_.endProcessCalls, 1);
    QVERIFY(!view->Download().Fetching());
    // The late answer goes out, and a fetch asked for after it comes back: by then the late
    // one has had every chance to be stored.
    QTRY_COMPARE_WITH_TIMEOUT(server.answersSent, 2, 20000);
    server.SetPage(kFeedPath, 200, kOldText, 0);
    bool afterDone = false;
    view->Download().StartFetch("http://" + server.Host().toStdString() + kFeedPath,
                                [&afterDone](const std::string&) { afterDone = true; });
    QTRY_VERIFY_WITH_TIMEOUT(afterDone, 20000);
    QCOMPARE(ended.size(), 1);
    QCOMPARE(ReadAll(TickerFile()), QByteArray(kGoodText));
  }

  // Help and About of the tray menu are the quick menu's, with the window brought forward; a
  // click on the icon brings it forward too.
  void trayMenuHelpAboutAndClickBringTheWindow() {
    Mainform form(services_, programFolder_.path());
    form.Form_Load();
    auto* tray = Find<TrayIcon>(&form, "TrayIcon1");
    QMenu* menu = tray->Menu();
    const auto choose = [menu](int position) {
      menu->popup(QPoint(40, 40));
      QTRY_VERIFY(menu->isVisible());
      QAction* action = menu->actions()[position];
      QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
      QTRY_VERIFY(!menu->isVisible());
    };
    form.SelectQuickMenuItem(2);
    form.showMinimized();
    choose(1);  // About
    QVERIFY(!form.isMinimized());
    QVERIFY(form.isVisible());
    QCOMPARE(VisiblePanels(&form), QStringLiteral("picAbout"));
    QVERIFY(Find(&form, "lblLicence")->isVisible());
    QVERIFY(Find<QLabel>(&form, "lblLicence")->text().contains("GPL-3.0-or-later"));
    QCOMPARE(services_.urls.size(), 0);
    form.hide();
    choose(0);  // Help
    QVERIFY(form.isVisible());
    QCOMPARE(services_.urls.size(), 1);
    QCOMPARE(VisiblePanels(&form), QStringLiteral("picAbout"));
    // The menu from the keyboard: the separator is passed over on the way to Exit.
    menu->popup(QPoint(40, 40));
    QTRY_VERIFY(menu->isVisible());
    for (int i = 0; i < 3; ++i) QTest::keyClick(menu, Qt::Key_Down);
    QCOMPARE(menu->activeAction(), menu->actions()[3]);
    QTest::keyClick(menu, Qt::Key_Escape);
    QVERIFY(!form.ExitRequested);

    // The desktop reports a plain click on the icon (this one has no tray to click in).
    form.showMinimized();
    tray->Activated(QSystemTrayIcon::Context);
    QVERIFY(form.isMinimized());
    tray->Activated(QSystemTrayIcon::Trigger);
    QVERIFY(!form.isMinimized());
    QCOMPARE(VisiblePanels(&form), QStringLiteral("picAbout"));
  }

  void welcomeBalloonAndConnectionGoByTheSystem() {
    // System, whether the tray can show balloons, expected.
    const std::tuple<const char*, bool, bool> rows[] = {
        {"Win 2000", false, true}, {"Win XP", false, true}, {"Win 3.1", true, false},
        {"Win 9x", true, false},   {"NT 4", true, false},   {"Unknown", true, true},
        {"Unknown", false, false}, {"Win NT", true, true}};
    for (const auto& [system, balloons, expected] : rows)
      QVERIFY2(ShowsWelcomeBalloon(system, balloons) == expected, system);
    QCOMPARE(TrayMenuCaption(0), QString());
    // Only a disconnected answer is off-line.
    using R = QNetworkInformation::Reachability;
    for (R answer : {R::Unknown, R::Online, R::Local, R::Site}) QVERIFY(CountsAsConnected(answer));
    QVERIFY(!CountsAsConnected(R::Disconnected));
  }

  void nothingUsefulFetchedWritesNothing_data() {
    // The page served is a good text each time.
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("delayMs");
    QTest::addColumn<bool>("online");
    QTest::addColumn<TickerUpdate>("result");
    const auto nothing = TickerUpdate::kNothingFetched;
    QTest::newRow("status 300 without a page to follow") << 300 << 0 << true << nothing;
    QTest::newRow("answer after the time-out") << 200 << 60000 << true << nothing;
    QTest::newRow("offline asks nothing") << 200 << 0 << false << TickerUpdate::kOffline;
  }

  void nothingUsefulFetchedWritesNothing() {
    QFETCH(int, status);
    QFETCH(int, delayMs);
    QFETCH(bool, online);
    QFETCH(TickerUpdate, result);
    WriteFile(TickerFile(), kOldText);
    WriteFile(SettingsFile(), "[Ticker]\r\nTickerDate= 19990101\r\n");
    LoopbackHttpServer loopback;
    QVERIFY(loopback.Listen());
    loopback.SetPage(kFeedPath, status, kGoodText, delayMs);
    TickerView view(services_, programFolder_.path());
    Connect(view, loopback.Host(), online);
    view.Download().SetTimeout(300);
    view.LoadTicker();

    QSignalSpy ended(&view, &TickerView::TickerUpdated);
    QElapsedTimer clock;
    clock.start();
    const TickerUpdate started = view.GetNewTickerText();
    if (started == TickerUpdate::kFetching) QVERIFY(ended.wait(20000));
    QCOMPARE(ended.isEmpty() ? started : ended[0][0].value<TickerUpdate>(), result);
    QVERIFY2(clock.elapsed() < 5000, "the fetch waited past its time-out");
    QCOMPARE(loopback.requests.size(), online ? 1 : 0);
    QCOMPARE(ReadAll(TickerFile()), QByteArray(kOldText));
    QCOMPARE(ReadAll(SettingsFile()), QByteArray("[Ticker]\r\nTickerDate= 19990101\r\n"));
    QCOMPARE(view.Ticker().Rotation().Items().front().caption, std::string("Old item"));
  }
};

}  // namespace tarnwick::testing

QTEST_MAIN(tarnwick::testing::WindowTest)
#include "window_test.moc"
