// tarnwick-window-bench: times conversion runs started from the window (driven on the offscreen
// platform) against tarnwick-convert on the same synthetic web, and checks that the window
// takes at most 1.1 times as long.
//
// Every run converts into a new, empty destination, so each copies the whole web. The runs
// alternate between the two front ends so that neither profits alone from a warm cache.

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListView>
#include <QProcess>
#include <QPushButton>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "settings/settings_store.h"
#include "shell/convert_panel.h"
#include "shell/mainform.h"
#include "shell/shell_services.h"
#include "web_generator.h"

namespace fs = std::filesystem;

namespace {

constexpr double kRatioTarget = 1.1;
constexpr int kRounds = 3;

// Nothing opens, starts or blocks during a benchmark.
class QuietServices : public tarnwick::ShellServices {
 public:
  bool OpenUrl(const QString&) override { return true; }
  bool StartProgram(const QString&) override { return true; }
  void ShowMessage(QWidget*, QMessageBox::Icon, const QString& title,
                   const QString& text) override {
    std::fprintf(stderr, "message %s: %s\n", qPrintable(title), qPrintable(text));
    failed = true;
  }
  void EndProcess() override {}
  bool failed = false;
};

struct Timing {
  bool ok = false;
  double seconds = 0;
  double cpuSeconds = 0;  // user and system time: what the disk's moods do not change
  long long entries = 0;
};

double CpuSeconds(int who) {
  struct rusage usage;
  ::getrusage(who, &usage);
  auto seconds = [](const struct timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

Timing RunCommandLine(const QString& convert, const QString& settings, const QString& source,
                      const QString& destination) {
  Timing timing;
  QProcess process;
  QElapsedTimer clock;
  const double cpuBefore = CpuSeconds(RUSAGE_CHILDREN);
  clock.start();
  process.start(convert, {"--quiet", "--settings-dir", settings, source, destination});
  if (!process.waitForStarted(30000) || !process.waitForFinished(-1)) return timing;
  timing.seconds = clock.nsecsElapsed() / 1e9;
  timing.cpuSeconds = CpuSeconds(RUSAGE_CHILDREN) - cpuBefore;
  timing.ok = process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
  if (!timing.ok) std::fprintf(stderr, "%s", process.readAllStandardError().constData());
  return timing;
}

Timing RunWindow(const QString& settings, const QString& source, const QString& destination) {
  Timing timing;
  QuietServices services;
  tarnwick::Mainform form(services, settings);
  form.Form_Load();
  form.findChild<QComboBox*>("txtConvertFrom")->setEditText(source);
  form.findChild<QLineEdit*>("txtConvertTo")->setText(destination);
  auto* panel = form.findChild<tarnwick::ConvertPanel*>("picConvert");
  QElapsedTimer clock;
  const double cpuBefore = CpuSeconds(RUSAGE_SELF);
  clock.start();
  form.findChild<QPushButton*>("cmdConvertStart")->click();
  timing.seconds = clock.nsecsElapsed() / 1e9;
  timing.cpuSeconds = CpuSeconds(RUSAGE_SELF) - cpuBefore;
  timing.ok = !services.failed && panel->LastResult() && panel->LastResult()->Finished();
  timing.entries = form.findChild<QListView*>("lstConvertResults")->model()->rowCount();
  return timing;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);

  tarnwick::WebShape shape;
  QString convert = QStringLiteral(TARNWICK_CONVERT_PATH);
  QString workParent = QString::fromStdString(fs::temp_directory_path().string());
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--files" && i + 1 < argc) {
      shape.files = std::atoll(argv[++i]);
    } else if (arg == "--folders" && i + 1 < argc) {
      shape.folders = std::atoll(argv[++i]);
    } else if (arg == "--work" && i + 1 < argc) {
      workParent = QString::fromLocal8Bit(argv[++i]);
    } else if (arg == "--convert" && i + 1 < argc) {
      convert = QString::fromLocal8Bit(argv[++i]);
    } else {
      std::fprintf(stderr,
                   "usage: tarnwick-window-bench [--files N] [--folders N] [--work DIR] "
                   "[--convert PATH]\n"
                   "  Times %d runs from the window (offscreen) and %d of tarnwick-convert on a "
                   "synthetic web\n  (default 20000 files in 1000 folders).\n",
                   kRounds, kRounds);
      return 2;
    }
  }

