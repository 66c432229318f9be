#include "shell/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QToolButton>
#include <utility>

#include "auxiliary/about_window.h"
#include "auxiliary/help_documents.h"
#include "config/config_page.h"
#include "logged_data/data_file_commands.h"
#include "logged_data/data_graph_page.h"
#include "logged_data/data_memory.h"
#include "logged_data/data_text_page.h"
#include "logged_data/tag_directory.h"
#include "maintenance/firmware_upgrade.h"
#include "maintenance/settings_backup.h"
#include "maintenance/site_list_page.h"
#include "panel/panel_control.h"
#include "panel/panel_window.h"
#include "reply/config_handlers.h"
#include "shell/main_page.h"
#include "shell/window_view.h"
#include "widgets/run_guarded.h"

namespace nesmo {

MainWindow::MainWindow(AppState& state, Dialogs& dialogs, const QString& settingsPath,
                       const QStringList& arguments)
    : state_(state), dialogs_(dialogs), settings_(settingsPath)
{
    setObjectName(QStringLiteral("TFormMain"));
    setWindowTitle(QStringLiteral("Nesmo Port"));
    setMinimumSize(600, 460);
    setFont(QFont(QStringLiteral("Arial"), 9));

    // The link's kind (serial port or TCP) follows the command line.
    applyCommandLine(arguments, state_);

    view_ = std::make_unique<WindowView>(dialogs_);
    link_ = std::make_unique<Link>(state_, *view_);

    panel_ = new PanelWindow(this);
    pages_ = new QTabWidget;
    pages_->setObjectName(QStringLiteral("PageControl1"));
    pages_->setAccessibleName(QStringLiteral("Pages"));
    mainPage_ = new MainPage(state_, *link_, dialogs_, *panel_);
    dataTextPage_ = new DataTextPage(state_, *link_, dialogs_);
    dataGraphPage_ = new DataGraphPage(state_, *link_, dialogs_, *dataTextPage_);
    configPage_ = new ConfigPage(state_, *link_, dialogs_);
    siteListPage_ =
        new SiteListPage(state_, *link_, dialogs_, [this] { return configPage_->Edit2()->text(); });
    const struct {
        QWidget* page;
        const char* name;
        const char* caption;
    } pages[] = {{mainPage_, "Tab1", "Main"},
                 {dataTextPage_, "Tab2", "Data text"},
                 {dataGraphPage_, "Tab3", "Data graph"},
                 {configPage_, "Tab4", "Configure instrument"},
                 {siteListPage_, "TabSheet1", "Site List"}};
    for (const auto& p : pages) {
        p.page->setObjectName(QString::fromLatin1(p.name));
        p.page->setAccessibleName(QString::fromLatin1(p.caption));
        p.page->setAccessibleDescription(QString::fromLatin1(p.name));
        pages_->addTab(p.page, QString::fromLatin1(p.caption));
    }
    setCentralWidget(pages_);
    view_->attach(this, mainPage_, dataTextPage_, configPage_, panel_);
    installConfigHandlers(link_->parser(), *view_, state_, link_->model());
    configPage_->setTagList(dataTextPage_->TagListBox());
    configPage_->addNumericField(mainPage_->DeviceNOEdit(), [this] {
        mainPage_->DeviceNOSet();
        if (panel_->isVisible()) panelControl_->RefreshPanel();
    });

    link_->setTerminalVisibility([this] { return dataTextPage_->terminalShown(); },
                                 [this](bool shown) { dataTextPage_->setTerminalShown(shown); });

    tags_ = new TagDirectory(
        state_, *link_, dialogs_, *dataTextPage_,
        {[this] { return pages_->currentIndex() == 2; }, [this] { ViewTextExecute(); },
         [this] { panelControl_->openOrRefresh(); }, [this] { mainPage_->SerialConnectClick(); }},
        this);
    files_ = new DataFileCommands(
        state_, dialogs_, *dataTextPage_, *dataGraphPage_,
        [this] { return static_cast<ActivePage>(pages_->currentIndex()); },
        [this] { ViewTextExecute(); }, this);
    dataGraphPage_->setActiveCheck([this] { return pages_->currentIndex() == 2; });
    wireMaintenance();
    help_ = new HelpDocuments(dialogs_, this);

    buildMenus();
    panelControl_ = new PanelControl(
        state_, *link_, *panel_, mainPage_->ShowPanelButton(), action("ViewInstControlPanel"),
        {[this] { return link_->port().portNumber(); }, [this] { mainPage_->SerialConnectClick(); },
         [this] { mainPage_->SetConnection(false); }},
        this);
    connect(mainPage_->ShowPanelButton(), &QPushButton::clicked, this, [this] {
        runGuarded(dialogs_, [this] { panelControl_->ViewInstControlPanelClick(); });
    });
    wireLoggedData();
    connect(pages_, &QTabWidget::currentChanged, this, &MainWindow::onPageChanged);
    connect(dataTextPage_, &DataTextPage::terminalShownChanged, comTerminalAction_,
            &QAction::setChecked);
    connect(dataTextPage_, &DataTextPage::pageWanted, this, &MainWindow::ViewTextExecute);

    readSettings();
    FormCreate(arguments);

    about_ = new AboutWindow(this);

    resize(760, 560);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

MainWindow::~MainWindow()
{
    // The pages refer to the link; destroy them first.
    delete takeCentralWidget();
}

namespace {

// The command line's words and options besides the files: words in any case,
// options as written.
bool isKnownArgument(const QString& arg)
{
    const QString word = arg.toLower();
    return word == QLatin1String("net") || word == QLatin1String("auto485") ||
           arg == QLatin1String("--desktop") || arg == QLatin1String("--version") ||
           arg == QLatin1String("--help") || arg == QLatin1String("-h");
}

}  // namespace

void MainWindow::applyCommandLine(const QStringList& arguments, AppState& state)
{
    for (const QString& arg : arguments) {
        const QString word = arg.toLower();
        if (word == QLatin1String("net")) state.NetworkMode = true;
        // "auto485": the port's RS-485 transmit control stays off, as it is anyway.
    }
}

QStringList MainWindow::commandLineFiles(const QStringList& arguments)
{
    QStringList files;
    for (const QString& arg : arguments.mid(1))
        if (!isKnownArgument(arg) && !arg.startsWith(QLatin1Char('-'))) files << arg;
    return files;
}

QStringList MainWindow::unknownOptions(const QStringList& arguments)
{
    QStringList unknown;
    for (const QString& arg : arguments.mid(1))
        if (!isKnownArgument(arg) && arg.startsWith(QLatin1Char('-'))) unknown << arg;
    return unknown;
}

void MainWindow::readSettings()
{
    const SetupSettings s = settings_.readSetup();
    Port& port = link_->port();
    const QMap<int, QString> ports = settings_.readPorts();
    for (auto it = ports.cbegin(); it != ports.cend(); ++it)
        port.portMap().setExplicit(it.key(), it.value());
    port.setPortNumber(qBound(0, s.ComPort, 65535));
    const NetworkSettings net = settings_.readNetwork();
    if (!net.Address.isEmpty()) port.setHostAddress(net.Address);
    if (net.Port != 0) port.setTcpPort(static_cast<quint16>(net.Port));
    state_.BaudRate = 19200;
    mainPage_->DeviceNOEdit()->setText(QString::number(s.DeviceNumber));
    mainPage_->DeviceCheckBox()->setChecked(s.DeviceFilter);
    state_.SiteFileName = s.SiteFile;
    dataTextPage_->setCaptureFileName(s.TerminalCaptureFile);
    const PanelSettings place = settings_.readPanel();
    panel_->moveFrameTo(place.Top, place.Left);
}

void MainWindow::FormCreate(const QStringList& arguments)
{
    state_.Downloading = false;
    state_.CurrentFileName = QStringLiteral("Untitled.csv");
    applyCommandLine(arguments, state_);
    filesToOpen_ = commandLineFiles(arguments);
    mainPage_->NetworkBox()->setVisible(state_.NetworkMode);
    if (state_.NetworkMode) {
        mainPage_->NetAddress()->setText(link_->port().hostAddress());
        mainPage_->NetPort()->setText(QString::number(link_->port().tcpPort()));
        state_.ReplyTimeoutTicks = 180;
    }
}

void MainWindow::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (shown_) return;
    shown_ = true;
    // The first showing opens the link once the window is on the screen.
    QMetaObject::invokeMethod(
        this, [this] { runGuarded(dialogs_, [this] { FormShow(); }); }, Qt::QueuedConnection);
}

void MainWindow::FormShow()
{
    state_.BaudRate = 19200;
    // The device filter is set before the link opens, so that an instrument on an
    // RS-485 bus is heard when it answers the first version query.
    mainPage_->DeviceNOSet();
    mainPage_->SetConnection(link_->port().portNumber() != 0);
    link_->receivePath().clearLine();
    link_->queue().clear();
    ViewMainExecute();
    dataTextPage_->TagSelectPanel()->hide();
    // A file the file manager handed over: the last one named stays on the page.
    for (const QString& path : std::exchange(filesToOpen_, {}))
        files_->openFile(path);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (state_.FirmwareUpgradeActive && !closed_ &&
        !dialogs_.askYesNo(
            QStringLiteral("A firmware transfer is running. Closing now stops it and "
                           "leaves the instrument without a complete "
                           "program.\nClose anyway?"),
            QStringLiteral("Nesmo Port"), Dialogs::Icon::Warning)) {
        event->ignore();
        return;
    }
    FormClose();
    QMainWindow::closeEvent(event);
    // Closing the main window ends the program, whatever other window is shown.
    panel_->hide();
    if (about_) about_->hide();
    QCoreApplication::quit();
}

void MainWindow::FormClose()
{
    if (closed_) return;
    closed_ = true;
    // Nothing talks to the instrument any more: a command sequence that was
    // waiting when the window closed ends quietly.
    link_->shutDown();
    SetupSettings s;
    s.ComPort = link_->port().portNumber();
    bool ok = false;
    s.DeviceNumber = mainPage_->DeviceNOEdit()->text().trimmed().toInt(&ok);
    if (!ok) s.DeviceNumber = 1;
    s.DeviceFilter = mainPage_->DeviceCheckBox()->isChecked();
    s.TerminalCaptureFile = dataTextPage_->captureFileName();
    s.SiteFile = state_.SiteFileName;
    // The panel's place, where the window system reports one (some Wayland
    // sessions do not: the stored place is kept then).
    PanelSettings place = settings_.readPanel();
    if (!QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
        const QRect frame = panel_->frameGeometry();
        place = {frame.top(), frame.left(), frame.height(), frame.width()};
    }
    QString error;
    if (!settings_.writeSetup(s, &error) ||
        !settings_.writePorts(link_->port().portMap().explicitEntries(), &error) ||
        !settings_.writePanel(place, &error) ||
        (state_.NetworkMode &&
         !settings_.writeNetwork({link_->port().hostAddress(), link_->port().tcpPort()}, &error)))
        dialogs_.message(QStringLiteral("The settings could not be saved to %1:\n%2")
                             .arg(settings_.path(), error));
    link_->port().close();
    link_->terminal().stopCapture();
}

QAction* MainWindow::action(const char* objectName) const
{
    return findChild<QAction*>(QString::fromLatin1(objectName));
}

QAction* MainWindow::addAction(QMenu* menu, const char* objectName, const QString& caption,
                               std::function<void()> handler)
{
    auto* a = new QAction(caption, this);
    a->setObjectName(QString::fromLatin1(objectName));
    if (handler) {
        connect(a, &QAction::triggered, this, [this, handler] { runGuarded(dialogs_, handler); });
    } else {
        // Its operation comes with a later part of the program.
        a->setEnabled(false);
    }
    menu->addAction(a);
    return a;
}

void MainWindow::buildMenus()
{
    QMenuBar* bar = menuBar();

    QMenu* file = bar->addMenu(QStringLiteral("&File"));
    addAction(file, "FileNew", QStringLiteral("&Get data from Nesmo-7"),
              [this] { tags_->FileNewExecute(); });
    QMenu* del = file->addMenu(QStringLiteral("&Delete data from Nesmo-7"));
    del->setObjectName(QStringLiteral("Delete1"));
    addAction(del, "Selectatag1", QStringLiteral("&Select a tag"),
              [this] { tags_->FileNewExecute(); });
    addAction(del, "Clearalltags1", QStringLiteral("Clear &all tags"),
              [this] { dataMemory_->FileDeleteAllExecute(); });
    file->addSeparator();
    addAction(file, "FileOpen", QStringLiteral("&Open from file"),
              [this] { files_->FileOpenExecute(); });
    addAction(file, "FileSave", QStringLiteral("&Save"));  // has no operation
    addAction(file, "FileSaveAs", QStringLiteral("Save &As"),
              [this] { files_->FileSaveAsExecute(); });
    addAction(file, "FileExportCsv", QStringLiteral("&Export as CSV\u2026"),
              [this] { files_->FileExportCsvExecute(); });
    addAction(file, "FileSaveReport", QStringLiteral("Save &report\u2026"),
              [this] { dataGraphPage_->saveReportExecute(); });
    file->addSeparator();
    addAction(file, "FilePrint", QStringLiteral("&Print"), [this] { files_->FilePrintExecute(); });
    file->addSeparator();
    QMenu* update = file->addMenu(QStringLiteral("&Update Nesmo-7 firmware"));
    update->setObjectName(QStringLiteral("Updatefirmware1"));
    addAction(update, "Backupsettings1", QStringLiteral("&Backup settings"),
              [this] { backup_->FileBackupsettingsExecute(); });
    addAction(update, "Loadnewfirmware1", QStringLiteral("&Load new firmware"),
              [this] { upgrade_->FWLoadClick(); });
    addAction(update, "Restoresettings1", QStringLiteral("&Restore settings"),
              [this] { backup_->FileRestoreSettingsExecute(); });
    addAction(update, "Clearallloggeddata1", QStringLiteral("Re-&format data memory"),
              [this] { dataMemory_->Clearallloggeddata1Click(); });
    file->addSeparator();
    addAction(file, "FileExit", QStringLiteral("E&xit"), [this] { FileExitExecute(); });

    QMenu* edit = bar->addMenu(QStringLiteral("&Edit"));
    addAction(edit, "EditCut", QStringLiteral("Cu&t"));  // has no operation
    addAction(edit, "EditCopy", QStringLiteral("&Copy"), [this] {
        files_->EditCopyExecute();
    })->setShortcut(QKeySequence::Copy);
    addAction(edit, "EditPaste", QStringLiteral("&Paste"));  // has no operation
    addAction(edit, "EditSelectAll", QStringLiteral("Select &All"),
              [this] { files_->EditSelectAllExecute(); });

    QMenu* view = bar->addMenu(QStringLiteral("&View"));
    addAction(view, "ViewMain", QStringLiteral("&Main"), [this] { ViewMainExecute(); });
    addAction(view, "ViewText", QStringLiteral("&Text"), [this] { ViewTextExecute(); });
    addAction(view, "ViewGraph", QStringLiteral("&Graph"), [this] { ViewGraphExecute(); });
    addAction(view, "ViewConfig", QStringLiteral("&Config"), [this] { ViewConfigExecute(); });
    view->addSeparator();
    QAction* panelItem =
        addAction(view, "ViewInstControlPanel", QStringLiteral("&Instrument control panel"),
                  [this] { panelControl_->ViewInstControlPanelClick(); });
    panelItem->setCheckable(true);
    view->addSeparator();
    comTerminalAction_ = addAction(view, "ComTerminal", QStringLiteral("Com &terminal"),
                                   [this] { dataTextPage_->TerminalVisibleToolButtonClick(); });
    comTerminalAction_->setCheckable(true);

    QMenu* settings = bar->addMenu(QStringLiteral("&Settings"));
    addAction(settings, "ComPort", QStringLiteral("Com&Port"),
              [this] { mainPage_->SerialConnectClick(); });
    addAction(settings, "ConfigureInstrument", QStringLiteral("&Configure instrument"),
              [this] { ViewConfigExecute(); });

    QMenu* text = bar->addMenu(QStringLiteral("&Text"));
    addAction(text, "TextFont", QStringLiteral("&Font"), [this] { files_->TextFontExecute(); });
    addAction(text, "TextSelectAll", QStringLiteral("Select &All"),
              [this] { files_->EditSelectAllExecute(); });

    QMenu* graph = bar->addMenu(QStringLiteral("&Graph"));
    const QList<QAction*> options = dataGraphPage_->optionActions();
    for (int i = 0; i < options.size(); ++i) {
        if (i == 4) graph->addSeparator();
        graph->addAction(options[i]);
    }
    graph->addAction(dataGraphPage_->separateAxesAction());
    graph->addSeparator();
    graph->addAction(dataGraphPage_->exposureAction());
    graph->addAction(dataGraphPage_->saveImageAction());

    QMenu* help = bar->addMenu(QStringLiteral("&Help"));
    addAction(help, "HelpContents", QStringLiteral("Nesmo PORT &Help"), [this] {
        help_->HelpContentsExecute();
    })->setToolTip(QStringLiteral("Help"));
    addAction(help, "HelpManNesmo", QStringLiteral("&Nesmo-7 User manual"),
              [this] { help_->HelpManNesmoExecute(); });
    addAction(help, "HelpManOstrel", QStringLiteral("&Ostrel-7 User manual"),
              [this] { help_->HelpManOstrelExecute(); });
    help->addSeparator();
    addAction(help, "HelpAbout", QStringLiteral("&About"), [this] { HelpAboutExecute(); });
}

void MainWindow::wireLoggedData()
{
    // The pages' tool buttons run the main window's actions.
    const auto bind = [this](QToolButton* button, const char* actionName) {
        QAction* a = action(actionName);
        connect(button, &QToolButton::clicked, a, &QAction::trigger);
    };
    bind(dataTextPage_->toolButton("FileNewToolButton"), "FileNew");
    bind(dataTextPage_->toolButton("FileOpenToolButton"), "FileOpen");
    bind(dataTextPage_->toolButton("FileSaveToolButton"), "FileSaveAs");
    bind(dataTextPage_->toolButton("FilePrintToolButton"), "FilePrint");
    bind(dataTextPage_->toolButton("EditCopyToolButton"), "EditCopy");
    bind(dataTextPage_->toolButton("TextFontToolButton"), "TextFont");
    connect(dataTextPage_->toolButton("TextSizeToolButton"), &QToolButton::clicked, this,
            [this] { runGuarded(dialogs_, [this] { files_->TextSizeExecute(); }); });
    bind(dataGraphPage_->toolButton("ToolButton2"), "FileNew");
    bind(dataGraphPage_->toolButton("ToolButton3"), "FileOpen");
    bind(dataGraphPage_->toolButton("ToolButton20"), "FileSaveAs");
    bind(dataGraphPage_->toolButton("ToolButton21"), "FilePrint");
    bind(dataGraphPage_->toolButton("ToolButton24"), "EditCopy");
    // The graph page's help button opens the Nesmo-7 manual, whatever its hint says.
    bind(dataTextPage_->toolButton("ToolButton9"), "HelpContents");
    bind(dataGraphPage_->toolButton("ToolButton27"), "HelpManNesmo");

    connect(dataTextPage_, &DataTextPage::tagListKey, this, [this](int key) {
        runGuarded(dialogs_, [this, key] {
            if (key == Qt::Key_Delete)
                dataMemory_->FileDeleteTagExecute();
            else
                tags_->TagListBoxKeyDown(key);
        });
    });
    connect(dataTextPage_->TagDeleteBitButton(), &QPushButton::clicked, this,
            [this] { runGuarded(dialogs_, [this] { dataMemory_->TagDeleteButtonClick(); }); });
    connect(dataTextPage_, &DataTextPage::tagLoadClicked, this,
            [this] { runGuarded(dialogs_, [this] { tags_->FileLoadFromInstExecute(); }); });
    connect(dataTextPage_, &DataTextPage::tagCancelClicked, this,
            [this] { runGuarded(dialogs_, [this] { tags_->CancelDataClick(); }); });
}

void MainWindow::wireMaintenance()
{
    dataMemory_ = new DataMemory(state_, *link_, dialogs_, *dataTextPage_, mainPage_->progress(),
                                 {[this] { return configPage_->TagNumberEdit()->text(); },
                                  [this] { ViewGraphExecute(); }, [this] { ViewMainExecute(); }},
                                 this);
    backup_ = new SettingsBackup(state_, *link_, dialogs_, this);
    upgrade_ = new FirmwareUpgrade(
        state_, *link_, dialogs_, mainPage_->progress(),
        [this](const QString& text) { configPage_->setStatus(text); }, this);
    connect(upgrade_, &FirmwareUpgrade::phaseChanged, this, &MainWindow::showTransferPhase);
    connect(&link_->operations(), &OperationLock::changed, this, &MainWindow::lockForOperation);
}

void MainWindow::lockForOperation(bool busy)
{
    // While a long operation talks to the instrument, no other may start and
    // nothing may close or change the link under it. Operations started from
    // a page's own buttons refuse with a word instead.
    for (const char* name :
         {"FileNew", "Selectatag1", "Clearalltags1", "Backupsettings1", "Loadnewfirmware1",
          "Restoresettings1", "Clearallloggeddata1", "ComPort"})
        if (QAction* a = action(name)) a->setEnabled(!busy);
    mainPage_->setConnectionLocked(busy);
}

void MainWindow::showTransferPhase(FirmwareUpgrade::Phase phase)
{
    // While the records go out, the Main page with its bar is in front and the
    // other pages are locked; the hourglass stays over the pages until the
    // integrity test, which only waits.
    const bool transferring = phase == FirmwareUpgrade::Phase::Transferring;
    const bool locked = phase != FirmwareUpgrade::Phase::Idle;
    if (transferring) ViewMainExecute();
    for (int i = 1; i < pages_->count(); ++i)
        pages_->setTabEnabled(i, !locked);
    if (transferring)
        pages_->setCursor(Qt::WaitCursor);
    else
        pages_->unsetCursor();
}

void MainWindow::HelpAboutExecute()
{
    about_->showFromMenu();
}

void MainWindow::onPageChanged(int index)
{
    if (index == 1) runGuarded(dialogs_, [this] { dataTextPage_->Tab2Show(); });
    if (index == 2) runGuarded(dialogs_, [this] { dataGraphPage_->Tab3Show(); });
    if (index == 3) runGuarded(dialogs_, [this] { configPage_->Tab4Show(); });
}

}  // namespace nesmo
