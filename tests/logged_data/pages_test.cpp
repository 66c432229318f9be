#include <gtest/gtest.h>

#include <qcustomplot.h>
#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFocusEvent>
#include <QImage>
#include <QMouseEvent>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <clocale>
#include <cmath>
#include <string>

#include "files/csv_export.h"
#include "logged_data/data_file_commands.h"
#include "logged_data/data_graph_page.h"
#include "logged_data/data_text_page.h"
#include "logged_data/exposure_report.h"
#include "logged_data/exposure_window.h"
#include "logged_data/tag_directory.h"
#include "shell/main_page.h"
#include "shell/main_window.h"
#include "support/test_support.h"

namespace nesmo::test {
namespace {

// The main window without an instrument: the port is not set, so every command
// to the instrument returns at once.
struct PageRig {
    PageRig()
    {
        window = std::make_unique<MainWindow>(state, dialogs, dir.filePath("NesmoComm.INI"),
                                              QStringList{});
        window->show();
        waitUntil([&] { return window->isVisible(); });
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        dialogs.messages.clear();
        dialogs.errors.clear();
    }
    DataTextPage* text() const { return window->dataTextPage(); }
    DataGraphPage* graph() const { return window->dataGraphPage(); }
    DataFileCommands* files() const { return window->fileCommands(); }
    QString file(const char* name, const QByteArray& bytes)
    {
        const QString path = dir.filePath(QString::fromLatin1(name));
        writeFile(path, bytes);
        return path;
    }
    // Opens a file through the open command, the way the operator does.
    void open(const QString& path)
    {
        dialogs.openAnswer = path;
        window->action("FileOpen")->trigger();
    }
    void showGraph() { window->ViewGraphExecute(); }
    QString keyTime(int series, int i)
    {
        const QCPGraph* g = graph()->series(static_cast<GraphSeries>(series));
        const double key = (g->data()->begin() + i)->key;
        return QDateTime::fromMSecsSinceEpoch(std::llround(key * 1000), Qt::UTC)
            .toString(QStringLiteral("dd-MM-yyyy hh:mm:ss"));
    }
    int points(int series) const
    {
        return graph()->series(static_cast<GraphSeries>(series))->data()->size();
    }

