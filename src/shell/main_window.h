#pragma once

#include <QAction>
#include <QMainWindow>
#include <QTabWidget>
#include <memory>

#include "core/app_state.h"
#include "core/dialogs.h"
#include "link/link.h"
#include "maintenance/firmware_upgrade.h"
#include "shell/settings_file.h"

namespace nesmo {

class AboutWindow;
class ConfigPage;
class DataFileCommands;
class DataGraphPage;
class DataMemory;
class HelpDocuments;
class SettingsBackup;
class DataTextPage;
class MainPage;
class PanelControl;
class PanelWindow;
class SiteListPage;
class TagDirectory;
class WindowView;

// The main window "Nesmo Port": a frame that owns the five pages, the menus, the
// instrument link and the two auxiliary windows.
class MainWindow final : public QMainWindow {
    Q_OBJECT

public:
    MainWindow(AppState& state, Dialogs& dialogs, const QString& settingsPath,
               const QStringList& arguments);
    ~MainWindow() override;

    AppState& state() { return state_; }
    Link& link() { return *link_; }
    WindowView& view() { return *view_; }
    QTabWidget* PageControl() const { return pages_; }
    MainPage* mainPage() const { return mainPage_; }
    DataTextPage* dataTextPage() const { return dataTextPage_; }
    DataGraphPage* dataGraphPage() const { return dataGraphPage_; }
    ConfigPage* configPage() const { return configPage_; }
    SiteListPage* siteListPage() const { return siteListPage_; }
    PanelWindow* panel() const { return panel_; }
    PanelControl* panelControl() const { return panelControl_; }
    AboutWindow* about() const { return about_; }
    QAction* action(const char* objectName) const;
    TagDirectory* tagDirectory() const { return tags_; }
    DataFileCommands* fileCommands() const { return files_; }
    DataMemory* dataMemory() const { return dataMemory_; }
    SettingsBackup* settingsBackup() const { return backup_; }
    FirmwareUpgrade* firmwareUpgrade() const { return upgrade_; }
    HelpDocuments* helpDocuments() const { return help_; }

    // The words of the command line that change how the program runs.
    static void applyCommandLine(const QStringList& arguments, AppState& state);
    // The command line's files to open (arguments that are neither words nor
    // options), and its options (a leading dash) that the program does not know.
    static QStringList commandLineFiles(const QStringList& arguments);
    static QStringList unknownOptions(const QStringList& arguments);

    void ViewMainExecute() { pages_->setCurrentIndex(0); }
    void ViewTextExecute() { pages_->setCurrentIndex(1); }
    void ViewGraphExecute() { pages_->setCurrentIndex(2); }
    void ViewConfigExecute() { pages_->setCurrentIndex(3); }
    void FileExitExecute() { close(); }
    void HelpAboutExecute();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void readSettings();
    void FormCreate(const QStringList& arguments);
    void FormShow();
    void FormClose();
    void buildMenus();
    QAction* addAction(QMenu* menu, const char* objectName, const QString& caption,
                       std::function<void()> handler = {});
    void onPageChanged(int index);
    void wireLoggedData();
    void wireMaintenance();
    void lockForOperation(bool busy);
    void showTransferPhase(FirmwareUpgrade::Phase phase);

    AppState& state_;
    Dialogs& dialogs_;
    SettingsFile settings_;
    std::unique_ptr<WindowView> view_;
    std::unique_ptr<Link> link_;
    QTabWidget* pages_ = nullptr;
    MainPage* mainPage_ = nullptr;
    DataTextPage* dataTextPage_ = nullptr;
    DataGraphPage* dataGraphPage_ = nullptr;
    QStringList filesToOpen_;
    ConfigPage* configPage_ = nullptr;
    SiteListPage* siteListPage_ = nullptr;
    PanelWindow* panel_ = nullptr;
    PanelControl* panelControl_ = nullptr;
    AboutWindow* about_ = nullptr;
    TagDirectory* tags_ = nullptr;
    DataFileCommands* files_ = nullptr;
    DataMemory* dataMemory_ = nullptr;
    SettingsBackup* backup_ = nullptr;
    FirmwareUpgrade* upgrade_ = nullptr;
    HelpDocuments* help_ = nullptr;
    QAction* comTerminalAction_ = nullptr;
    bool shown_ = false;
    bool closed_ = false;
};

}  // namespace nesmo
