#include "cli/session.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QTimer>
#include <cstdlib>
#include <iostream>

#include "cli/interrupt.h"
#include "cli/port_list.h"
#include "files/data_file.h"
#include "link/link.h"
#include "reply/config_handlers.h"

namespace nesmo::cli {

namespace {

// How long a port that was just opened is listened to for bytes nobody asked
// for, and how long the line must then stay quiet before a run goes on.
constexpr int kFirstLookMs = 50;
constexpr int kQuietMs = 1000;

// The leading number of a captured line (-1 when it has none).
int leadingNumber(const QByteArray& line)
{
    bool ok = false;
    const int n = line.trimmed().split(',').value(0).trimmed().toInt(&ok);
    return ok ? n : -1;
}

}  // namespace

bool resolvePort(const QString& text, PortMap& map, int& number)
{
    static const QRegularExpression com(QStringLiteral("^COM(\\d+)$"),
                                        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = com.match(text);
    if (m.hasMatch()) {
        number = m.captured(1).toInt();
        return number >= PortMap::kFirst && number <= PortMap::kLast;
    }
    const QString path = QFileInfo(text).absoluteFilePath();
    for (const PortMap::Entry& e : map.entries()) {
        if (QFileInfo(e.device).absoluteFilePath() == path) {
            number = e.number;
            return true;
        }
    }
    // A device no number stands for gets the first number, for this run only.
    number = PortMap::kFirst;
    map.setExplicit(number, text);
    return true;
}

QString tagFileName(int device, int tag)
{
    return QString::asprintf("UNT%03i%02i.txt", device, tag);
}

QString incompleteName(const QString& path)
{
    const QFileInfo info(path);
    const QString suffix = info.suffix();
    const QString base = suffix.isEmpty() ? info.fileName() : info.completeBaseName();
    const QString name = base + QStringLiteral(".incomplete") +
                         (suffix.isEmpty() ? QString() : QLatin1Char('.') + suffix);
    return info.dir().filePath(name);
}

Session::Session(const Target& target) : target_(target)
{
    state_.NetworkMode = target.network;
    if (target.network) state_.ReplyTimeoutTicks = 180;
    state_.DeviceFilterNumber = target.device;
    link_ = std::make_unique<Link>(state_, view_);
    // No terminal view to show the line's traffic in.
    link_->setTerminalKept(false);
    // A dump goes straight to its file, in the form the file is saved in; the
    // file is named for each dump.
    link_->capture().setPath(QString());
    link_->capture().setKeep(DownloadCapture::Keep::FileOnly);
    // The replies that report settings, the clock and the tags fill the controls.
    installConfigHandlers(link_->parser(), view_, state_, link_->model());
    // Diagnostics of the reply interpreter must not mix with the results.
    link_->parser().setDiagnosticStream(&std::cerr);
    // An interrupted run ends the wait on the instrument at once.
    InterruptWatch::onInterrupt([link = link_.get()] { link->shutDown(); });
    QObject::connect(link_.get(), &Link::linkLost, [this](const QString& reason) {
        if (lost_.isEmpty()) lost_ = reason;
    });
}

Session::~Session()
{
    InterruptWatch::onInterrupt({});
    link_->shutDown();
    link_->port().close();
}

Result Session::open(const Notice& notice)
{
    Port& port = link_->port();
    if (target_.network) {
        port.setHostAddress(target_.host);
        port.setTcpPort(target_.tcpPort);
    } else {
        // COMn as `ports` lists it: an adapter the settings do not name has the
        // number the system's devices give it there.
        port.portMap() = numberedPorts(target_.portMap);
        int number = 0;
        if (!resolvePort(target_.port, port.portMap(), number))
            return {kNoPort, QStringLiteral("no port %1: COM numbers go from COM%2 to COM%3")
                                 .arg(target_.port)
                                 .arg(PortMap::kFirst)
                                 .arg(PortMap::kLast)};
        port.setPortNumber(number);
        if (!port.open()) {
            const Port::OpenError error = port.lastError();
            return {kNoPort, QStringLiteral("%1: %2").arg(
                                 error.device.isEmpty() ? target_.port : error.device, error.text)};
        }
        // The first exchange starts with empty buffers and no reply pending.
        port.discardBuffers();
        if (Result r = drainUnasked(notice); !r.ok()) return r;
    }
    link_->resetExchange();
    if (Result r = send(Query::FirmwareVersion); !r.ok()) return r;
    if (state_.FirmwareVersion == 0)
        return {kNotAnswering,
                QStringLiteral("the instrument did not report its firmware version")};
    return {};
}

Result Session::drainUnasked(const Notice& notice)
{
    // The instrument sends a tag to its end whatever became of the reader: an
    // interrupted download's rest still comes when the next run opens the port.
    // Those bytes are nobody's reply; they are let through until the line has
    // been quiet for a second (the instrument has nothing that stops a dump).
    const auto waitFor = [](int ms) {
        QEventLoop loop;
        QTimer::singleShot(ms, &loop, &QEventLoop::quit);
        loop.exec();
    };
    quint64 seen = link_->bytesReceived();
    waitFor(kFirstLookMs);
    if (link_->bytesReceived() == seen) return {};
    if (notice)
        notice(QStringLiteral("the instrument is still sending a dump; waiting for it to end"));
    do {
        if (InterruptWatch::interrupted()) return {kInterrupted, QStringLiteral("interrupted")};
        seen = link_->bytesReceived();
        waitFor(kQuietMs);
    } while (link_->bytesReceived() != seen);
    link_->port().discardBuffers();
    return {};
}

Result Session::exchange(const QByteArray& text)
{
    if (InterruptWatch::interrupted()) return {kInterrupted, QStringLiteral("interrupted")};
    const int replied = link_->SendCommand(text);
    if (InterruptWatch::interrupted()) return {kInterrupted, QStringLiteral("interrupted")};
    if (replied == 1) return {};
    const bool heard = link_->bytesReceived() > 0;
    if (!lost_.isEmpty() && !heard) return {kNoPort, lost_};
    switch (link_->lastOutcome()) {
        case Link::Outcome::NotSent:
            return {kNoPort, lost_.isEmpty() ? QStringLiteral("the link is closed") : lost_};
        case Link::Outcome::Silent:
            return {kNotAnswering,
                    QStringLiteral("the instrument did not answer within %1 s")
                        .arg(state_.ReplyTimeoutTicks * kTickMs / 1000.0, 0, 'f', 1)};
        default: return {kNotAnswering, QStringLiteral("the instrument's reply did not end")};
    }
}

Result Session::send(Query q)
{
    return exchange(queryText(q));
}

Result Session::info(InstrumentInfo& out)
{
    const QString version = view_.text(Control::LabelVer);
    out.firmware = version.mid(version.indexOf(u' ') + 1);
    if (Result r = send(Query::SerialNumber); !r.ok()) return r;
    if (state_.SerialNumber.isEmpty())
        return {kNotAnswering, QStringLiteral("the instrument did not report its serial number")};
    out.serial = state_.SerialNumber;
    if (Result r = send(Query::RunMode); !r.ok()) return r;
    out.running = state_.InstrumentRunning;
    if (Result r = send(Query::Date); !r.ok()) return r;
    if (Result r = send(Query::Time); !r.ok()) return r;
    const int month = view_.currentIndex(Control::DateMonthEdit) + 1;
    const QString day = view_.text(Control::DateDayEdit), year = view_.text(Control::DateYearEdit);
    const QString hour = view_.text(Control::TimeHourEdit),
                  minute = view_.text(Control::TimeMinEdit);
    const QString second = view_.text(Control::TimeSecEdit);
    if (month > 0 && !day.isEmpty() && !year.isEmpty() && !hour.isEmpty() && !minute.isEmpty() &&
        !second.isEmpty())
        out.clock = QString::asprintf("%04d-%02d-%02d %02d:%02d:%02d", year.toInt(), month,
                                      day.toInt(), hour.toInt(), minute.toInt(), second.toInt());
    return {};
}

namespace {

// A reported value, or null.
template <typename T>
QJsonValue valueOf(const std::optional<T>& v)
{
    return v ? QJsonValue(*v) : QJsonValue();
}

QJsonValue valueOf(const std::optional<qint64>& v)
{
    return v ? QJsonValue(double(*v)) : QJsonValue();
}

QJsonValue named(int index, std::initializer_list<const char*> names)
{
    if (index < 0 || index >= int(names.size())) return QJsonValue();
    return QString::fromLatin1(names.begin()[index]);
}

}  // namespace

Result Session::config(QJsonObject& out)
{
    out = {};
    for (Query q :
         {Query::SerialNumber, Query::RunMode, Query::LogPeriod, Query::AutoStart, Query::Tag,
          Query::DisplayAvg, Query::Units, Query::AnalogOut, Query::FlowRate, Query::RhCorrect,
          Query::Backlight, Query::Alarm, Query::Inlet, Query::Site, Query::CalFactor})
        if (Result r = send(q); !r.ok()) return r;
    InstrumentInfo clock;
    if (Result r = info(clock); !r.ok()) return r;

    // The settings at the precision of the replies, in no locale.
    const InstrumentSettings& st = link_->model().settings();
    out.insert("serial", clock.serial);
    out.insert("firmware", clock.firmware);
    out.insert("running", clock.running);
    out.insert("clock", clock.clock.isEmpty() ? QJsonValue() : QJsonValue(clock.clock));
    out.insert("log_period_s", valueOf(st.logPeriodSeconds));
    out.insert("tag", valueOf(st.tag));
    out.insert("logging", st.logging.value_or(false));
    out.insert("auto_start", QJsonObject{{"enabled", st.autoStart.enabled.value_or(false)},
                                         {"year", valueOf(st.autoStart.year)},
                                         {"month", valueOf(st.autoStart.month)},
                                         {"day", valueOf(st.autoStart.day)},
                                         {"hour", valueOf(st.autoStart.hour)},
                                         {"minute", valueOf(st.autoStart.minute)}});
    out.insert("display_averaging_s", valueOf(st.displayAveragingSeconds));
    const int units = st.units.value_or(-1);
    out.insert(
        "units",
        QJsonObject{{"code", valueOf(st.units)},
                    {"name", named(units, {"MASS [ug/m3]", "SCAT [ /Mm ]", "MASS [mg/m3]"})}});
    out.insert("analog_output_range", valueOf(st.analogRange));
    out.insert("flow_rate_lpm", valueOf(st.flowRateLpm));
    out.insert("rh_correction", st.rhCorrection.value_or(false));
    out.insert("backlight", st.backlight.value_or(false));
    const int alarm = st.alarm ? int(*st.alarm) : -1;
    out.insert("alarm", QJsonObject{{"mode", named(alarm, {"off", "instant", "stel"})},
                                    {"level", alarm > 0 ? valueOf(st.alarmLevel) : QJsonValue()}});
    const int inlet = st.inlet.value_or(-1);
    out.insert("inlet",
               QJsonObject{{"code", valueOf(st.inlet)},
                           {"name", named(inlet, {"TOTAL", "RED CYCLONE", "BLUE CYCLONE"})}});
    out.insert("site", QJsonObject{{"number", valueOf(st.site.number)},
                                   {"name", st.site.name.value_or(QString())}});
    out.insert("calibration_factor", valueOf(st.calibrationFactor));
    return {};
}

Result Session::tags(QList<TagEntry>& out)
{
    out.clear();
    // As the program lists them: not while the instrument logs.
    if (Result r = send(Query::RunMode); !r.ok()) return r;
    if (state_.InstrumentRunning)
        return {kRunning,
                QStringLiteral("the instrument is logging; stop its run to read its tags")};
    view_.clearItems(Control::TagListBox);
    if (Result r = send(Query::TagList); !r.ok()) return r;
    if (view_.itemCount(Control::TagListBox) == 0) return {};
    if (Result r = send(Query::TagCounts); !r.ok()) return r;
    for (int i = 0; i < view_.itemCount(Control::TagListBox); ++i) {
        // "%2i", then "  %5i" once the counts have come.
        const QStringList fields =
            view_.item(Control::TagListBox, i).split(u' ', Qt::SkipEmptyParts);
        TagEntry e;
        e.tag = fields.value(0).toInt();
        bool ok = false;
        const int records = fields.value(1).toInt(&ok);
        if (ok) e.records = records;
        out.append(e);
    }
    return {};
}

Result Session::dump(int tag, const QString& file, Dump& out, const Progress& progress)
{
    out = Dump{};
    out.tag = tag;
    DownloadCapture& capture = link_->capture();
    capture.setPath(file);
    view_.clearDataText();
    state_.CurrentFileName.clear();
    state_.RecordCount = 0;
    view_.onRecord([&](int records) {
        if (progress) progress(records, state_.RecordCount);
    });
    Result r = exchange(tagDumpText(tag));
    const Link::Outcome outcome = link_->lastOutcome();
    // A capture still running has lost the rest of its dump: ending the exchange
    // ends it, and the text so far is handed over as the program shows it.
    if (state_.Downloading) link_->resetExchange();
    view_.onRecord({});
    capture.setPath(QString());  // closes the file
    out.error = capture.error();
    out.size = capture.size();
    if (!view_.dataTextSet()) {
        if (r.ok())
            r = {kNotAnswering, QStringLiteral("the instrument sent no dump of tag %1").arg(tag)};
        return r;
    }
    out.fileName = state_.CurrentFileName.isEmpty() ? tagFileName(state_.DeviceFilterNumber, tag)
                                                    : state_.CurrentFileName;
    out.announced = state_.RecordCount;
    out.records = view_.recordLines();
    out.complete = r.code != kInterrupted && outcome == Link::Outcome::Replied &&
                   (out.announced == 0 || leadingNumber(capture.lastLine()) == out.announced);
    return r.code == kInterrupted ? r : Result{};
}

}  // namespace nesmo::cli
