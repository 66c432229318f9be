#include "maintenance/site_list_page.h"

#include <QFileInfo>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QScopeGuard>
#include <QScopedValueRollback>
#include <QTextBlock>
#include <QTextCursor>
#include <QTimer>
#include <QVBoxLayout>

#include "core/dialogs.h"
#include "files/data_file.h"
#include "link/command_format.h"
#include "link/command_sequence.h"
#include "link/commands.h"
#include "link/link.h"
#include "maintenance/site_rules.h"
#include "widgets/busy_scope.h"
#include "widgets/control_names.h"
#include "widgets/file_dialogs.h"
#include "widgets/run_guarded.h"

namespace nesmo {

namespace {

const QString kRunModeRefusal =
    QStringLiteral("Site list data can not be changed while in run mode.");
const QString kLoadFirst =
    QStringLiteral("Please load site list for edit first.\nSelect 'Get site list'");

QString siteNumbers(const QList<int>& sites)
{
    QStringList numbers;
    for (const int n : sites)
        numbers << QString::number(n);
    return numbers.join(QStringLiteral(", "));
}

}  // namespace

SiteListPage::SiteListPage(AppState& state, Link& link, Dialogs& dialogs,
                           std::function<QString()> currentSite, QWidget* parent)
    : QWidget(parent),
      state_(state),
      link_(link),
      dialogs_(dialogs),
      currentSite_(std::move(currentSite))
{
    auto* layout = new QVBoxLayout(this);
    // The buttons come first in the focus chain: showing the page never puts the
    // focus into the list (which would ask to load it first).
    auto* buttons = new QHBoxLayout;
    getButton_ = nameControl(new QPushButton(QStringLiteral("&Get site list")), "GetSiteList");
    setButton_ = nameControl(new QPushButton(QStringLiteral("&Set site list")), "SetSiteList");
    setButton_->setEnabled(false);
    readButton_ = nameControl(new QPushButton(QStringLiteral("&Read site list from file")),
                              "ReadSiteListFile");
    writeButton_ = nameControl(new QPushButton(QStringLiteral("&Write site list to file")),
                               "WriteSiteListFile");
    for (QPushButton* b : {getButton_, setButton_, readButton_, writeButton_})
        buttons->addWidget(b);
    buttons->addStretch(1);
    layout->addLayout(buttons);

    siteList_ = nameField(new QPlainTextEdit, "SiteList", QStringLiteral("Site list"));
    QFont mono(QStringLiteral("Courier New"), 10);
    mono.setStyleHint(QFont::TypeWriter);
    siteList_->setFont(mono);
    siteList_->setLineWrapMode(QPlainTextEdit::NoWrap);
    siteList_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    siteList_->installEventFilter(this);
    connect(siteList_, &QPlainTextEdit::textChanged, this, &SiteListPage::recheckLines);
    layout->addWidget(siteList_);

    const auto wire = [this](QPushButton* b, void (SiteListPage::*handler)()) {
        connect(b, &QPushButton::clicked, this,
                [this, handler] { runGuarded(dialogs_, [this, handler] { (this->*handler)(); }); });
    };
    wire(getButton_, &SiteListPage::GetSiteListClick);
    wire(setButton_, &SiteListPage::SetSiteListClick);
    wire(readButton_, &SiteListPage::ReadSiteListFileClick);
    wire(writeButton_, &SiteListPage::WriteSiteListFileClick);
}

QList<QByteArray> SiteListPage::lines() const
{
    QList<QByteArray> out;
    for (QTextBlock b = siteList_->document()->begin(); b.isValid(); b = b.next())
        out << b.text().toLatin1();
    if (!out.isEmpty() && out.last().isEmpty()) out.removeLast();
    return out;
}

void SiteListPage::setLines(const QList<QByteArray>& lines)
{
    QString text;
    for (const QByteArray& line : lines)
        text += QString::fromLatin1(line) + QLatin1Char('\n');
    siteList_->setPlainText(text);
}

void SiteListPage::talk(void (SiteListPage::*operation)(), const QString& what,
                        const QString& whenSilent)
{
    if (busy_ || !link_.linkOpen()) return;
    const LongOperation instrument(link_.operations(), what);
    if (!instrument.taken()) {
        dialogs_.message(instrument.refusal());
        return;
    }
    const QScopedValueRollback<bool> busy(busy_, true);
    try {
        (this->*operation)();
    } catch (const InstrumentNotAnswering&) {
        // A program that is closing has stopped the conversation itself.
        if (!link_.closing()) dialogs_.message(whenSilent);
    }
}

void SiteListPage::GetSiteListClick()
{
    talk(&SiteListPage::readList, QStringLiteral("reading the site list"),
         QStringLiteral(
             "The instrument does not answer: the site list has been read only in part."));
}

void SiteListPage::readList()
{
    BusyScope wait(getButton_);
    unfitLines_ = false;
    CommandSequence sequence(link_);
    sequence.send(QByteArray(cmd::kRunMode));
    setButton_->setEnabled(!state_.InstrumentRunning && !state_.FirmwareUpgradeActive);
    // Typing into the list while the replies rewrite it would move lines under them.
    siteList_->setReadOnly(true);
    const auto editable = qScopeGuard([this] { siteList_->setReadOnly(false); });
    siteList_->clear();
    if (!sequence.send(QByteArray(cmd::kSite))) {
        // Without the current site the read would leave site 50 selected.
        dialogs_.message(
            QStringLiteral("The instrument did not answer: the site list has not been read."));
        return;
    }
    const QString current = currentSite_();
    sequence.send(QByteArray(cmd::kSiteListFactoryDefault));
    QTextCursor end(siteList_->document());
    for (int i = 1; i <= sites::kSiteCount; ++i) {
        // Every line ends in a line break, so that an empty line is a line too.
        end.movePosition(QTextCursor::End);
        end.insertText(QStringLiteral("\n"));
        sequence.send(formatCommand(cmd::kSiteQueryFmt, i));
    }
    sequence.send(formatCommand(cmd::kSiteSelectFmt, current.toLatin1().constData()));
}

void SiteListPage::SetSiteListClick()
{
    talk(&SiteListPage::writeList, QStringLiteral("writing the site list"),
         QStringLiteral("The instrument does not answer: the site list has not been sent whole."));
}

void SiteListPage::writeList()
{
    CommandSequence sequence(link_);
    sequence.send(QByteArray(cmd::kRunMode));
    if (state_.InstrumentRunning || state_.FirmwareUpgradeActive) {
        dialogs_.message(kRunModeRefusal);
        return;
    }
    // The lines as they stand now: the replies rewrite the list while it is sent.
    const QList<QByteArray> lines = sites::linesToSend(this->lines());
    if (const QList<int> cut = sites::sitesThatLoseCharacters(lines); !cut.isEmpty()) {
        const QString question =
            QStringLiteral(
                "The instrument takes the first %1 characters of each line. The lines of sites "
                "%2 are longer: their ends (often the calibration factor) would be lost.\r\r"
                "Send the site list anyway?")
                .arg(sites::kMaxSentBytes)
                .arg(siteNumbers(cut));
        if (!dialogs_.askOkCancel(question, QStringLiteral("Nesmo-7"), Dialogs::Icon::Warning))
            return;
    }
    BusyScope wait(setButton_);
    siteList_->setReadOnly(true);
    const auto editable = qScopeGuard([this] { siteList_->setReadOnly(false); });
    // The site to select again is the one the instrument says is current now.
    const bool currentKnown = sequence.send(QByteArray(cmd::kSite));
    const QString current = currentSite_();
    sequence.send(QByteArray(cmd::kSiteListFactoryDefault));
    // A definition the instrument refuses (HUH?) or leaves unanswered keeps its
    // line as typed, which looks stored: such sites are named afterwards.
    QStringList refused;
    QStringList unanswered;
    for (int i = 0; i < lines.size(); ++i) {
        const int refusalsBefore = state_.RefusedReplies;
        const int answered = sequence.send(sites::siteDefinitionCommand(lines[i]));
        if (sites::sentText(lines[i]).trimmed().isEmpty()) continue;
        const int site = sites::siteNumberOf(lines[i]);
        const QString name = site ? QString::number(site) : QStringLiteral("line %1").arg(i + 1);
        if (state_.RefusedReplies != refusalsBefore)
            refused << name;
        else if (!answered)
            unanswered << name;
    }
    if (currentKnown)
        sequence.send(formatCommand(cmd::kSiteSelectFmt, current.toLatin1().constData()));
    if (refused.isEmpty() && unanswered.isEmpty()) return;
    const auto sitesText = [](const QStringList& names) {
        return (names.size() == 1 ? QStringLiteral("site ") : QStringLiteral("sites ")) +
               names.join(QStringLiteral(", "));
    };
    QStringList text;
    if (!refused.isEmpty())
        text << QStringLiteral("The instrument refused the definition of %1 (it answered HUH?).")
                    .arg(sitesText(refused));
    if (!unanswered.isEmpty())
        text << QStringLiteral("The instrument did not answer the definition of %1.")
                    .arg(sitesText(unanswered));
    text << QStringLiteral(
        "Their lines in the list are not stored in the instrument as they "
        "stand; read the list again to see what it holds.");
    dialogs_.message(text.join(u'\r'));
}

void SiteListPage::ReadSiteListFileClick()
{
    if (busy_) return;
    const QScopedValueRollback<bool> busy(busy_, true);
    const QString path = dialogs_.openFileName(textFileOpenSetup());
    if (path.isEmpty()) return;
    const QFileInfo info(path);
    if (info.isFile() && info.size() > kFileLimit) {
        dialogs_.message(QStringLiteral("The file %1 holds %2 KB, too much for a site list "
                                        "(50 lines). It was not read.\rA logged-data file "
                                        "opens on the Data text page (File > Open from file).")
                             .arg(path)
                             .arg(info.size() / 1024));
        return;
    }
    // A file that cannot be read changes nothing.
    const DataFileRead file = readDataFile(path, kFileLimit);
    if (!file.error.isEmpty()) {
        dialogs_.message(file.error);
        return;
    }
    const QList<QByteArray> lines = sites::fileLines(file.bytes);
    const QList<int> unfit = sites::linesThatAreNoSites(lines);
    // Some file that is no site list (the dialog and its folder are shared with
    // the logged data) changes nothing either.
    const qsizetype sent = std::min<qsizetype>(lines.size(), sites::kSiteCount);
    qsizetype empty = 0;
    for (qsizetype i = 0; i < sent; ++i)
        empty += lines[i].trimmed().isEmpty() ? 1 : 0;
    if (!unfit.isEmpty() && unfit.size() == sent - empty) {
        dialogs_.message(QStringLiteral("The file %1 holds no site list: none of its lines is a "
                                        "site (a number from 1 to 50, a name in double quotes "
                                        "and a calibration factor). It was not read.\rA "
                                        "logged-data file opens on the Data text page (File > "
                                        "Open from file).")
                             .arg(path));
        return;
    }
    setLines(lines);
    state_.CurrentFileName = path;
    if (unfit.isEmpty()) {
        setButton_->setEnabled(true);
        return;
    }
    // The list is there to be mended; it is sent once every line reads as a site.
    unfitLines_ = true;
    setButton_->setEnabled(false);
    QStringList shown;
    for (const int n : unfit.mid(0, 10))
        shown << QStringLiteral("%1: %2").arg(n).arg(QString::fromLatin1(lines[n - 1].left(40)));
    if (unfit.size() > 10) shown << QStringLiteral("and %1 more").arg(unfit.size() - 10);
    dialogs_.message(
        QStringLiteral("%1 of the file %2 %3 no site (a number from 1 to 50, a name in double "
                       "quotes and a calibration factor):\r%4\r"
                       "\"Set site list\" stays disabled until every line in the list reads as "
                       "a site.")
            .arg(unfit.size() == 1 ? QStringLiteral("Line %1").arg(unfit[0])
                                   : QStringLiteral("%1 lines").arg(unfit.size()),
                 path, unfit.size() == 1 ? QStringLiteral("is") : QStringLiteral("are"),
                 shown.join(u'\r')));
}

void SiteListPage::recheckLines()
{
    if (!unfitLines_ || busy_) return;
    if (!sites::linesThatAreNoSites(lines()).isEmpty()) return;
    unfitLines_ = false;
    setButton_->setEnabled(true);
}

void SiteListPage::WriteSiteListFileClick()
{
    if (busy_) return;
    const QScopedValueRollback<bool> busy(busy_, true);
    const QString path =
        dialogs_.saveFileName(textFileSaveSetup(state_.SiteFileName, state_.CurrentFileName));
    if (path.isEmpty()) return;
    const QString error = writeDataFile(path, sites::fileBytes(lines()));
    if (!error.isEmpty()) {
        dialogs_.message(QStringLiteral("The site list could not be saved to %1:\n%2\n"
                                        "Nothing was written; a file of that name is unchanged.")
                             .arg(path, error));
        return;
    }
    state_.SiteFileName = path;
}

bool SiteListPage::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == siteList_ && event->type() == QEvent::KeyPress) {
        // Shift+Enter starts a new line as Enter does: one line is one site.
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            (key->modifiers() & Qt::ShiftModifier) && !siteList_->isReadOnly()) {
            siteList_->textCursor().insertBlock();
            return true;
        }
    }
    if (watched == siteList_ && event->type() == QEvent::FocusIn) {
        // Only the operator's own moves into the list: not the focus that comes
        // back when a message box closes, nor the window coming to the front.
        switch (static_cast<QFocusEvent*>(event)->reason()) {
            case Qt::MouseFocusReason:
            case Qt::TabFocusReason:
            case Qt::BacktabFocusReason:
            case Qt::ShortcutFocusReason: SiteListEnter(); break;
            default: break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void SiteListPage::SiteListEnter()
{
    // During a get or a set the list is read-only and the button is the
    // operation's; a list with lines to mend has been told about.
    if (busy_ || unfitLines_ || setButton_->isEnabled() || enterMessagePending_) return;
    // Shown once the focus has settled, not inside its change.
    enterMessagePending_ = true;
    QTimer::singleShot(0, this, [this] {
        dialogs_.message(kLoadFirst);
        enterMessagePending_ = false;
    });
}

}  // namespace nesmo
