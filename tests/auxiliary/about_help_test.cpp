// The about window, the help and manuals (through a recording opener: no viewer
// is ever started), and the command-line words that print and end.
#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QProcess>
#include <QTest>
#include <QToolButton>

#include "auxiliary/about_window.h"
#include "auxiliary/help_documents.h"
#include "config/page_rig.h"
#include "logged_data/data_graph_page.h"

namespace nesmo::test {
namespace {

TEST(AboutWindow, SplashClosesItselfOnceAndTheMenuWindowStaysUntilClose)
{
    QString version = "2.0.3.0";
    AboutWindow about(nullptr, [&] { return version; });
    EXPECT_EQ(about.windowTitle(), "Nesmo Port");
    EXPECT_EQ(about.size(), QSize(440, 236));
    EXPECT_TRUE(about.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(about.windowFlags() & Qt::WindowCloseButtonHint);
    about.showSplash();
    EXPECT_EQ(about.Label3()->text(), "Version 2.0.3.0");
    EXPECT_FALSE(about.CloseButton()->isVisible());
    EXPECT_TRUE(waitUntil([&] { return !about.isVisible(); }, 3000));
    EXPECT_FALSE(about.Timer1().isActive());

    // No version to read: the label says so by saying nothing after "Version ".
    version.clear();
    about.showFromMenu();
    EXPECT_EQ(about.Label3()->text(), "Version ");
    EXPECT_TRUE(about.CloseButton()->isVisible());
    if (const QByteArray shots = qgetenv("NESMO_SHOTS"); !shots.isEmpty())
        about.grab().save(QString::fromLocal8Bit(shots) + "/about-from-menu.png");
    QTest::qWait(2200);
    EXPECT_TRUE(about.isVisible());
    about.CloseButton()->click();
    EXPECT_FALSE(about.isVisible());
}

// Records each document handed over; a document listed in `failing` cannot be shown.
class RecordingOpener final : public DocumentOpener {
public:
    explicit RecordingOpener(QStringList& opened, QString failing = {})
        : opened_(opened), failing_(std::move(failing))
    {
    }
    void open(const QString& path, std::function<void()> failed) override
    {
        opened_ << path;
        if (!failing_.isEmpty() && path.endsWith(failing_)) failed();
    }

private:
    QStringList& opened_;
    QString failing_;
};

TEST(HelpDocuments, FoundInTheWorkingFolderOrBelowItOtherwiseTold)
{
    QTemporaryDir work;
    const QString previous = QDir::currentPath();
    QDir::setCurrent(work.path());
    PageRig rig;
    QStringList opened;
    rig.window->helpDocuments()->setOpener(
        std::make_unique<RecordingOpener>(opened, "Ostrel7 Manual.pdf"));

    const QString helpMissing =
        "Help Contents \r\rError loading Help for Nesmo PORT \r \rFile: "
        "'Nesmo PORT.chm' was not found";
    const QString nesmoMissing =
        "Error loading User Manual for Nesmo PORT \r\rFile was not found "
        "\ror Adobe Acrobat is unavailable";
    const QString ostrelFailed =
        "Error loading User Manual for Ostrel PORT \r\rFile was not found "
        "\ror Adobe Acrobat is unavailable";
    rig.window->dataTextPage()->toolButton("ToolButton9")->click();
    // The graph page's button opens the Nesmo-7 manual.
    rig.window->dataGraphPage()->toolButton("ToolButton27")->click();
    EXPECT_EQ(rig.dialogs.messages, (QStringList{helpMissing, nesmoMissing}));
    EXPECT_TRUE(opened.isEmpty());

    writeFile(work.filePath("Nesmo PORT.chm"), "help");
    QDir(work.path()).mkdir("index");
    writeFile(work.filePath("index/Nesmo7 Manual.pdf"), "manual");
    writeFile(work.filePath("index/Ostrel7 Manual.pdf"), "manual");
    writeFile(work.filePath("index/Nesmo PORT.chm"), "not looked for here");
    rig.dialogs.messages.clear();
    rig.window->action("HelpContents")->trigger();
    rig.window->action("HelpManNesmo")->trigger();
    rig.window->action("HelpManOstrel")->trigger();
    EXPECT_EQ(opened, (QStringList{work.filePath("Nesmo PORT.chm"),
                                   work.filePath("index/Nesmo7 Manual.pdf"),
                                   work.filePath("index/Ostrel7 Manual.pdf")}));
    EXPECT_EQ(rig.dialogs.messages, QStringList{ostrelFailed});
    rig.window.reset();
    QDir::setCurrent(previous);
}

TEST(CommandLine, VersionAndHelpPrintAndEndWithoutADisplay)
{
    const auto run = [](const QString& program, const QStringList& args) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("DISPLAY");
        env.remove("WAYLAND_DISPLAY");
        env.remove("QT_QPA_PLATFORM");
        p.setProcessEnvironment(env);
        p.start(program, args);
        p.waitForFinished(10000);
        return std::make_pair(p.exitCode(), QString::fromLocal8Bit(p.readAllStandardOutput()));
    };
    const auto [versionCode, version] = run(NESMO_COMM_PATH, {"--version"});
    EXPECT_EQ(versionCode, 0);
    EXPECT_EQ(version, QStringLiteral("NesmoComm %1\n").arg(NESMO_VERSION));
    const auto [helpCode, help] = run(NESMO_COMM_PATH, {"--help"});
    EXPECT_EQ(helpCode, 0);
    EXPECT_TRUE(help.startsWith("Usage: NesmoComm [net] [auto485] [--desktop]"))
        << help.toStdString();
    const auto [simCode, sim] = run(NESMO_SIM_PATH, {"--version"});
    EXPECT_EQ(simCode, 0);
    EXPECT_EQ(sim, QStringLiteral("nesmo7-sim %1\n").arg(NESMO_VERSION));
}

}  // namespace
}  // namespace nesmo::test
