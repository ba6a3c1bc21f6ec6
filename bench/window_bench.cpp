// tarnwick-window-bench: times conversion runs started from the window (driven on the offscreen
// platform) against tarnwick-convert on the same synthetic web, and checks that the window
// takes at most 1.1 times as long.
//
// Every run converts into a new, empty destination, so each copies the whole web. The runs
// alternate between the two front ends so that neither profits alone from a warm cache.
//
// Then it measures how long the window's event loop is held up at most during four long
// operations (a conversion of the same web, a conversion of a web holding one big file, a
// Compare of a large tree, a ticker fetch from a server that answers late), and checks that it
// is never more than 100 ms.

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QLineEdit>
#include <QListView>
#include <QProcess>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "settings/settings_store.h"
#include "shell/compare_panel.h"
#include "shell/convert_panel.h"
#include "shell/mainform.h"
#include "shell/shell_services.h"
#include "shell/ticker_view.h"
#include "web_generator.h"

namespace fs = std::filesystem;

namespace {

constexpr double kRatioTarget = 1.1;
constexpr int kRounds = 3;
constexpr double kStallTargetMs = 100;
constexpr int kStallTickMs = 5;
constexpr int kLateAnswerMs = 10000;

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
  // The run goes on beside the window; its end comes back through the event loop.
  while (panel->Running()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
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

// The longest gap between two ticks of a timer in the window's own event loop. Ticks inside a
// nested local loop do not count: such a loop takes no user input, so to the user the window
// is frozen there however busy its timers are.
class StallMeter {
 public:
  StallMeter() {
    timer_.setInterval(kStallTickMs);
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
  }
  void Start() {
    level_ = QThread::currentThread()->loopLevel();
    clock_.start();
    last_ = 0;
    longest_ = 0;
    timer_.start();
  }
  double StopMs() {
    Tick();
    timer_.stop();
    return longest_ / 1e6;
  }
  bool AtOwnLevel() const { return QThread::currentThread()->loopLevel() <= level_; }

 private:
  void Tick() {
    if (!AtOwnLevel()) return;
    const qint64 now = clock_.nsecsElapsed();
    longest_ = std::max(longest_, now - last_);
    last_ = now;
  }

  QTimer timer_;
  QElapsedTimer clock_;
  int level_ = 0;
  qint64 last_ = 0;
  qint64 longest_ = 0;
};

// Starts an operation from inside an event loop and waits in that same loop (never a local
// one of its own) until done holds or limitMs have passed. Returns the longest stall in ms.
double MeasureStall(const std::function<void()>& start, const std::function<bool()>& done,
                    int limitMs) {
  QEventLoop loop;
  StallMeter meter;
  QElapsedTimer clock;
  QTimer poll;
  poll.setInterval(kStallTickMs);
  double longest = -1;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (!meter.AtOwnLevel() || (!done() && clock.elapsed() < limitMs)) return;
    longest = meter.StopMs();
    poll.stop();
    loop.quit();
  });
  QTimer::singleShot(0, [&] {
    meter.Start();
    clock.start();
    start();
    poll.start();
  });
  loop.exec();
  return longest;
}

// Answers every request with a ticker text, but only after a long wait.
class LateServer : public QObject {
 public:
  bool Listen() {
    connect(&server_, &QTcpServer::newConnection, this, [this] {
      while (QTcpSocket* socket = server_.nextPendingConnection()) {
        socket->setParent(this);
        QTimer::singleShot(kLateAnswerMs, socket, [socket] {
          socket->write(
              "HTTP/1.0 200 OK\r\nContent-Length: 24\r\nConnection: close\r\n\r\n"
              "'Starts here'\r\nLate^\r\n\r\n");
          socket->disconnectFromHost();
        });
      }
    });
    return server_.listen(QHostAddress::LocalHost, 0);
  }
  std::string Host() const { return "127.0.0.1:" + std::to_string(server_.serverPort()); }

 private:
  QTcpServer server_;
};