  const fs::path work =
      fs::path(workParent.toStdString()) /
      ("tarnwick-window-bench-" + std::to_string(QCoreApplication::applicationPid()));
  const fs::path web = work / "web";
  const fs::path settings = work / "program";
  fs::create_directories(settings);

  // The options a careful user has on: change detection, uploads folder, logs and the sweep.
  tarnwick::Options options = tarnwick::DefaultOptions();
  tarnwick::SaveOptions(tarnwick::SettingsFilePath(settings.string()), options);

  std::printf("generating %lld files in %lld folders...\n", static_cast<long long>(shape.files),
              static_cast<long long>(shape.folders));
  std::string error;
  tarnwick::WebGenerator generator(shape);
  if (!generator.Generate(web.string(), &error)) {
    std::fprintf(stderr, "cannot generate the web: %s\n", error.c_str());
    return 1;
  }

  const QString source = QString::fromStdString(web.string());
  const QString programFolder = QString::fromStdString(settings.string());
  // One untimed run brings the source into the cache for both.
  RunCommandLine(convert, programFolder, source, QString::fromStdString((work / "warm").string()));
  fs::remove_all(work / "warm");
  fs::remove_all(work / "warm-Uploads");

  std::vector<double> window;
  std::vector<double> commandLine;
  std::vector<double> windowCpu;
  std::vector<double> commandLineCpu;
  bool ok = true;
  for (int round = 0; round < kRounds; ++round) {
    const auto dest = [&](const char* who) {
      return QString::fromStdString((work / (std::string(who) + std::to_string(round))).string());
    };
    const bool windowFirst = round % 2 == 0;
    for (int turn = 0; turn < 2; ++turn) {
      // Whatever the last run or deletion left for the disk to write would slow the next one.
      ::sync();
      std::this_thread::sleep_for(std::chrono::seconds(1));
      ::sync();
      if ((turn == 0) == windowFirst) {
        const Timing t = RunWindow(programFolder, source, dest("window"));
        ok = ok && t.ok;
        window.push_back(t.seconds);
        windowCpu.push_back(t.cpuSeconds);
        std::printf("  window       round %d: %7.3f s, cpu %6.3f s (%lld work entries)\n",
                    round + 1, t.seconds, t.cpuSeconds, t.entries);
      } else {
        const Timing t = RunCommandLine(convert, programFolder, source, dest("convert"));
        ok = ok && t.ok;
        commandLine.push_back(t.seconds);
        commandLineCpu.push_back(t.cpuSeconds);
        std::printf("  command line round %d: %7.3f s, cpu %6.3f s\n", round + 1, t.seconds,
                    t.cpuSeconds);
      }
    }
    fs::remove_all(work / ("window" + std::to_string(round)));
    fs::remove_all(work / ("window" + std::to_string(round) + "-Uploads"));
    fs::remove_all(work / ("convert" + std::to_string(round)));
    fs::remove_all(work / ("convert" + std::to_string(round) + "-Uploads"));
  }
  fs::remove_all(work);

  const double ratio = Median(window) / Median(commandLine);
  std::printf("\nwindow %.3f s, command line %.3f s (medians): ratio %.3f (target <= %.1f) %s\n",
              Median(window), Median(commandLine), ratio, kRatioTarget,
              ratio <= kRatioTarget ? "met" : "NOT MET");
  const double cpuRatio = Median(windowCpu) / Median(commandLineCpu);
  std::printf("cpu time: window %.3f s, command line %.3f s (medians): ratio %.3f\n",
              Median(windowCpu), Median(commandLineCpu), cpuRatio);
  if (!ok) std::printf("a run failed (see above)\n");
  return ok && ratio <= kRatioTarget ? 0 : 1;
}
