#pragma once

#include <QPlainTextEdit>
#include <QPushButton>
#include <QWidget>
#include <functional>

#include "core/app_state.h"

namespace nesmo {

class Dialogs;
class Link;

// The "Site List" page: the instrument's list of 50 measurement sites as text,
// read from and written to the instrument, and kept in files.
class SiteListPage final : public QWidget {
    Q_OBJECT

public:
    // currentSite gives the text of the configuration page's current-site box
    // (Edit2), which the site replies keep up to date.
    SiteListPage(AppState& state, Link& link, Dialogs& dialogs,
                 std::function<QString()> currentSite, QWidget* parent = nullptr);

    QPlainTextEdit* SiteList() const { return siteList_; }
    QPushButton* GetSiteList() const { return getButton_; }
    QPushButton* SetSiteList() const { return setButton_; }
    QPushButton* ReadSiteListFile() const { return readButton_; }
    QPushButton* WriteSiteListFile() const { return writeButton_; }

    void GetSiteListClick();
    void SetSiteListClick();
    void ReadSiteListFileClick();
    void WriteSiteListFileClick();

    // The list's lines as the site replies count them (a final line break ends
    // the last line and starts none), as Latin-1 bytes.
    QList<QByteArray> lines() const;

    static constexpr qsizetype kFileLimit = 1024 * 1024;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Runs a get or a set: refused while one runs or the link is closed; a silent
    // instrument ends it with this message.
    void talk(void (SiteListPage::*operation)(), const QString& what, const QString& whenSilent);
    // A list read from a file with lines that are no sites gets its Set button
    // back once every line reads as a site.
    void recheckLines();
    void readList();
    void writeList();
    void setLines(const QList<QByteArray>& lines);
    void SiteListEnter();

    AppState& state_;
    Link& link_;
    Dialogs& dialogs_;
    std::function<QString()> currentSite_;
    QPushButton* getButton_ = nullptr;
    QPushButton* setButton_ = nullptr;
    QPushButton* readButton_ = nullptr;
    QPushButton* writeButton_ = nullptr;
    QPlainTextEdit* siteList_ = nullptr;
    bool busy_ = false;  // a get, set, read or write is running
    bool enterMessagePending_ = false;
    bool unfitLines_ = false;  // the list came from a file with lines that are no sites
};

}  // namespace nesmo
