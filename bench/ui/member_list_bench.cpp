// Fills a member list like the window's from a worker thread through the batch insert, keeping
// the newest row in view, and reports the rows per second, the resident memory per row and the
// longest stall of the window's event loop.
//
//   member_list_bench [--rows N] [--batch N]      (defaults: 1000000 rows, 1000 per batch)

#include "app/window/main_window_template.h"
#include "ui/fonts.h"
#include "ui/report_list_view.h"

#include "qt_bench_support.h"

#include <QApplication>
#include <QElapsedTimer>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <thread>

namespace {

long ResidentBytes() {
    long pages = 0;
    long resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return resident * sysconf(_SC_PAGESIZE);
}

// A member row as a run produces it: number, nickname, user ID and home link.
zelvor::ReportRow MemberRow(int number) {
    return zelvor::ReportRow({QString::number(number), QStringLiteral("贴吧用户_%1").arg(number),
                              QString::number(1'000'000'000LL + number),
                              QStringLiteral("https://tieba.example/home/main?id=tb.1.%1.c0ffee")
                                  .arg(number, 8, 16, QLatin1Char('0'))});
}

}  // namespace

int main(int argc, char** argv) {
    zelvor::bench::UseOffscreenUnlessSet();
    QApplication app(argc, argv);
    const int rows =
        zelvor::bench::Argument(QApplication::arguments(), QStringLiteral("--rows"), 1'000'000);
    const int batch = std::max(
        1, zelvor::bench::Argument(QApplication::arguments(), QStringLiteral("--batch"), 1000));

    zelvor::ReportListView list(zelvor::ListColumns(u"超级列表框_用户名"), false);
    list.setFont(zelvor::YaHeiFont(12, QFont::Normal));
    list.resize(685, 442);
    list.show();
    QApplication::processEvents();
    const long residentBefore = ResidentBytes();

    zelvor::bench::StallProbe probe;
    probe.Start();

    QElapsedTimer clock;
    clock.start();
    std::thread worker([&] {
        for (int first = 0; first < rows; first += batch) {
            std::vector<zelvor::ReportRow> rowsOfBatch;
            const int count = std::min(batch, rows - first);
            rowsOfBatch.reserve(static_cast<size_t>(count));
            for (int i = 0; i < count; ++i) {
                rowsOfBatch.push_back(MemberRow(first + i + 1));
            }
            list.InsertRows(std::move(rowsOfBatch));
            list.EnsureRowVisible(first + count - 1);
        }
        QMetaObject::invokeMethod(&app, &QCoreApplication::quit, Qt::QueuedConnection);
    });
    QApplication::exec();
    worker.join();
    const double seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
    const long residentAfter = ResidentBytes();

    std::printf("rows: %d in batches of %d\n", list.RowCount(), batch);
    std::printf("rows per second: %.0f (%.2f s)\n", rows / seconds, seconds);
    std::printf("resident memory per row: %.1f bytes\n",
                static_cast<double>(residentAfter - residentBefore) / rows);
    std::printf("longest event-loop stall: %.1f ms\n", probe.LongestMs());
    return 0;
}
