#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include "config/config_page.h"
#include "logged_data/data_text_page.h"
#include "panel/panel_control.h"
#include "panel/panel_window.h"
#include "shell/main_page.h"
#include "shell/main_window.h"
#include "shell/window_view.h"
#include "support/test_support.h"

namespace nesmo::test {
namespace {

struct WindowRig {
    explicit WindowRig(const QByteArray& ini = QByteArray(), QStringList args = {})
    {
        path = dir.filePath("NesmoComm.INI");
        if (!ini.isEmpty()) writeFile(path, ini);
        window = std::make_unique<MainWindow>(state, dialogs, path, args);
    }
    void show()
    {
        window->show();
        waitUntil([&] { return window->isVisible(); });
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }
    QTemporaryDir dir;
    QString path;
    AppState state;
    ScriptedDialogs dialogs;
    std::unique_ptr<MainWindow> window;
};

QStringList menuCaptions(QMenu* menu)
{
    QStringList out;
    for (QAction* a : menu->actions()) {
        QString c = a->isSeparator() ? QStringLiteral("-") : a->text();
        if (a->menu()) c += QStringLiteral(" >");
        if (!a->isSeparator() && !a->isEnabled() && !a->menu()) c += QStringLiteral(" (off)");
        if (a->isCheckable()) c += a->isChecked() ? QStringLiteral(" [x]") : QStringLiteral(" [ ]");
        out << c;
    }
    return out;
}

TEST(MainWindow, FrameMenusAndPages)
{
    WindowRig rig;
    rig.window->PageControl()->setCurrentIndex(2);
    rig.show();  // opens on Main, whatever page was current before
    MainWindow& w = *rig.window;
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Nesmo Port"));
    EXPECT_EQ(w.minimumSize(), QSize(600, 460));
    QStringList captions;
    for (int i = 0; i < w.PageControl()->count(); ++i)
        captions << w.PageControl()->tabText(i);
    EXPECT_EQ(captions, (QStringList{"Main", "Data text", "Data graph", "Configure instrument",
                                     "Site List"}));
    EXPECT_EQ(w.PageControl()->currentIndex(), 0);

    QStringList top;
    QList<QMenu*> menus;
    for (QAction* a : w.menuBar()->actions()) {
        top << a->text();
        menus << a->menu();
    }
    EXPECT_EQ(top,
              (QStringList{"&File", "&Edit", "&View", "&Settings", "&Text", "&Graph", "&Help"}));
    const QStringList file = menuCaptions(menus[0]);
    EXPECT_EQ(file.size(), 14);
    EXPECT_EQ(file[1], QStringLiteral("&Delete data from Nesmo-7 >"));
    EXPECT_EQ(file[0], QStringLiteral("&Get data from Nesmo-7"));
    EXPECT_EQ(file[4], QStringLiteral("&Save (off)"));
    EXPECT_EQ(file[5], QStringLiteral("Save &As"));
    EXPECT_EQ(file[6], QStringLiteral("&Export as CSV\u2026"));
    EXPECT_EQ(file[7], QStringLiteral("Save &report\u2026"));
    EXPECT_EQ(file[13], QStringLiteral("E&xit"));
    EXPECT_EQ(menuCaptions(menus[1]),
              (QStringList{"Cu&t (off)", "&Copy", "&Paste (off)", "Select &All"}));
    EXPECT_EQ(menuCaptions(menus[2]).last(), QStringLiteral("Com &terminal [ ]"));
    EXPECT_EQ(menuCaptions(menus[5]),
              (QStringList{"D&ata [x]", "&Temp [x]", "&Humidity [x]", "&AtmoP [x]", "-",
                           "&Point markers [ ]", "&Steps [x]", "&One axis per series [ ]", "-",
                           "&Exposure summary", "Save chart as &image\u2026"}));
    EXPECT_EQ(menuCaptions(menus[6]).size(), 5);
}

TEST(MainWindow, StartWithoutSettingsLeavesTheLinkClosedAndExitWritesThem)
{
    WindowRig rig;
    rig.show();
    MainPage* page = rig.window->mainPage();
    EXPECT_EQ(page->SerialConnectionButton()->text(),
              QStringLiteral("Serial Connection:  none   "));
    EXPECT_FALSE(rig.window->link().port().isOpen());
    EXPECT_FALSE(page->NetworkBox()->isVisibleTo(page));
    EXPECT_EQ(rig.state.DeviceFilterNumber, 0);
    EXPECT_TRUE(rig.dialogs.messages.isEmpty());
    rig.window->close();
    EXPECT_TRUE(readFile(rig.path).startsWith(
        "[Setup]\nComPort=0\nBaud=19200\nDeviceNumber=1\nDeviceFilter=0\n"
        "TerminalCaptureFile=APD.CAP\nSiteFile=SiteFile.txt\n"));
}

TEST(MainWindow, CommandLineWordsAreWholeAndCaseless)
{
    for (const char* word : {"net", "NET", "Net"}) {
        AppState s;
        MainWindow::applyCommandLine({"/usr/bin/NesmoComm", QString::fromLatin1(word)}, s);
        EXPECT_TRUE(s.NetworkMode) << word;
    }
    for (const char* word : {"-net", "network", "auto485"}) {
        AppState s;
        MainWindow::applyCommandLine({QString::fromLatin1(word)}, s);
        EXPECT_FALSE(s.NetworkMode) << word;
    }
    WindowRig rig(QByteArray(), {"NesmoComm", "NET"});
    EXPECT_EQ(rig.state.ReplyTimeoutTicks, 180);
    EXPECT_FALSE(rig.window->mainPage()->NetworkBox()->isHidden());
    EXPECT_EQ(rig.window->mainPage()->NetPort()->text(), QStringLiteral("1000"));
}

TEST(MainWindow, AFileOnTheCommandLineOpensOnTheDataTextPage)
{
    const QStringList args = {"NesmoComm", "net", "--desktop", "-h", "--nonsense", "UNT00104.txt"};
    EXPECT_EQ(MainWindow::commandLineFiles(args), QStringList{"UNT00104.txt"});
    EXPECT_EQ(MainWindow::unknownOptions(args), QStringList{"--nonsense"});

    QTemporaryDir dir;
    const QString file = dir.filePath("UNT00104.txt");
    writeFile(file, "\"Model Number\", \"Nesmo-7   \"\nnotes\n");
    WindowRig rig(QByteArray(), {"NesmoComm", file});
    rig.show();
    EXPECT_EQ(rig.state.CurrentFileName, file);
    EXPECT_TRUE(rig.window->dataTextPage()->pageText().startsWith("\"Model Number\""));
    // One that cannot be read says so and leaves the page empty.
    WindowRig missing(QByteArray(), {"NesmoComm", dir.filePath("gone.txt")});
    missing.show();
    EXPECT_EQ(missing.dialogs.messages.size(), 1);
    EXPECT_TRUE(missing.window->dataTextPage()->pageText().isEmpty());
}

TEST(MainWindow, DeviceFilterComesFromTheSettings)
{
    WindowRig rig("[Setup]\nDeviceFilter=1\nDeviceNumber=3\n");
    rig.show();
    EXPECT_EQ(rig.state.DeviceFilterNumber, 3);
    EXPECT_TRUE(rig.window->mainPage()->DeviceCheckBox()->isHidden());
    rig.window->close();
    EXPECT_TRUE(readFile(rig.path).contains("DeviceNumber=3\nDeviceFilter=1\n"));
}

TEST(MainWindow, TerminalViewShowsHidesAndCaptures)
{
    WindowRig rig;
    rig.show();
    DataTextPage* page = rig.window->dataTextPage();
    QAction* item = rig.window->action("ComTerminal");
    EXPECT_FALSE(page->terminalShown());
    item->trigger();
    EXPECT_TRUE(page->terminalShown());
    EXPECT_TRUE(item->isChecked());
    EXPECT_EQ(rig.window->PageControl()->currentIndex(), 1);

    const QString cap = rig.dir.filePath("term.cap");
    page->setCaptureFileName(cap);
    page->TerminalCaptureToolButtonClick();
    rig.window->link().showInTerminal("v 144\r");
    rig.window->link().deliver("V 144 \"1.28\"\r\n>");
    page->TerminalCaptureToolButtonClick();
    EXPECT_EQ(readFile(cap), QByteArray("v 144\r\nV 144 \"1.28\"\r\n>"));
    // Started afresh the next time.
    page->TerminalCaptureToolButtonClick();
    page->TerminalCaptureToolButtonClick();
    EXPECT_TRUE(readFile(cap).isEmpty());

    page->TerminalVisibleToolButtonClick();
    EXPECT_FALSE(page->terminalShown());
    EXPECT_FALSE(item->isChecked());
}

TEST(MainWindow, VersionReplyReachesTheConfigurationPageAndStatusBar)
{
    WindowRig rig;
    rig.show();
    rig.window->link().deliver("V 144 \"1.26\"\r\nV 141 SERIALNUMBER \"20871\"\r\n>");
    EXPECT_TRUE(rig.dialogs.messages.isEmpty());  // not inside the receive path
    ConfigPage* config = rig.window->configPage();
    EXPECT_EQ(config->LabelVer()->text(), QStringLiteral("Version 1.26"));
    EXPECT_FALSE(config->Alarm128()->isHidden());
    EXPECT_FALSE(config->StelAlarmLevelEdit()->isEnabled());
    EXPECT_EQ(rig.window->mainPage()->StatusBarMainText()->text(),
              QStringLiteral("Serial No. 20871 Version 1.26"));
    // The notice is shown after the receive handler returned, once.
    EXPECT_TRUE(waitUntil([&] { return rig.dialogs.messages.size() == 1; }));
    EXPECT_EQ(rig.dialogs.messages[0],
              QStringLiteral("An upgrade to the Nesmo-7 firmware is available."));
}

TEST(MainWindow, PanelWithoutAPortAsksForOneOnlyOnce)
{
    WindowRig rig;
    rig.show();
    // The operator cancels the port dialog: the panel is hidden again without a second dialog.
    rig.window->panelControl()->ViewInstControlPanelClick();
    EXPECT_EQ(rig.dialogs.portDialogs.size(), 1);
    EXPECT_FALSE(rig.window->panel()->isVisible());
    EXPECT_EQ(rig.window->mainPage()->ShowPanelButton()->text(),
              QStringLiteral("Show instrument panel"));
    EXPECT_FALSE(rig.window->action("ViewInstControlPanel")->isChecked());
}

// Message boxes that run their own event loop while open, as real ones do.
struct ModalDialogs : ScriptedDialogs {
    void message(const QString& text) override
    {
        messages << text;
        deepest = qMax(deepest, ++depth);
        if (whileOpen) whileOpen();
        QEventLoop open;
        QTimer::singleShot(30, &open, &QEventLoop::quit);
        open.exec();
        --depth;
    }
    std::function<void()> whileOpen;
    int depth = 0;
    int deepest = 0;
};

TEST(WindowView, MessageBoxesOpenOneAtATime)
{
    ModalDialogs dialogs;
    WindowView view(dialogs);
    dialogs.whileOpen = [&] {
        if (dialogs.messages.size() == 1) view.postMessage(QStringLiteral("second"));
    };
    view.postMessage(QStringLiteral("first"));
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_TRUE(waitUntil([&] { return dialogs.messages.size() == 2 && dialogs.depth == 0; }));
    EXPECT_EQ(dialogs.messages, (QStringList{"first", "second"}));
    EXPECT_EQ(dialogs.deepest, 1);
}

}  // namespace
}  // namespace nesmo::test
