// The logged-data pages with a whole 65,535-record tag: the end of its download
// (the capture replacing the page's text), opening it from a file, building the
// graph from the text, and the program's peak memory with all of it in hand.
//
//   bench_logged_data [records] [repetitions]
//
// The tag is downloaded once from nesmo7-sim over TCP and saved with Save As; the
// figures are the medians of the repetitions, each with its repaint.

#include <qcustomplot.h>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFont>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "bench_common.h"
#include "bench_dialogs.h"
#include "core/dialogs.h"
#include "logged_data/data_graph_page.h"
#include "logged_data/data_text_page.h"
#include "shell/main_page.h"
#include "shell/main_window.h"
#include "shell/window_view.h"

namespace {

// Runs the work, then lets the window paint what it changed.
template <typename Work>
double timed(nesmo::MainWindow& w, Work work)
{
    QElapsedTimer t;
    t.start();
    work();
    w.repaint();
    QCoreApplication::processEvents();
    return static_cast<double>(t.nsecsElapsed()) / 1e6;
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int records = argc > 1 ? std::atoi(argv[1]) : 65535;
    const int repetitions = argc > 2 ? std::atoi(argv[2]) : 5;
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    nesmo::bench::AnsweringDialogs dialogs;

    QProcess sim;
    sim.start(QStringLiteral(NESMO_SIM_PATH),
              {"--tcp", "0", "--tag", QStringLiteral("20:%1:10").arg(records)});
    sim.waitForStarted();
    QString ready;
    while (sim.waitForReadyRead(5000)) {
        ready = QString::fromLocal8Bit(sim.readLine()).trimmed();
        if (ready.startsWith(QLatin1String("ready"))) break;
    }
    const quint16 port = static_cast<quint16>(ready.section(' ', 2, 2).toUInt());

    nesmo::AppState state;
    nesmo::MainWindow w(state, dialogs, dir.filePath("a.ini"), {"x", "net"});
    w.resize(1000, 700);
    w.mainPage()->NetPort()->setText(QString::number(port));
    w.mainPage()->NetworkBoxExit();
    w.show();
    QCoreApplication::processEvents();

    // The download, once: its text is what the figures below work on.
    w.link().SendCommand("tagdump 20 \r");
    while (state.Downloading)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    const QByteArray captured = w.dataTextPage()->textBytes();
    dialogs.path = dir.filePath("tag20.txt");
    w.action("FileSaveAs")->trigger();
    std::printf("tag of %d records: %.2f MB of text, %lld lines\n", records,
                captured.size() / (1024.0 * 1024.0), static_cast<long long>(captured.count('\n')));

    std::vector<double> endDownload;
    std::vector<double> open;
    std::vector<double> graph;
    for (int i = 0; i < repetitions; ++i) {
        w.ViewTextExecute();
        w.dataTextPage()->RichEdit1()->clear();
        endDownload.push_back(timed(w, [&] { w.view().setDataText(captured); }));
        w.dataTextPage()->RichEdit1()->clear();
        open.push_back(timed(w, [&] { w.action("FileOpen")->trigger(); }));
        w.dataGraphPage()->markStale();
        graph.push_back(timed(w, [&] { w.ViewGraphExecute(); }));
    }
    {
        QElapsedTimer t;
        t.start();
        const QString text = w.dataTextPage()->pageText();
        const double a = t.nsecsElapsed() / 1e6;
        const QByteArray bytes = text.toLatin1();
        const double b = t.nsecsElapsed() / 1e6;
        const nesmo::GraphData g = nesmo::buildGraphData(bytes, nesmo::GraphOptions(), 0);
        const double c = t.nsecsElapsed() / 1e6;
        w.dataGraphPage()->Chart2()->replot();
        const double d = t.nsecsElapsed() / 1e6;
        std::printf("breakdown: text %.1f, latin1 %.1f, data %.1f, replot %.1f ms\n", a, b - a,
                    c - b, d - c);
    }
    const int points = w.dataGraphPage()->series(nesmo::SeriesData)->data()->size();
    std::printf("graph points per series: %d\n", points);

    bool ok = true;
    ok &= nesmo::bench::summaryAtMost("end of download, text replaced (median)",
                                      nesmo::bench::median(endDownload), "ms", 500);
    ok &= nesmo::bench::summaryAtMost("open the tag file (median)", nesmo::bench::median(open),
                                      "ms", 500);
    ok &= nesmo::bench::summaryAtMost("graph build, text to drawn chart (median)",
                                      nesmo::bench::median(graph), "ms", 150);
    ok &= nesmo::bench::summaryAtMost("peak resident memory", nesmo::bench::peakRssKb() / 1024.0,
                                      "MB", 200);
    sim.kill();
    sim.waitForFinished();
    return ok && points == records ? 0 : 2;
}
