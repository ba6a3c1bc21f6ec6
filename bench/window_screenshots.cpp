// tarnwick-screenshots: shows the window on the current display (scripts/screenshots runs it
// under Xvfb), converts a web from it as a user would and saves what the screen shows: the
// Convert panel after the run and the Compare panel.

#include <QApplication>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <cstdio>

#include "shell/convert_panel.h"
#include "shell/mainform.h"
#include "shell/shell_services.h"

namespace {

// Nothing opens or starts while the pictures are taken; a message means something went wrong.
class QuietServices : public tarnwick::ShellServices {
 public:
  bool OpenUrl(const QString&) override { return true; }
  bool StartProgram(const QString&) override { return true; }
  bool OpenInEditor(const QString&) override { return true; }
  void ShowMessage(QWidget*, QMessageBox::Icon, const QString& title,
                   const QString& text) override {
    std::fprintf(stderr, "message %s: %s\n", qPrintable(title), qPrintable(text));
    failed = true;
  }
  void EndProcess() override {}
  bool failed = false;
};

// Lets the window paint and the display server take it in.
void Settle(int milliseconds) {
  QDeadlineTimer deadline(milliseconds);
  while (!deadline.hasExpired()) QApplication::processEvents(QEventLoop::AllEvents, 20);
}

bool Save(QWidget& window, const QString& path) {
  Settle(800);
  const QPixmap shot = window.screen()->grabWindow(window.winId());
  if (shot.isNull() || !shot.save(path, "PNG")) {
    std::fprintf(stderr, "cannot save %s\n", qPrintable(path));
    return false;
  }
  std::printf("%s\n", qPrintable(path));
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Tarnwick"));
  if (argc != 5) {
    std::fprintf(stderr,
                 "usage: tarnwick-screenshots PROGRAM_FOLDER SOURCE DESTINATION OUTPUT_FOLDER\n");
    return 2;
  }
  const QString programFolder = QString::fromLocal8Bit(argv[1]);
  const QString output = QString::fromLocal8Bit(argv[4]);

  QuietServices services;
  tarnwick::Mainform form(services, programFolder);
  form.Form_Load();
  form.findChild<QComboBox*>("txtConvertFrom")->setEditText(QString::fromLocal8Bit(argv[2]));
  form.findChild<QLineEdit*>("txtConvertTo")->setText(QString::fromLocal8Bit(argv[3]));
  Settle(300);
  form.findChild<QPushButton*>("cmdConvertStart")->click();
  const auto& result = form.findChild<tarnwick::ConvertPanel*>("picConvert")->LastResult();
  if (services.failed || !result || !result->Finished()) {
    std::fprintf(stderr, "the run did not finish\n");
    return 1;
  }
  if (!Save(form, output + "/convert.png")) return 1;
  // What the report link in the status line opens.
  form.SelectQuickMenuItem(1);
  if (!Save(form, output + "/compare.png")) return 1;
  return services.failed ? 1 : 0;
}
