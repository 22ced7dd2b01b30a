// Runs a whole collection through the window's commands against the fake forum and reports the
// members per second, the longest stall of the window's event loop and the peak memory.
//
//   window_run_bench [--members N] [--forums N] [--concurrency N] [--no-ids]
//   (defaults: 100000 members over 10 forums, 4 requests at once, user IDs collected)

#include "app/window/main_window.h"
#include "app/window/window_commands.h"
#include "fake_forum.h"
#include "qt_bench_support.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <sys/resource.h>
#include <time.h>

#include <algorithm>
#include <cstdio>

namespace {

double ThreadCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

long PeakResidentKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

}  // namespace

int main(int argc, char** argv) {
    zelvor::bench::UseOffscreenUnlessSet();
    QApplication app(argc, argv);
    const QStringList arguments = QApplication::arguments();
    const int members =
        std::max(1, zelvor::bench::Argument(arguments, QStringLiteral("--members"), 100'000));
    const int forums =
        std::max(1, zelvor::bench::Argument(arguments, QStringLiteral("--forums"), 10));
    const bool ids = !arguments.contains(QStringLiteral("--no-ids"));

    zelvor::fake_forum::FakeForumConfig config;
    QStringList names;
    for (int i = 0; i < forums; ++i) {
        names.append(QStringLiteral("测速吧%1").arg(i + 1));
        config.forums[names.back().toStdString()] = members / forums;
    }
    zelvor::fake_forum::FakeForum forum(config);
    forum.Start();

    QTemporaryDir folder;
    zelvor::CommandSettings settings;
    settings.collect.site.root = forum.Url();
    settings.collect.pauseMin = settings.collect.pauseMax = std::chrono::milliseconds(0);
    settings.collect.concurrency =
        std::max(1, zelvor::bench::Argument(arguments, QStringLiteral("--concurrency"), 4));
    settings.saveFolder = folder.filePath(QStringLiteral("out"));
    zelvor::MainWindow window;
    auto owned = std::make_unique<zelvor::WindowCommands>(window, settings);
    zelvor::WindowCommands* commands = owned.get();
    window.SetActions(std::move(owned));
    window.Open();
    window.findChild<QCheckBox*>(QStringLiteral("选择框_采集全部"))->setChecked(true);
    window.findChild<QCheckBox*>(QStringLiteral("选择框_采集ID"))->setChecked(ids);
    window.findChild<QCheckBox*>(QStringLiteral("选择框_实时保存"))->setChecked(true);

    QFile list(folder.filePath(QStringLiteral("forums.txt")));
    if (!list.open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "无法写入临时文件\n");
        return 1;
    }
    list.write(names.join(QStringLiteral("\r\n")).toUtf8().prepend("\xEF\xBB\xBF"));
    list.close();
    commands->AddDroppedForumFiles(list.fileName());
    while (commands->Importing()) {
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }

    zelvor::bench::StallProbe probe;
    QElapsedTimer clock;
    clock.start();
    const double windowCpuBefore = ThreadCpuSeconds();
    commands->StartCollection();
    probe.Start();
    while (commands->Running()) {
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    const double seconds = static_cast<double>(clock.elapsed()) / 1000.0;
    const double windowCpu = ThreadCpuSeconds() - windowCpuBefore;
    const int listed = window.超级列表框_用户名()->RowCount();
    std::printf(
        "members %d  seconds %.1f  members/s %.0f  ids %s  longest stall %.1f ms  "
        "window thread CPU %.2f s  peak memory %.0f MB\n",
        listed, seconds, listed / seconds, ids ? "on" : "off", probe.LongestMs(), windowCpu,
        static_cast<double>(PeakResidentKilobytes()) / 1024.0);
    return listed == members / forums * forums ? 0 : 1;
}