// A web of one file of the given size, of data that no file system can store as holes.
bool WriteBigWeb(const fs::path& web, std::int64_t megabytes) {
  fs::create_directories(web);
  std::ofstream out(web / "video.mpg", std::ios::binary);
  std::vector<std::uint64_t> block((1 << 20) / sizeof(std::uint64_t));
  std::mt19937_64 random(7);
  for (auto& word : block) word = random();
  for (std::int64_t i = 0; i < megabytes && out; ++i) {
    block[0] = static_cast<std::uint64_t>(i);
    out.write(reinterpret_cast<const char*>(block.data()),
              static_cast<std::streamsize>(block.size() * sizeof block[0]));
  }
  return static_cast<bool>(out);
}

struct StallResult {
  const char* what;
  double ms;
};

// The four stall scenarios, each in one window, as a user meets them.
bool MeasureStalls(const fs::path& work, const QString& programFolder, const QString& web,
                   std::int64_t bigFileMegabytes, std::int64_t treeFiles) {
  std::printf("\npreparing the stall scenarios...\n");
  const fs::path bigWeb = work / "bigweb";
  if (!WriteBigWeb(bigWeb, bigFileMegabytes)) {
    std::fprintf(stderr, "cannot write the big file\n");
    return false;
  }
  tarnwick::WebShape treeShape;
  treeShape.files = treeFiles / 2;  // each with its meta file in _vti_cnf
  treeShape.folders = std::max<std::int64_t>(1, treeFiles / 40);
  treeShape.minSize = 100;
  treeShape.maxSize = 4000;
  const fs::path tree = work / "tree";
  std::string error;
  tarnwick::WebGenerator treeGenerator(treeShape);
  if (!treeGenerator.Generate(tree.string(), &error)) {
    std::fprintf(stderr, "cannot generate the tree: %s\n", error.c_str());
    return false;
  }
  const auto& counts = treeGenerator.Counts();
  const long long treeTotal = counts.keptFiles + counts.mirrorFiles + counts.extensionFiles;
  LateServer late;
  if (!late.Listen()) return false;

  QuietServices services;
  tarnwick::Mainform form(services, programFolder);
  form.Form_Load();
  // The daily ticker check must not fetch in the middle of a measurement.
  form.findChild<QTimer*>("MainTimer")->stop();
  auto* panel = form.findChild<tarnwick::ConvertPanel*>("picConvert");
  auto* compare = form.findChild<tarnwick::ComparePanel*>("picCompare");
  auto* ticker = form.findChild<tarnwick::TickerView*>("picTicker");
  const auto convert = [&](const QString& source, const QString& destination) {
    form.SelectQuickMenuItem(0);
    form.findChild<QComboBox*>("txtConvertFrom")->setEditText(source);
    form.findChild<QLineEdit*>("txtConvertTo")->setText(destination);
    return MeasureStall([&] { form.findChild<QPushButton*>("cmdConvertStart")->click(); },
                        [&] { return !panel->Running(); }, 3600 * 1000);
  };
  const auto settle = [] {
    ::sync();
    std::this_thread::sleep_for(std::chrono::seconds(1));
  };

  std::vector<StallResult> results;
  settle();
  const QString webDest = QString::fromStdString((work / "stall-web").string());
  results.push_back({"conversion of the benchmark web", convert(web, webDest)});
  bool ok = panel->LastResult() && panel->LastResult()->Finished();
  settle();
  const QString bigDest = QString::fromStdString((work / "bigweb-FTP").string());
  char bigWhat[80];
  std::snprintf(bigWhat, sizeof bigWhat, "conversion of a web of one %lld MB file",
                static_cast<long long>(bigFileMegabytes));
  results.push_back({bigWhat, convert(QString::fromStdString(bigWeb.string()), bigDest)});
  ok = ok && panel->LastResult() && panel->LastResult()->Finished();
  settle();

  char treeWhat[80];
  std::snprintf(treeWhat, sizeof treeWhat, "Compare of a tree of %lld files", treeTotal);
  form.findChild<QComboBox*>("txtConvertFrom")->setEditText(QString::fromStdString(tree.string()));
  form.findChild<QLineEdit*>("txtConvertTo")
      ->setText(QString::fromStdString((work / "tree-FTP").string()));
  results.push_back({treeWhat, MeasureStall([&] { form.SelectQuickMenuItem(1); },
                                            [&] { return !compare->Building(); }, 3600 * 1000)});

  ticker->SetTickerHost(late.Host());
  ticker->Download().SetConnectionQuery([] { return true; });
  ticker->MainTimerTick(false);
  auto* update = form.findChild<QPushButton*>("cmdGetNewTicker");
  update->setEnabled(true);
  results.push_back({"ticker fetch from a server that answers after 10 s",
                     MeasureStall([&] { update->click(); },
                                  [&] { return !ticker->Download().Fetching(); }, 20000)});

  std::printf("\nlongest stall of the event loop (target < %.0f ms):\n", kStallTargetMs);
  for (const StallResult& result : results) {
    const bool met = result.ms >= 0 && result.ms < kStallTargetMs;
    ok = ok && met;
    std::printf("  %-52s %9.1f ms %s\n", result.what, result.ms, met ? "met" : "NOT MET");
  }
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);

  tarnwick::WebShape shape;
  QString convert = QStringLiteral(TARNWICK_CONVERT_PATH);
  QString workParent = QString::fromStdString(fs::temp_directory_path().string());
  bool ratio = true;
  bool stalls = true;
  std::int64_t bigFileMegabytes = 2048;
  std::int64_t treeFiles = 100000;
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
    } else if (arg == "--stalls-only") {
      ratio = false;
    } else if (arg == "--no-stalls") {
      stalls = false;
    } else if (arg == "--big-file-mb" && i + 1 < argc) {
      bigFileMegabytes = std::atoll(argv[++i]);
    } else if (arg == "--tree-files" && i + 1 < argc) {
      treeFiles = std::atoll(argv[++i]);
    } else {
      std::fprintf(stderr,
                   "usage: tarnwick-window-bench [--files N] [--folders N] [--work DIR] "
                   "[--convert PATH]\n"
                   "                             [--stalls-only | --no-stalls] [--big-file-mb N] "
                   "[--tree-files N]\n"
                   "  Times %d runs from the window (offscreen) and %d of tarnwick-convert on a "
                   "synthetic web\n  (default 20000 files in 1000 folders), then the longest "
                   "stall of the window's event\n  loop during a conversion of that web, of a "
                   "web of one big file (default 2048 MB),\n  a Compare of a tree (default "
                   "100000 files) and a ticker fetch that is answered late.\n",
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
  // They are what the still empty program folder gives.
  const std::string settingsFile = tarnwick::SettingsFilePath(settings.string());
  tarnwick::SaveOptions(settingsFile, tarnwick::LoadOptions(settingsFile).options);

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
  for (int round = 0; ratio && round < kRounds; ++round) {
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

  bool met = true;
  if (ratio) {
    const double timeRatio = Median(window) / Median(commandLine);
    met = timeRatio <= kRatioTarget;
    std::printf("\nwindow %.3f s, command line %.3f s (medians): ratio %.3f (target <= %.1f) %s\n",
                Median(window), Median(commandLine), timeRatio, kRatioTarget,
                met ? "met" : "NOT MET");
    const double cpuRatio = Median(windowCpu) / Median(commandLineCpu);
    std::printf("cpu time: window %.3f s, command line %.3f s (medians): ratio %.3f\n",
                Median(windowCpu), Median(commandLineCpu), cpuRatio);
    if (!ok) std::printf("a run failed (see above)\n");
  }
  if (stalls && !MeasureStalls(work, programFolder, source, bigFileMegabytes, treeFiles)) {
    ok = false;
  }
  fs::remove_all(work);
  return ok && met ? 0 : 1;
}
