// The logged-data pages at the smallest window size and at a comfortable one.
// Set NESMO_SCREENSHOT_DIR (or NESMO_SHOTS) to keep pictures of them.
#include <gtest/gtest.h>

#include <qcustomplot.h>
#include <QAbstractButton>
#include <QCoreApplication>
#include <QDir>
#include <QMouseEvent>
#include <QTemporaryDir>

#include "logged_data/data_graph_page.h"
#include "logged_data/data_text_page.h"
#include "shell/main_window.h"
#include "support/test_support.h"

namespace nesmo::test {
namespace {

void keepPicture(QWidget* window, const QString& name)
{
    QByteArray dir = qgetenv("NESMO_SCREENSHOT_DIR");
    if (dir.isEmpty()) dir = qgetenv("NESMO_SHOTS");
    if (dir.isEmpty()) return;
    QDir().mkpath(QString::fromLocal8Bit(dir));
    window->grab().save(QString::fromLocal8Bit(dir) + '/' + name);
}

// Every button of the widget shows its whole caption and lies inside the widget.
void expectButtonsFit(QWidget* area)
{
    for (QAbstractButton* b : area->findChildren<QAbstractButton*>()) {
        if (!b->isVisibleTo(area) || b->objectName().isEmpty()) continue;
        EXPECT_GE(b->width(), b->sizeHint().width()) << b->objectName().toStdString();
        const QRect r(b->mapTo(area, QPoint()), b->size());
        EXPECT_TRUE(area->rect().contains(r)) << b->objectName().toStdString();
    }
}

TEST(LoggedDataLook, TagPanelTextAndGraph)
{
    // The sample with its alarm on, to see the alarm line.
    const QByteArray tag =
        readFile(QStringLiteral(NESMO_TEST_DATA "/samples/dump-tag9.scratch.txt"))
            .replace("\"OFF\"", "\"INSTANT\"")
            .replace("\"ALARM_LEVEL\", 0.000", "\"ALARM_LEVEL\", 5.000");
    for (const QSize size : {QSize(600, 460), QSize(900, 700)}) {
        QTemporaryDir dir;
        AppState state;
        ScriptedDialogs dialogs;
        MainWindow window(state, dialogs, dir.filePath("NesmoComm.INI"), {});
        window.resize(size);
        window.show();
        waitUntil([&] { return window.isVisible(); });
        QCoreApplication::processEvents();  // the first showing's own work
        QCoreApplication::processEvents();
        const QString suffix = QStringLiteral("-%1x%2.png").arg(size.width()).arg(size.height());

        // The tag panel over the text.
        DataTextPage* text = window.dataTextPage();
        window.ViewTextExecute();
        text->setTextBytes(tag);
        text->TagListBox()->addItems(
            {" 1    100", " 2      0", " 3      1", " 4   3000", " 9      6", "12   65535"});
        text->TagListBox()->setCurrentRow(4);
        text->showTagSelectPanel();
        QCoreApplication::processEvents();
        QWidget* panel = text->TagSelectPanel();
        expectButtonsFit(panel);
        const QRect area(text->RichEdit1()->mapTo(text, QPoint()), text->RichEdit1()->size());
        EXPECT_TRUE(area.contains(panel->geometry())) << size.width();
        for (const char* b : {"FileNewToolButton", "FileOpenToolButton", "FileSaveToolButton",
                              "FilePrintToolButton", "EditCopyToolButton", "TextFontToolButton",
                              "TextSizeToolButton", "TerminalVisibleToolButton"})
            EXPECT_TRUE(text->toolButton(b)->isVisible()) << b;
        keepPicture(&window, QStringLiteral("tag-panel") + suffix);
        panel->hide();
        keepPicture(&window, QStringLiteral("data-text") + suffix);

        // The graph of the tag, whole and zoomed.
        window.dataGraphPage()->markStale();
        window.ViewGraphExecute();
        QCoreApplication::processEvents();
        DataGraphPage* graph = window.dataGraphPage();
        EXPECT_EQ(graph->series(SeriesData)->data()->size(), 6);
        for (const char* b : {"ToolButton2", "ToolButtonData", "ToolButtonStep"})
            EXPECT_TRUE(graph->toolButton(b)->isVisible()) << b;
        // The title fits on its single line.
        EXPECT_LE(QFontMetrics(graph->title()->font()).horizontalAdvance(graph->title()->text()),
                  graph->Chart2()->width())
            << size.width();
        keepPicture(&window, QStringLiteral("graph") + suffix);
        QCPAxis* x = graph->Chart2()->xAxis;
        x->setRange(x->range().center(), x->range().size() / 3, Qt::AlignCenter);
        graph->Chart2()->yAxis->setRange(0, 40);
        graph->Chart2()->replot();
        keepPicture(&window, QStringLiteral("graph-zoomed") + suffix);

        // The whole tag, the mouse on its highest record: the read-out shows whole,
        // the alarm label lies in the plot.
        graph->showWholeTag();
        QCoreApplication::processEvents();  // its queued replot
        QCustomPlot* chart = graph->Chart2();
        const QPointF at(
            std::round(chart->xAxis->coordToPixel(graph->series(SeriesData)->data()->at(4)->key)),
            chart->axisRect()->rect().center().y());
        QMouseEvent move(QEvent::MouseMove, at, chart->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(chart, &move);
        QLabel* readout = graph->readout();
        EXPECT_TRUE(readout->text().contains(QStringLiteral("Concentration 12")));
        EXPECT_LE(readout->fontMetrics().horizontalAdvance(readout->text()), readout->width());
        for (QCPItemAnchor* c : {graph->alarmLabel()->topLeft, graph->alarmLabel()->bottomRight})
            EXPECT_TRUE(chart->axisRect()->rect().contains(c->pixelPosition().toPoint()));
        EXPECT_TRUE(unreadableControls(graph).isEmpty());
        keepPicture(&window, QStringLiteral("graph-alarm-readout") + suffix);
        // Four axes still leave most of the chart's width to the plot.
        window.action("GraphSeparateAxes")->setChecked(true);
        EXPECT_GT(chart->axisRect()->width(), chart->width() / 2) << size.width();
        keepPicture(&window, QStringLiteral("graph-separate-axes") + suffix);

        EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join('|').toStdString();
    }
}

}  // namespace
}  // namespace nesmo::test