    QTemporaryDir dir;
    AppState state;
    ScriptedDialogs dialogs;
    std::unique_ptr<MainWindow> window;
};

QByteArray tag(const QByteArray& period, const QList<double>& concentrations,
               const QByteArray& tagLine = "\"Tag Number  \", 12\n")
{
    QByteArray t = "\"Model Number\", \"Nesmo-7   \"\n\"Serial no.\", \"20871\"\n" + tagLine +
                   "\"Number      \", " + QByteArray::number(concentrations.size()) +
                   "\n\"Log Period  \", " + period +
                   "\n\"Start Time  \", 10:00:00\n\"Start Date  \", 15-Mar-2005\n"
                   "\"CalFactor\", 1.000\n\"Unit    \", 2\n\"Unit Name\", \"mg/m3\"\n"
                   "\"TEMPUNITS\", C\n\"ALARM  \", \"OFF\"\n\"ALARM_LEVEL\", 0.000\n\"Errors\", 0\n"
                   "record, concentration, temperature, RH, pressure\n";
    int n = 0;
    for (const double c : concentrations)
        t += QString::asprintf("%5i, %10.2f, %5.1f, %4i, %5.0f ,  10:00:00,  15-Mar-2005 \n", ++n,
                               c, 21.5, 40, 760.0)
                 .toLatin1();
    return t;
}

// The tag with its alarm set so.
QByteArray withAlarm(QByteArray tag, const QByteArray& setting, const QByteArray& level)
{
    tag.replace("\"ALARM  \", \"OFF\"", "\"ALARM  \", \"" + setting + '"');
    return tag.replace("\"ALARM_LEVEL\", 0.000", "\"ALARM_LEVEL\", " + level);
}

// Numbers in this locale while it lives: Qt's, and with `cLibrary` the C
// library's too (printf and strtod follow it).
struct LocaleScope {
    explicit LocaleScope(const char* name, bool cLibrary = false)
        : cBefore(std::setlocale(LC_ALL, nullptr))
    {
        QLocale::setDefault(QLocale(QString::fromLatin1(name)));
        if (!cLibrary) return;
        const bool set = std::setlocale(LC_ALL, (std::string(name) + ".UTF-8").c_str());
        EXPECT_TRUE(set) << name << ".UTF-8 is not generated: run scripts/install-deps.sh";
    }
    ~LocaleScope()
    {
        QLocale::setDefault(before);
        std::setlocale(LC_ALL, cBefore.c_str());
    }
    QLocale before;
    std::string cBefore;
};

// The mouse moved to the pixel of a record's time (or a share of the way to the
// next), halfway up the plot.
void moveToRecord(DataGraphPage* graph, int record, double towardsNext = 0)
{
    QCustomPlot* chart = graph->Chart2();
    const auto key = [&](int i) { return (graph->series(SeriesData)->data()->begin() + i)->key; };
    const double k =
        key(record) + (towardsNext == 0 ? 0 : towardsNext * (key(record + 1) - key(record)));
    const QPointF at(std::round(chart->xAxis->coordToPixel(k)),
                     chart->axisRect()->rect().center().y());
    QMouseEvent move(QEvent::MouseMove, at, chart->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(chart, &move);
}

QString accessibleName(QWidget* w)
{
    return QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name);
}

QString pdfText(const QString& path)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    p.waitForFinished(20000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

QString pdfInfo(const QString& path)
{
    QProcess p;
    p.start(QStringLiteral("pdfinfo"), {path});
    p.waitForFinished(20000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

bool landscape(const QString& info)
{
    // "Page size:      841.92 x 595.2 pts (A4)"
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("Page size:\\s+([\\d.]+) x ([\\d.]+)")).match(info);
    return m.hasMatch() && m.captured(1).toDouble() > m.captured(2).toDouble();
}

TEST(DataTextPage, OpenAndSaveAs)
{
    PageRig rig;
    EXPECT_EQ(rig.text()->statusPanel(0), QStringLiteral("No file loaded"));

    // Before anything was loaded Save As proposes "Untitled.csv" in the working folder.
    rig.window->action("FileSaveAs")->trigger();
    ASSERT_EQ(rig.dialogs.saveDialogs.size(), 1);
    EXPECT_EQ(rig.dialogs.saveDialogs[0].fileName, QStringLiteral("Untitled.csv"));
    EXPECT_TRUE(rig.dialogs.saveDialogs[0].directory.isEmpty());
    EXPECT_EQ(rig.dialogs.saveDialogs[0].filters,
              (QStringList{"text file (*.txt)", "CSV file (*.csv)", "All files (*)"}));
    EXPECT_EQ(rig.dialogs.saveDialogs[0].defaultSuffix, QStringLiteral("txt"));

    // A file with mixed line ends opens as lines.
    const QString in = rig.file("site4.csv", "note one\r\nnote two\rnote three\nlast");
    rig.open(in);
    ASSERT_EQ(rig.dialogs.openDialogs.size(), 1);
    EXPECT_EQ(rig.dialogs.openDialogs[0].title, QStringLiteral("Open File"));
    EXPECT_EQ(rig.window->PageControl()->currentIndex(), 1);
    EXPECT_EQ(rig.text()->RichEdit1()->toPlainText(),
              QStringLiteral("note one\nnote two\nnote three\nlast"));
    EXPECT_EQ(rig.state.CurrentFileName, in);
    EXPECT_EQ(rig.text()->statusPanel(0), QStringLiteral("site4.csv"));
    EXPECT_TRUE(rig.graph()->isStale());

    // A long file goes into the view in blocks of lines; its lines read back,
    // copy and show as they were, the last one ended or not.
    QByteArray many;
    QString expected;
    for (int i = 1; i <= 40; ++i) {
        many += "line " + QByteArray::number(i) + (i % 3 == 0 ? "\r" : i % 3 == 1 ? "\r\n" : "\n");
        expected += QStringLiteral("line %1\n").arg(i);
    }
    for (const bool ended : {true, false}) {
        const QByteArray bytes = ended ? many + "\xa0" : many.chopped(2);
        const QString want = ended ? expected + QChar(0xA0) : expected.chopped(1);
        rig.open(rig.file("many.txt", bytes));
        EXPECT_EQ(rig.text()->pageText(), want);
        EXPECT_EQ(rig.text()->RichEdit1()->toPlainText(), QString(want).replace(QChar(0xA0), u' '));
        EXPECT_LT(rig.text()->RichEdit1()->blockCount(), 40);
        rig.text()->RichEdit1()->selectAll();
        rig.text()->RichEdit1()->copy();
        EXPECT_EQ(QApplication::clipboard()->text(), QString(want).replace(QChar(0xA0), u' '));
    }
    rig.open(in);

    // Save As proposes the open file in its folder and writes CR LF line ends.
    const QString out = rig.dir.filePath("saved.txt");
    rig.dialogs.saveAnswer = out;
    rig.window->action("FileSaveAs")->trigger();
    EXPECT_EQ(rig.dialogs.saveDialogs[1].fileName, in);
    EXPECT_EQ(rig.dialogs.saveDialogs[1].directory, rig.dir.path());
    EXPECT_EQ(readFile(out), QByteArray("note one\r\nnote two\r\nnote three\r\nlast\r\n"));
    EXPECT_EQ(rig.state.CurrentFileName, out);
    EXPECT_EQ(rig.text()->statusPanel(0), QStringLiteral("saved.txt"));
    EXPECT_TRUE(rig.dialogs.messages.isEmpty());

    // Every byte of an 8-bit file comes back as it was.
    QByteArray all;
    for (int b = 1; b < 256; ++b)
        if (b != '\r' && b != '\n') all += static_cast<char>(b);
    rig.open(rig.file("bytes.txt", all + "\r\n"));
    rig.window->action("FileSaveAs")->trigger();
    EXPECT_EQ(readFile(out), all + "\r\n");

    // A note typed with Enter and with Shift+Enter: two line ends in the file.
    QPlainTextEdit* edit = rig.text()->RichEdit1();
    edit->setPlainText(QString());
    edit->setFocus();
    QTest::keyClicks(edit, QStringLiteral("Site A"));
    QTest::keyClick(edit, Qt::Key_Return, Qt::ShiftModifier);
    QTest::keyClicks(edit, QStringLiteral("filter changed"));
    QTest::keyClick(edit, Qt::Key_Return);
    QTest::keyClicks(edit, QStringLiteral("end"));
    rig.window->action("FileSaveAs")->trigger();
    EXPECT_EQ(readFile(out), QByteArray("Site A\r\nfilter changed\r\nend\r\n"));
}

TEST(DataTextPage, ExportAsCsvWritesTheRecordsAndTheHeaderValues)
{
    PageRig rig;
    // Text that is no tag is refused before any dialog.
    rig.open(rig.file("notes.txt", "just a note\r\n"));
    rig.window->action("FileExportCsv")->trigger();
    EXPECT_TRUE(rig.dialogs.saveDialogs.isEmpty());
    ASSERT_EQ(rig.dialogs.messages.size(), 1);
    EXPECT_TRUE(rig.dialogs.messages[0].startsWith("The text cannot be exported as CSV"));

    const QByteArray tag =
        readFile(QStringLiteral(NESMO_TEST_DATA "/samples/dump-tag9.scratch.txt"));
    const QString in = rig.file("UNT00009.txt", tag);
    rig.open(in);
    const QString out = rig.dir.filePath("exported.csv");
    rig.dialogs.saveAnswer = out;
    rig.window->action("FileExportCsv")->trigger();
    ASSERT_EQ(rig.dialogs.saveDialogs.size(), 1);
    EXPECT_EQ(rig.dialogs.saveDialogs[0].fileName, QStringLiteral("UNT00009.csv"));
    EXPECT_EQ(rig.dialogs.saveDialogs[0].directory, rig.dir.path());
    EXPECT_EQ(rig.dialogs.saveDialogs[0].defaultSuffix, QStringLiteral("csv"));
    const CsvExport expected = exportCsv(tag);
    EXPECT_EQ(readFile(out), expected.records);
    EXPECT_EQ(readFile(rig.dir.filePath("exported.header.csv")), expected.header);
    EXPECT_EQ(rig.state.CurrentFileName, in);  // the page's file stays what it was
    EXPECT_EQ(rig.dialogs.messages.size(), 1);

    // A folder that does not exist is said.
    rig.dialogs.saveAnswer = rig.dir.filePath("no-such-folder/x.csv");
    rig.window->action("FileExportCsv")->trigger();
    ASSERT_EQ(rig.dialogs.messages.size(), 2);
    EXPECT_TRUE(rig.dialogs.messages[1].startsWith(
        "The file " + rig.dir.filePath("no-such-folder/x.csv") + " could not be written"));
}

TEST(DataTextPage, FilesThatFailChangeNothing)
{
    PageRig rig;
    const QString good = rig.file("good.txt", "kept text\r\n");
    rig.open(good);
    const QString before = rig.text()->RichEdit1()->toPlainText();

    const auto unchanged = [&] {
        EXPECT_EQ(rig.text()->RichEdit1()->toPlainText(), before);
        EXPECT_EQ(rig.state.CurrentFileName, good);
        EXPECT_EQ(rig.text()->statusPanel(0), QStringLiteral("good.txt"));
    };

    // While a download runs, files are neither opened nor saved: the dump would
    // replace what was opened, and only part of it is there to save.
    rig.state.Downloading = true;
    rig.open(rig.file("other.txt", "other\r\n"));
    rig.window->action("FileSaveAs")->trigger();
    rig.state.Downloading = false;
    EXPECT_EQ(rig.dialogs.openDialogs.size(), 1);
    EXPECT_TRUE(rig.dialogs.saveDialogs.isEmpty());
    ASSERT_EQ(rig.dialogs.messages.size(), 2);
    EXPECT_TRUE(rig.dialogs.messages[0].startsWith("A download from the instrument is still"));
    unchanged();
    rig.dialogs.messages.clear();

    rig.open(rig.dir.filePath("no-such-file.txt"));
    ASSERT_EQ(rig.dialogs.messages.size(), 1);
    EXPECT_TRUE(rig.dialogs.messages[0].contains(QStringLiteral("could not be opened")));
    EXPECT_TRUE(rig.dialogs.messages[0].contains(QStringLiteral("No such file")));
    unchanged();

    rig.open(rig.dir.path());
    EXPECT_EQ(rig.dialogs.messages.size(), 2);
    unchanged();

    // Far beyond any tag: refused before a byte is shown.
    const QString huge = rig.dir.filePath("huge.txt");
    {
        QFile f(huge);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.resize(DataTextPage::kTextLimit + 1));
    }
    rig.open(huge);
    ASSERT_EQ(rig.dialogs.messages.size(), 3);
    EXPECT_TRUE(rig.dialogs.messages[2].contains(QStringLiteral("It was not opened")));
    unchanged();

    // A save that cannot be written (a folder that is a file) keeps the name and says why.
    rig.dialogs.saveAnswer = good + QStringLiteral("/under-a-file.txt");
    rig.window->action("FileSaveAs")->trigger();
    ASSERT_EQ(rig.dialogs.messages.size(), 4);
    EXPECT_TRUE(rig.dialogs.messages[3].contains(QStringLiteral("could not be saved")));
    unchanged();
    EXPECT_EQ(readFile(good), QByteArray("kept text\r\n"));
}

TEST(DataTextPage, CopySelectAllAndPrintFollowTheActivePage)
{
    PageRig rig;
    QPlainTextEdit* edit = rig.text()->RichEdit1();
    rig.window->ViewTextExecute();
    edit->setPlainText(QStringLiteral("first line\nsecond line"));
    QClipboard* clipboard = QApplication::clipboard();

    clipboard->setText(QStringLiteral("before"));
    rig.window->action("EditCopy")->trigger();
    EXPECT_EQ(clipboard->text(), QStringLiteral("first line\nsecond line"));
    EXPECT_FALSE(edit->textCursor().hasSelection());

    QTextCursor c = edit->textCursor();
    c.setPosition(6);
    c.setPosition(10, QTextCursor::KeepAnchor);
    edit->setTextCursor(c);
    rig.window->action("EditCopy")->trigger();
    EXPECT_EQ(clipboard->text(), QStringLiteral("line"));

    // On the Main, configuration and site list pages they do nothing.
    for (const int page : {0, 3, 4}) {
        rig.window->PageControl()->setCurrentIndex(page);
        edit->setTextCursor(QTextCursor(edit->document()));
        clipboard->setText(QStringLiteral("untouched"));
        rig.window->action("EditCopy")->trigger();
        rig.window->action("EditSelectAll")->trigger();
        rig.window->action("FilePrint")->trigger();
        EXPECT_EQ(clipboard->text(), QStringLiteral("untouched")) << page;
        EXPECT_FALSE(edit->textCursor().hasSelection()) << page;
        EXPECT_EQ(rig.dialogs.printDialogs, 0) << page;
    }
    rig.dialogs.messages.clear();

    rig.window->ViewTextExecute();
    rig.window->action("TextSelectAll")->trigger();
    EXPECT_EQ(edit->textCursor().selectedText().size(), edit->toPlainText().size());

    // Ctrl+C typed in the text: the selection, or the whole text when nothing is selected.
    rig.window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(rig.window.get()));
    edit->setFocus();
    edit->setTextCursor(c);
    QTest::keyClick(edit, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(clipboard->text(), QStringLiteral("line"));
    edit->setTextCursor(QTextCursor(edit->document()));
    QTest::keyClick(edit, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(clipboard->text(), QStringLiteral("first line\nsecond line"));
}

TEST(DataTextPage, NotesHintOnlyOnceAndNotAfterConnecting)
{
    {
        PageRig rig;
        QFocusEvent focus(QEvent::FocusIn);
        QCoreApplication::sendEvent(rig.text()->RichEdit1(), &focus);
        EXPECT_TRUE(rig.dialogs.messages.isEmpty());  // shown once the focus change is done
        QCoreApplication::processEvents();
        QCoreApplication::sendEvent(rig.text()->RichEdit1(), &focus);
        QCoreApplication::processEvents();
        EXPECT_EQ(rig.dialogs.messages,
                  QStringList{"If you add notes to the file, make sure they are before the data "
                              "block"});
    }
    {
        PageRig rig;
        rig.window->mainPage()->SerialConnectClick();  // no port chosen: cancelled
        rig.dialogs.messages.clear();
        QFocusEvent focus(QEvent::FocusIn);
        QCoreApplication::sendEvent(rig.text()->RichEdit1(), &focus);
        QCoreApplication::processEvents();
        EXPECT_TRUE(rig.dialogs.messages.isEmpty());
    }
}

TEST(DataTextPage, FontAndSize)
{
    PageRig rig;
    QPlainTextEdit* edit = rig.text()->RichEdit1();
    EXPECT_EQ(edit->font().family(), QStringLiteral("Courier New"));
    EXPECT_EQ(edit->font().pointSize(), 10);
    edit->setPlainText(QStringLiteral("abc def"));
    rig.text()->toolButton("TextSizeToolButton")->click();
    EXPECT_EQ(edit->font().pointSize(), 11);

    QTextCursor c = edit->textCursor();
    c.setPosition(0);
    c.setPosition(3, QTextCursor::KeepAnchor);
    edit->setTextCursor(c);
    rig.text()->toolButton("TextSizeToolButton")->click();
    EXPECT_EQ(edit->textCursor().charFormat().fontPointSize(), 12);
    EXPECT_EQ(edit->font().pointSize(), 11);  // the rest keeps its size

    QFont chosen(QStringLiteral("Liberation Sans"), 14);
    rig.dialogs.fontAnswer = chosen;
    c.clearSelection();
    edit->setTextCursor(c);
    rig.window->action("TextFont")->trigger();
    EXPECT_EQ(edit->font().pointSize(), 14);
    EXPECT_FALSE(edit->textCursor().hasSelection());
    EXPECT_EQ(rig.dialogs.fontDialogs.size(), 1);
}

TEST(DataTextPage, TagPanelWithoutAnInstrument)
{
    PageRig rig;
    rig.window->ViewTextExecute();
    DataTextPage* page = rig.text();
    page->TagListBox()->addItems({" 1", " 7     40"});
    page->showTagSelectPanel();
    EXPECT_TRUE(page->TagSelectPanel()->isVisible());
    EXPECT_TRUE(page->TagDeleteBitButton()->isEnabled());

    // Load with nothing selected asks for a selection and keeps the panel.
    page->TagLoadBitButton()->click();
    EXPECT_EQ(rig.dialogs.messages, QStringList{"Select a tag or press 'Esc'"});
    EXPECT_TRUE(page->TagSelectPanel()->isVisible());

    QTest::keyClick(page->TagListBox(), Qt::Key_Escape);
    EXPECT_FALSE(page->TagSelectPanel()->isVisible());
    page->showTagSelectPanel();
    page->CheckBoxAllData()->setChecked(true);
    page->CancelData()->click();
    EXPECT_FALSE(page->TagSelectPanel()->isVisible());

    // The listing without a port: nothing is shown, the check box is cleared.
    page->CheckBoxAllData()->setChecked(true);
    rig.window->action("FileNew")->trigger();
    EXPECT_FALSE(page->TagSelectPanel()->isVisible());
    EXPECT_FALSE(page->CheckBoxAllData()->isChecked());
}

TEST(DataGraphPage, EachValueIsALevelOverTheIntervalThatEndsAtItsTime)
{
    PageRig rig;
    rig.open(rig.file("step.txt", tag("00:01:00", {0, 600, 0})));
    rig.showGraph();
    QCustomPlot* chart = rig.graph()->Chart2();
    chart->replot();
    const QImage picture = chart->toPixmap().toImage();
    const QCPGraph* data = rig.graph()->series(SeriesData);
    ASSERT_EQ(data->data()->size(), 3);
    const auto key = [&](int i) { return (data->data()->begin() + i)->key; };
    const int y600 = int(std::lround(chart->yAxis->coordToPixel(600)));
    const auto isDataColour = [&](double time) {
        const QColor c =
            picture.pixelColor(int(std::lround(chart->xAxis->coordToPixel(time))), y600);
        return std::abs(c.red() - c.green()) < 30 && std::abs(c.green() - c.blue()) < 30 &&
               c.red() < 200;
    };
    // 600 is drawn from the first record's time up to its own; after it the level is 0.
    EXPECT_TRUE(isDataColour((key(0) + key(1)) / 2));
    EXPECT_FALSE(isDataColour((key(1) + key(2)) / 2));
}

TEST(DataGraphPage, BuildsFromTheTextWhenItChanged)
{
    PageRig rig;
    rig.open(rig.file("two-seconds.txt", tag("00:00:02", {0.5, 1.5, 2.5})));
    rig.showGraph();
    EXPECT_TRUE(rig.dialogs.messages.isEmpty()) << rig.dialogs.messages.join('|').toStdString();
    ASSERT_EQ(rig.points(SeriesData), 3);
    EXPECT_EQ(rig.keyTime(SeriesData, 0), QStringLiteral("15-03-2005 10:00:06"));
    EXPECT_EQ(rig.keyTime(SeriesData, 1), QStringLiteral("15-03-2005 10:00:08"));
    EXPECT_EQ(rig.keyTime(SeriesData, 2), QStringLiteral("15-03-2005 10:00:10"));
    EXPECT_EQ(rig.points(SeriesPressure), 3);
    EXPECT_EQ(rig.graph()->title()->text(),
              QStringLiteral("Nesmo-7     SN# 20871  Dev# 0  Tag# 12  start: 15-Mar-2005 10:00:00  "
                             "interval: 00:00:02"));
    EXPECT_EQ(rig.graph()->series(SeriesTemp)->name(), QString::fromUtf8("T [\u00B0C]"));
    // Pressures around 760 share the axis with the concentration.
    EXPECT_EQ(rig.graph()->Chart2()->yAxis->range().lower, 0);
    EXPECT_GE(rig.graph()->Chart2()->yAxis->range().upper, 760);

    // Typing into the text does not rebuild the graph.
    rig.window->ViewTextExecute();
    QTextCursor c(rig.text()->RichEdit1()->document());
    c.insertText(QStringLiteral("\"Tag Number  \", 99\n"));
    rig.showGraph();
    EXPECT_TRUE(rig.graph()->title()->text().contains(QStringLiteral("Tag# 12")));

    // Opening a file does.
    rig.open(rig.file("minute.txt", tag("00:01:00", {0.5, 1.5, 2.5})));
    rig.showGraph();
    EXPECT_EQ(rig.keyTime(SeriesData, 0), QStringLiteral("15-03-2005 10:01:00"));
    EXPECT_EQ(rig.keyTime(SeriesData, 2), QStringLiteral("15-03-2005 10:03:00"));
}

TEST(DataGraphPage, ExposureSummaryFollowsTheTagAndTheZoom)
{
    PageRig rig;
    rig.open(rig.file("minute.txt", tag("00:01:00", {0.5, 1.5, 2.5, 3.5})));
    rig.showGraph();
    rig.graph()->toolButton("ExposureSummaryButton")->click();
    ExposureWindow* w = rig.graph()->exposureWindow();
    ASSERT_TRUE(w->isVisible());
    EXPECT_TRUE(w->plainText().contains(QStringLiteral("Records: 4")));
    // Headline first, each label heard as it reads: (0.5 + 1.5 + 2.5 + 3.5) x 60 s / 28800 s.
    const QList<QLabel*> headline = w->headlineLabels();
    ASSERT_GE(headline.size(), 3);
    EXPECT_EQ(headline[0]->text(), QStringLiteral("8-hour TWA"));
    EXPECT_EQ(headline[1]->text(), QStringLiteral("0.0167 mg/m3"));
    for (QLabel* label : headline)
        EXPECT_EQ(accessibleName(label), label->text());
    EXPECT_EQ(w->SeriesTable()->rowCount(), 4);
    if (const QByteArray shots = qgetenv("NESMO_SHOTS"); !shots.isEmpty())
        w->grab().save(QString::fromLocal8Bit(shots) + "/exposure-summary.png");

    // Zoomed to the last two records, the summary follows when asked to, and
    // the zoom after that.
    QCustomPlot* chart = rig.graph()->Chart2();
    const double last = rig.graph()->series(SeriesData)->data()->at(3)->key;
    chart->xAxis->setRange(last - 90, last + 1);
    w->VisibleRangeOnly()->setChecked(true);
    EXPECT_TRUE(w->plainText().contains(QStringLiteral("Records: 2")))
        << w->plainText().toStdString();
    chart->xAxis->setRange(last - 30, last + 1);
    EXPECT_TRUE(waitUntil([&] { return w->plainText().contains(QStringLiteral("Records: 1")); }));
    w->CopyButton()->click();
    const QString copied = QGuiApplication::clipboard()->text();
    EXPECT_EQ(copied, w->plainText());
    EXPECT_TRUE(copied.startsWith(QStringLiteral("Exposure summary of the visible range\n")));
    EXPECT_TRUE(copied.contains(
        QStringLiteral("\nSeries\tValues\tMinimum\tAt\tMaximum\tAt\tMean\tMedian\n")));

    // Another tag opened: the window shows its figures without being asked.
    w->VisibleRangeOnly()->setChecked(false);
    rig.open(rig.file("six.txt", tag("00:01:00", {1, 1, 1, 1, 1, 1})));
    EXPECT_TRUE(waitUntil([&] { return w->plainText().contains(QStringLiteral("Records: 6")); }));

    // In a comma locale the window shows commas; the copy keeps full stops.
    LocaleScope german("de_DE", true);
    w->refresh();
    EXPECT_EQ(w->headlineLabels()[1]->text(), QStringLiteral("0,0125 mg/m3"));  // 6 x 60 / 28800
    EXPECT_TRUE(w->plainText().contains(QStringLiteral("8-hour TWA: 0.0125 mg/m3")));
    if (const QByteArray shots = qgetenv("NESMO_SHOTS"); !shots.isEmpty())
        w->grab().save(QString::fromLocal8Bit(shots) + "/exposure-summary-de.png");
    w->close();
}

TEST(DataGraphPage, OptionsAndTheAxisRule)
{
    PageRig rig;
    rig.open(rig.file("negative.txt", tag("00:01:00", {0.5, -0.25, 2.5})));
    rig.showGraph();
    QCustomPlot* chart = rig.graph()->Chart2();
    EXPECT_LT(chart->yAxis->range().lower, -0.25);

    // Switching every series off leaves Data on again.
    rig.graph()->GraphTempExecute();
    rig.graph()->GraphHumidityExecute();
    rig.graph()->GraphDiameterExecute();
    EXPECT_EQ(rig.points(SeriesTemp), 0);
    EXPECT_EQ(rig.points(SeriesData), 3);
    rig.graph()->GraphDataExecute();
    EXPECT_TRUE(rig.window->action("Data1")->isChecked());
    EXPECT_EQ(rig.points(SeriesData), 3);

    // With Data off the axis starts at 0, whatever the values.
    rig.graph()->GraphTempExecute();
    rig.graph()->GraphDataExecute();
    EXPECT_FALSE(rig.window->action("Data1")->isChecked());
    EXPECT_EQ(rig.points(SeriesData), 0);
    EXPECT_EQ(rig.graph()->series(SeriesData)->name(), QStringLiteral("mg/m3"));  // legend kept
    EXPECT_EQ(chart->yAxis->range().lower, 0);

    // Toggled on another page: the graph is stale and rebuilt when shown.
    rig.window->ViewMainExecute();
    rig.window->action("Markers")->trigger();
    rig.window->action("StepGraph1")->trigger();
    EXPECT_TRUE(rig.graph()->isStale());
    EXPECT_EQ(rig.graph()->series(SeriesTemp)->scatterStyle().shape(), QCPScatterStyle::ssNone);
    rig.showGraph();
    EXPECT_FALSE(rig.graph()->isStale());
    EXPECT_EQ(rig.graph()->series(SeriesTemp)->scatterStyle().shape(), QCPScatterStyle::ssDiamond);
    EXPECT_EQ(rig.graph()->series(SeriesTemp)->lineStyle(), QCPGraph::lsLine);

    // The buttons show the first picture while checked, the second while not.
    QToolButton* data = rig.graph()->toolButton("ToolButtonData");
    const auto picture = [&] { return data->icon().pixmap(20).toImage(); };
    const QImage off = picture();
    data->click();
    EXPECT_TRUE(rig.window->action("Data1")->isChecked());
    const QImage on = picture();
    EXPECT_NE(on, off);
    data->click();
    EXPECT_FALSE(rig.window->action("Data1")->isChecked());
    EXPECT_EQ(picture(), off);
}

TEST(DataGraphPage, BadHeadersAreSaidAndWhatCanBeDrawnIs)
{
    PageRig rig;
    rig.open(rig.file("no-tag-number.txt", tag("00:01:00", {1, 2}, "")));
    rig.showGraph();
    EXPECT_EQ(rig.dialogs.messages,
              QStringList{"Problem extracting header information. Please reload tag data."});
    EXPECT_EQ(rig.points(SeriesData), 2);

    rig.dialogs.messages.clear();
    QByteArray badMonth = tag("00:01:00", {1, 2});
    badMonth.replace("15-Mar-2005", "15-Qqq-2005");
    rig.open(rig.file("bad-month.txt", badMonth));
    rig.showGraph();
    EXPECT_EQ(rig.dialogs.errors.size(), 1);
    EXPECT_EQ(rig.points(SeriesData), 0);

    // A binary file opened by mistake.
    QByteArray junk;
    for (int i = 0; i < 300000; ++i)
        junk += static_cast<char>((i * 2654435761u) >> 24);
    rig.open(rig.file("junk.bin", junk));
    rig.showGraph();
    EXPECT_FALSE(rig.dialogs.messages.isEmpty());
}

TEST(DataGraphPage, ReadoutOfTheRecordUnderTheMouse)
{
    LocaleScope english("en_US");
    PageRig rig;
    QByteArray text = tag("00:01:00", {0.5, 1.5, 2.5});
    text.replace("2.50,  21.5", "2.50,  abc");  // the rest of that record cannot be read
    rig.open(rig.file("readout.txt", text));
    rig.showGraph();
    DataGraphPage* graph = rig.graph();
    QLabel* readout = graph->readout();
    const auto readAt = [&](int record, double towardsNext = 0) {
        moveToRecord(graph, record, towardsNext);
        EXPECT_EQ(accessibleName(readout), readout->text());
        return readout->text();
    };
    const QString second = QString::fromUtf8(
        "2005-03-15 10:02:00  Concentration 1.500 mg/m3; T 21.5 \u00B0C; RH 40 %; Pa 760 mmHg");
    EXPECT_EQ(readAt(1), second);
    EXPECT_EQ(graph->tracer()->point1->key(), graph->series(SeriesData)->data()->at(1)->key);
    EXPECT_EQ(readAt(2), QStringLiteral("2005-03-15 10:03:00  Concentration 2.500 mg/m3; T "
                                        "unreadable; RH unreadable; Pa unreadable"));
    // With steps a record is the level up to its time; with lines the nearest counts.
    EXPECT_EQ(readAt(0, 0.25), second);
    graph->GraphStepExecute();
    EXPECT_TRUE(readAt(0, 0.25).startsWith("2005-03-15 10:01:00"));

    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(graph->Chart2(), &leave);
    EXPECT_TRUE(readout->text().isEmpty());
    EXPECT_FALSE(graph->tracer()->visible());

    // Only the series shown, numbers as the user writes them.
    graph->GraphTempExecute();
    graph->GraphHumidityExecute();
    LocaleScope german("de_DE");
    EXPECT_EQ(readAt(1),
              QStringLiteral("2005-03-15 10:02:00  Concentration 1,500 mg/m3; Pa 760 mmHg"));
}

TEST(DataGraphPage, AlarmLevelLine)
{
    LocaleScope english("en_US");
    PageRig rig;
    DataGraphPage* graph = rig.graph();
    const auto shown = [&](const QByteArray& text) {
        rig.open(rig.file("alarm.txt", text));
        rig.showGraph();
        EXPECT_EQ(graph->alarmLabel()->visible(), graph->alarmLine()->visible());
        return graph->alarmLine()->visible();
    };
    ASSERT_TRUE(shown(withAlarm(tag("00:01:00", {0.5, 1.5, 2.5}), "INSTANT", "1.500")));
    EXPECT_EQ(graph->alarmLabel()->text(), QStringLiteral("Alarm 1.500 mg/m3"));
    EXPECT_EQ(graph->alarmLine()->point1->value(), 1.5);
    graph->GraphDataExecute();  // the concentration hidden
    EXPECT_FALSE(graph->alarmLine()->visible());
    {
        LocaleScope german("de_DE");
        graph->GraphDataExecute();
        EXPECT_TRUE(graph->alarmLine()->visible());
        EXPECT_EQ(graph->alarmLabel()->text(), QStringLiteral("Alarm 1,500 mg/m3"));
    }
    EXPECT_FALSE(shown(tag("00:01:00", {0.5, 1.5})));  // OFF
    EXPECT_FALSE(shown(withAlarm(tag("00:01:00", {0.5, 1.5}), "STEL", "high")));
    EXPECT_FALSE(shown(withAlarm(tag("00:01:00", {0.5, 1.5}), "ON", "1e300")));
    EXPECT_TRUE(rig.dialogs.messages.isEmpty());
}

TEST(DataGraphPage, SaveChartAsImage)
{
    PageRig rig;
    rig.open(rig.file("site7.txt", tag("00:01:00", {0.5, 1.5, 2.5})));
    rig.showGraph();
    QAction* save = rig.window->action("GraphSaveImage");
    for (const auto& [name, magic] : QList<std::pair<QString, QByteArray>>{
             {"chart.png", "\x89PNG\r\n\x1a\n"}, {"chart.svg", "<svg"}, {"chart.pdf", "%PDF-"}}) {
        rig.dialogs.saveAnswer = rig.dir.filePath(name);
        save->trigger();
        const QByteArray bytes = readFile(rig.dialogs.saveAnswer);
        EXPECT_TRUE(name.endsWith("svg") ? bytes.contains(magic) : bytes.startsWith(magic))
            << name.toStdString();
    }
    // The chart's texts at their size: the title is whole.
    EXPECT_TRUE(pdfText(rig.dir.filePath("chart.pdf")).contains(QStringLiteral("Tag# 12")));
    EXPECT_EQ(rig.dialogs.saveDialogs[0].fileName, QStringLiteral("site7.png"));

    rig.graph()->toolButton("SaveImageButton")->click();  // asks as well
    EXPECT_EQ(rig.dialogs.saveDialogs.size(), 4);
    EXPECT_TRUE(rig.dialogs.messages.isEmpty());

    // Another suffix, or a folder that cannot hold the file: said, and nothing written.
    const QStringList before = QDir(rig.dir.path()).entryList(QDir::Files);
    for (const char* name : {"chart.jpg", "site7.txt/under-a-file.png"}) {
        rig.dialogs.saveAnswer = rig.dir.filePath(name);
        save->trigger();
        EXPECT_TRUE(rig.dialogs.messages.value(0).startsWith("The chart could not be saved as " +
                                                             rig.dialogs.saveAnswer))
            << name;
        rig.dialogs.messages.clear();
    }
    EXPECT_EQ(QDir(rig.dir.path()).entryList(QDir::Files), before);
}

TEST(DataGraphPage, WholeTagAndOneAxisPerSeries)
{
    PageRig rig;
    rig.open(rig.file("axes.txt", tag("00:01:00", {0.5, 1.5, 2.5, 3.5})));
    rig.showGraph();
    DataGraphPage* graph = rig.graph();
    QCustomPlot* chart = graph->Chart2();
    const QCPRange time = chart->xAxis->range();
    const QCPRange shared = chart->yAxis->range();
    const int axesBefore = chart->axisRect()->axes().size();

    // Zoomed, a double-click shows the whole tag again.
    chart->xAxis->setRange(time.lower, time.center());
    chart->yAxis->setRange(1, 2);
    QTest::mouseDClick(chart, Qt::LeftButton, {}, chart->axisRect()->rect().center());
    EXPECT_EQ(chart->xAxis->range(), time);
    EXPECT_EQ(chart->yAxis->range(), shared);

    // One axis per series: each series fills most of its own axis.
    QAction* separate = rig.window->action("GraphSeparateAxes");
    EXPECT_FALSE(separate->isChecked());
    separate->trigger();
    QSet<QCPAxis*> axes;
    for (int s = 0; s < kSeriesCount; ++s) {
        QCPGraph* g = graph->series(static_cast<GraphSeries>(s));
        QCPAxis* a = g->valueAxis();
        axes << a;
        EXPECT_TRUE(a->visible() && a->label() == g->name()) << s;
        bool found = false;
        const QCPRange values = g->getValueRange(found);
        EXPECT_TRUE(a->range().contains(values.lower) && a->range().contains(values.upper)) << s;
        EXPECT_GT(values.size() + 1, a->range().size() * 0.4) << s;
    }
    EXPECT_EQ(axes.size(), kSeriesCount);
    // The tool button restores every axis.
    QCPAxis* pressure = graph->valueAxis(SeriesPressure);
    const QCPRange pressureRange = pressure->range();
    pressure->setRange(0, 10);
    QToolButton* whole = graph->toolButton("ZoomResetButton");
    EXPECT_EQ(accessibleName(whole), QStringLiteral("Whole tag"));
    whole->click();
    EXPECT_EQ(pressure->range(), pressureRange);

    // Off: the one shared axis, as before.
    separate->trigger();
    EXPECT_EQ(chart->axisRect()->axes().size(), axesBefore);
    for (int s = 0; s < kSeriesCount; ++s)
        EXPECT_EQ(graph->valueAxis(static_cast<GraphSeries>(s)), chart->yAxis) << s;
    EXPECT_FALSE(chart->yAxis2->visible());
    EXPECT_TRUE(chart->yAxis->label().isEmpty());
    EXPECT_EQ(chart->yAxis->range(), shared);
}

TEST(DataPrinting, ReportAsPdfHtmlAndOnPaper)
{
    PageRig rig;
    rig.open(rig.file("print.txt", tag("00:01:00", {0.5, 1.5, 2.5, 3.5},
                                       "\"Tag Number  \", 12\n\"Site\", \"<b>Hall & 2</b>\"\n")));
    rig.showGraph();
    rig.graph()->toolButton("ExposureSummaryButton")->click();
    ExposureWindow* w = rig.graph()->exposureWindow();
    EXPECT_EQ(accessibleName(w->ReportButton()), QString::fromUtf8("Save report\u2026"));

    // Made under a decimal comma: a file has full stops.
    LocaleScope german("de_DE", true);
    const QString pdf = rig.dir.filePath("report.pdf");
    rig.dialogs.saveAnswer = pdf;
    w->ReportButton()->click();
    const QString text = pdfText(pdf).simplified();
    EXPECT_TRUE(text.contains(QStringLiteral("Exposure report: Nesmo-7 20871, tag 12")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Tag# 12")));  // the chart's own title
    EXPECT_TRUE(text.contains(QStringLiteral("<b>Hall & 2</b>")));
    // The figures the summary shows, each in the report.
    for (const ExposureFigure& f : exposureLayout(w->summary(), QLocale::c()).headline)
        EXPECT_TRUE(text.contains(f.name + ' ' + f.value)) << f.name.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("8-hour TWA 0.0167 mg/m3")));
    EXPECT_TRUE(text.contains(QStringLiteral("Made with Nesmo Port")));
    const QString info = pdfInfo(pdf);
    EXPECT_TRUE(info.contains(QStringLiteral("Pages:           1")));
    EXPECT_TRUE(info.contains(QStringLiteral("(A4)"))) << info.toStdString();
    EXPECT_EQ(reportPageSize(QLocale(QLocale::English, QLocale::UnitedStates)).id(),
              QPageSize::Letter);
    EXPECT_EQ(reportPageSize(QLocale(QLocale::German, QLocale::Germany)).id(), QPageSize::A4);
    if (const QByteArray shots = qgetenv("NESMO_SHOTS"); !shots.isEmpty()) {
        QFile::copy(pdf, QString::fromLocal8Bit(shots) + "/exposure-report.pdf");
        QProcess::execute(QStringLiteral("pdftoppm"),
                          {QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("80"), pdf,
                           QString::fromLocal8Bit(shots) + "/exposure-report"});
    }

    // The same as HTML: the chart as a drawing, every text escaped.
    const QString html = rig.dir.filePath("report.html");
    EXPECT_EQ(rig.graph()->saveReport(html), QString());
    const QByteArray page = readFile(html);
    EXPECT_TRUE(page.contains("<svg"));
    EXPECT_TRUE(page.contains("&lt;b&gt;Hall &amp; 2&lt;/b&gt;"));
    EXPECT_FALSE(page.contains("<b>Hall"));
    EXPECT_TRUE(page.contains("0.0167 mg/m3"));
    EXPECT_FALSE(rig.graph()->saveReport(rig.dir.filePath("report.txt")).isEmpty());

    // On paper, a 60-day tag's list of days goes on over the next page.
    QList<double> hourly(60 * 24, 1.0);
    rig.open(rig.file("long.txt", tag("01:00:00", hourly)));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(rig.dir.filePath("long.pdf"));
    rig.graph()->printReport(printer);
    EXPECT_FALSE(pdfInfo(printer.outputFileName()).contains(QStringLiteral("Pages:           1")));
    const QString all = pdfText(printer.outputFileName()).simplified();
    EXPECT_TRUE(all.contains(QStringLiteral("Tag# 12")));  // the chart, drawn from the new text
    EXPECT_TRUE(all.contains(QStringLiteral("8-hour TWA per day")));
    if (const QByteArray shots = qgetenv("NESMO_SHOTS"); !shots.isEmpty())
        QFile::copy(printer.outputFileName(),
                    QString::fromLocal8Bit(shots) + "/exposure-report-long.pdf");
    EXPECT_TRUE(
        all.contains(QStringLiteral("2005-05-14 1.2500")));  // the 61st day: 10 h x 1.0 / 8 h
    EXPECT_TRUE(all.contains(QStringLiteral("Made with Nesmo Port")));

    // "Print…" prints the same report.
    const QString printed = rig.dir.filePath("printed.pdf");
    rig.dialogs.printToPdf = printed;
    w->PrintButton()->click();
    EXPECT_TRUE(pdfText(printed).contains(QStringLiteral("Exposure summary of the whole tag")));
}

TEST(DataPrinting, TextAndChartToPdf)
{
    PageRig rig;
    rig.open(rig.file("print.txt", tag("00:01:00", {0.5, 1.5, 2.5})));
    const QString textPdf = rig.dir.filePath("text.pdf");
    rig.dialogs.printToPdf = textPdf;
    rig.window->action("FilePrint")->trigger();
    const QString text = pdfText(textPdf);
    EXPECT_TRUE(text.contains(QStringLiteral("\"Serial no.\", \"20871\""))) << text.toStdString();
    EXPECT_TRUE(text.simplified().contains(QStringLiteral("2, 1.50, 21.5, 40, 760")));
    EXPECT_TRUE(pdfInfo(textPdf).contains(rig.state.CurrentFileName));  // the job's title
    EXPECT_FALSE(landscape(pdfInfo(textPdf)));

    rig.showGraph();
    const QString chartPdf = rig.dir.filePath("chart.pdf");
    rig.dialogs.printToPdf = chartPdf;
    rig.window->action("FilePrint")->trigger();
    const QString info = pdfInfo(chartPdf);
    EXPECT_TRUE(info.contains(QStringLiteral("Pages:           1"))) << info.toStdString();
    EXPECT_TRUE(landscape(info));
    EXPECT_TRUE(pdfText(chartPdf).contains(QStringLiteral("Tag# 12")));

    // The printer's orientation is back to what it was.
    rig.window->ViewTextExecute();
    rig.dialogs.printToPdf = rig.dir.filePath("again.pdf");
    rig.window->action("FilePrint")->trigger();
    EXPECT_FALSE(landscape(pdfInfo(rig.dialogs.printToPdf)));

    // The chart's picture goes to the clipboard at its size on the screen.
    rig.showGraph();
    rig.window->action("EditCopy")->trigger();
    const QImage picture = QApplication::clipboard()->image();
    EXPECT_EQ(picture.size(), rig.graph()->Chart2()->size());
}

}  // namespace
}  // namespace nesmo::test
