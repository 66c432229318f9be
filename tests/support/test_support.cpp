#include "support/test_support.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>

#include <csignal>

#include <QAbstractButton>
#include <QAccessible>
#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QPrinter>
#include <QRegularExpression>
#include <QThread>
#include <cstdio>

namespace nesmo::test {

ScopedFileSizeLimit::ScopedFileSizeLimit(qint64 maxBytes)
{
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    previousSoft_ = qint64(limit.rlim_cur);
    limit.rlim_cur = rlim_t(maxBytes);
    // Past the limit the write fails; the signal that would end the process is ignored.
    previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &limit);
}

ScopedFileSizeLimit::~ScopedFileSizeLimit()
{
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = rlim_t(previousSoft_);
    setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, previousHandler_);
}

bool waitUntil(const std::function<bool()>& condition, int timeoutMs)
{
    QElapsedTimer t;
    t.start();
    while (!condition()) {
        if (t.elapsed() > timeoutMs) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return true;
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& data)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate)) f.write(data);
}

PtyPair::PtyPair(const QString& linkPath) : link_(linkPath)
{
    char name[256] = {};
    if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0) return;
    termios tio{};
    ::tcgetattr(master_, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(master_, TCSANOW, &tio);
    ::tcgetattr(slave_, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(slave_, TCSANOW, &tio);
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    QFile::remove(link_);
    QFile::link(QString::fromLocal8Bit(name), link_);
}

PtyPair::~PtyPair()
{
    closeMaster();
    if (slave_ >= 0) ::close(slave_);
    QFile::remove(link_);
}

QByteArray PtyPair::readFromProgram(int minBytes, int timeoutMs)
{
    QByteArray got;
    QElapsedTimer t;
    t.start();
    while (got.size() < minBytes && t.elapsed() < timeoutMs && master_ >= 0) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        char buf[4096];
        const ssize_t n = ::read(master_, buf, sizeof buf);
        if (n > 0)
            got.append(buf, n);
        else
            QThread::msleep(1);
    }
    return got;
}

void PtyPair::writeToProgram(const QByteArray& data)
{
    qsizetype done = 0;
    while (done < data.size() && master_ >= 0) {
        const ssize_t n = ::write(master_, data.constData() + done, data.size() - done);
        if (n > 0)
            done += n;
        else
            QThread::msleep(1);
    }
}

void PtyPair::closeMaster()
{
    if (master_ >= 0) ::close(master_);
    master_ = -1;
}

SimProcess::SimProcess(const QStringList& arguments)
{
    process_.setProgram(QStringLiteral(NESMO_SIM_PATH));
    process_.setArguments(arguments);
    process_.setProcessChannelMode(QProcess::SeparateChannels);
    process_.start();
    if (!process_.waitForStarted(5000)) return;
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 10000) {
        if (process_.canReadLine() || process_.waitForReadyRead(100)) {
            while (process_.canReadLine()) {
                const QString line = QString::fromLocal8Bit(process_.readLine()).trimmed();
                if (line.startsWith(QLatin1String("ready"))) {
                    readyLine_ = line;
                    ready_ = true;
                    return;
                }
            }
        }
        if (process_.state() != QProcess::Running) return;
    }
}

SimProcess::~SimProcess()
{
    if (process_.state() == QProcess::Running) {
        process_.terminate();
        if (!process_.waitForFinished(3000)) process_.kill();
        process_.waitForFinished(1000);
    }
}

quint16 SimProcess::tcpPort() const
{
    const QStringList words = readyLine_.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (int i = 0; i + 1 < words.size(); ++i)
        if (words[i] == QLatin1String("tcp")) return static_cast<quint16>(words[i + 1].toUInt());
    return 0;
}

std::function<std::optional<int>(const QStringList&)> chooseDevice(const QString& path)
{
    return [path](const QStringList& entries) -> std::optional<int> {
        for (int i = 0; i < entries.size(); ++i)
            if (entries[i].contains(path)) return i;
        return std::nullopt;
    };
}

bool ScriptedDialogs::print(QPrinter& printer)
{
    ++printDialogs;
    if (printToPdf.isEmpty()) return false;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(printToPdf);
    return true;
}

}  // namespace nesmo::test

namespace nesmo::test {

namespace {

QString readName(QWidget* w)
{
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(w);
    return iface ? iface->text(QAccessible::Name) : QString();
}

// The text a control shows of its own, as a person reads it; nothing for a
// control without one.
std::optional<QString> shownText(QWidget* w)
{
    QString text;
    if (auto* l = qobject_cast<QLabel*>(w)) {
        if (!l->pixmap().isNull()) return std::nullopt;  // a picture
        text = l->text();
    } else if (auto* b = qobject_cast<QAbstractButton*>(w)) {
        if (b->text().isEmpty()) return std::nullopt;  // a picture-only button
        text = b->text();
    } else if (auto* g = qobject_cast<QGroupBox*>(w)) {
        if (g->title().isEmpty()) return std::nullopt;
        text = g->title();
    } else {
        return std::nullopt;
    }
    // "&Load" reads "Load", "&&" reads "&".
    return text.remove(QRegularExpression(QStringLiteral("&(?!&)")));
}

}  // namespace

QStringList unreadableControls(QWidget* root)
{
    QStringList faults;
    QList<QWidget*> widgets = root->findChildren<QWidget*>();
    widgets.prepend(root);
    for (QWidget* w : std::as_const(widgets)) {
        const QString object = w->objectName();
        if (object.isEmpty() || object.startsWith(QLatin1String("qt_"))) continue;
        const QString description = w->accessibleDescription();
        const QString name = readName(w);
        if (!description.isEmpty() && description != object)
            faults << QStringLiteral("%1: described as '%2'").arg(object, description);
        if (const std::optional<QString> text = shownText(w)) {
            if (name != *text)
                faults << QStringLiteral("%1: reads '%2' but shows '%3'").arg(object, name, *text);
        } else if (!description.isEmpty() && name.isEmpty()) {
            faults << QStringLiteral("%1: has no readable name").arg(object);
        }
    }
    return faults;
}

}  // namespace nesmo::test
