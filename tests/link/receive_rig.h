#pragma once

#include <QRandomGenerator>
#include <QTemporaryDir>

#include "link/receive_path.h"
#include "reply/recording_view.h"
#include "reply/reply_parser.h"

namespace nesmo::test {

// The receive path's host: a terminal that records what it shows.
class FakeHost final : public ReceiveHost {
public:
    void restartReplyTimer() override { ++replyTimerRestarts; }
    void restartWatchdog() override { ++watchdogRestarts; }
    void promptReceived() override { ++prompts; }
    void downloadEnded() override { ++downloadsEnded; }
    void terminalWrite(const char* data, qsizetype n) override { terminal.append(data, n); }
    bool terminalVisible() const override { return visible; }
    void setTerminalVisible(bool v) override
    {
        visible = v;
        visibilityChanges << v;
    }

    QByteArray terminal;
    bool visible = false;
    QList<bool> visibilityChanges;
    int replyTimerRestarts = 0;
    int watchdogRestarts = 0;
    int prompts = 0;
    int downloadsEnded = 0;
};

// The receive path with the real reply parser behind it, capturing into a
// temporary folder.
struct ReceiveRig {
    explicit ReceiveRig(const QString& capturePath = QString())
        : capture(capturePath.isEmpty() ? dir.filePath(QStringLiteral("scratch.txt"))
                                        : capturePath),
          rx(state, queue, view, host, capture),
          parser(state, queue, view, rx)
    {
        rx.setParser([this] { parser.ParseReplies(); });
    }

    void feed(const QByteArray& bytes)
    {
        rx.onCharactersAvailable(bytes.constData(), bytes.size());
    }
    void feedBytewise(const QByteArray& bytes)
    {
        for (char c : bytes)
            rx.onCharactersAvailable(&c, 1);
    }
    void feedChunks(const QByteArray& bytes, quint32 seed)
    {
        QRandomGenerator rng(seed);
        qsizetype at = 0;
        while (at < bytes.size()) {
            const qsizetype n = qMin<qsizetype>(bytes.size() - at, rng.bounded(1, 40));
            rx.onCharactersAvailable(bytes.constData() + at, n);
            at += n;
        }
    }

    QTemporaryDir dir;
    AppState state;
    ReplyQueue queue;
    RecordingView view;
    FakeHost host;
    DownloadCapture capture;
    ReceivePath rx;
    ReplyParser parser;
};

}  // namespace nesmo::test
