// nesmo7-sim as a process, over a real pseudo-terminal and real TCP connections.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <functional>

#include "sim_test_util.h"

namespace nesmo::sim {
namespace {

using test::printable;
using test::sample;

// A running simulator, stopped with SIGTERM when the test ends.
class SimProcess {
public:
    explicit SimProcess(const QStringList& args)
    {
        m_process.setProgram(QStringLiteral(NESMO_SIM_PATH));
        m_process.setArguments(args);
        m_process.start();
        // "ready <slave>", "ready tcp <port>" or "ready <slave> tcp <port>".
        QElapsedTimer clock;
        clock.start();
        while (!m_ready && clock.elapsed() < 5000 && m_process.state() != QProcess::NotRunning) {
            m_process.waitForReadyRead(100);
            if (!m_process.canReadLine()) continue;
            const QList<QByteArray> words = m_process.readLine().simplified().split(' ');
            m_ready = words.value(0) == "ready";
            for (int i = 1; i < words.size(); ++i) {
                if (words[i] == "tcp")
                    port = quint16(words.value(++i).toUInt());
                else
                    slave = QString::fromLocal8Bit(words[i]);
            }
        }
    }
    ~SimProcess() { stop(); }

    bool ready() const { return m_ready; }
    // Ends the simulator as a service manager would; returns its exit code.
    int stop()
    {
        if (m_process.state() != QProcess::NotRunning) {
            ::kill(pid_t(m_process.processId()), SIGTERM);
            if (!m_process.waitForFinished(3000)) m_process.kill();
            m_process.waitForFinished(1000);
        }
        return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
    }
    void signal(int number) { ::kill(pid_t(m_process.processId()), number); }
    QByteArray output()
    {
        m_process.waitForReadyRead(50);
        return m_process.readAll();
    }

    QString slave;
    quint16 port = 0;

private:
    QProcess m_process;
    bool m_ready = false;
};

// The program's end of the pseudo-terminal, in raw mode as a serial port is.
class PtyClient {
public:
    explicit PtyClient(const QString& path)
    {
        m_fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (m_fd < 0) return;
        termios tio{};
        ::tcgetattr(m_fd, &tio);
        ::cfmakeraw(&tio);
        ::tcsetattr(m_fd, TCSANOW, &tio);
    }
    ~PtyClient()
    {
        if (m_fd >= 0) ::close(m_fd);
    }
    bool isOpen() const { return m_fd >= 0; }
    void send(const QByteArray& bytes)
    {
        ASSERT_EQ(::write(m_fd, bytes.constData(), bytes.size()), bytes.size());
    }

    // Reads until done(received) holds or ms pass; reads counts the reads that brought data.
    QByteArray readUntil(const std::function<bool(const QByteArray&)>& done, int ms = 3000,
                         int* reads = nullptr)
    {
        QByteArray got;
        QElapsedTimer clock;
        clock.start();
        while (!done(got) && clock.elapsed() < ms) {
            pollfd p{m_fd, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0 || !(p.revents & POLLIN)) continue;
            char buffer[4096];
            const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
            if (n <= 0) break;
            got.append(buffer, int(n));
            if (reads) ++*reads;
        }
        return got;
    }
    QByteArray readFor(int ms)
    {
        return readUntil([](const QByteArray&) { return false; }, ms);
    }
    QByteArray ask(const QByteArray& command)
    {
        send(command);
        return readUntil([](const QByteArray& b) { return b.endsWith('>'); });
    }
    QByteArray askFor(const QByteArray& command, qsizetype size, int* reads = nullptr)
    {
        send(command);
        QByteArray got =
            readUntil([size](const QByteArray& b) { return b.size() >= size; }, 5000, reads);
        return got + readFor(100);  // nothing more may follow
    }
    // The simulator closed its side: the slave reports a hang-up.
    bool hungUp(int ms)
    {
        pollfd p{m_fd, POLLIN, 0};
        return ::poll(&p, 1, ms) > 0 && (p.revents & (POLLHUP | POLLERR));
    }

private:
    int m_fd = -1;
};

// One command over its own TCP connection, as the program does in network mode.
QByteArray askTcp(quint16 port, const QList<QByteArray>& pieces)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!socket.waitForConnected(3000)) return "no connection";
    for (const QByteArray& piece : pieces) {
        socket.write(piece);
        socket.waitForBytesWritten(1000);
    }
    QByteArray got;
    QElapsedTimer clock;
    clock.start();
    while (!got.endsWith('>') && clock.elapsed() < 3000)
        if (socket.waitForReadyRead(100)) got += socket.readAll();
    return got;
}

class SimProcessTest : public ::testing::Test {
protected:
    QString path(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }
    QStringList onPty(QStringList more) const { return QStringList{"--pty", path("port")} + more; }

    QTemporaryDir m_dir;
};

TEST_F(SimProcessTest, DumpOfTag9OverThePtyIsTheSample)
{
    const struct {
        QStringList args;
        const char* file;
    } cases[] = {{{}, "dump-tag9.reply.bin"}, {{"--device", "3"}, "dump-tag9-device3.reply.bin"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        SimProcess sim(onPty(c.args));
        ASSERT_TRUE(sim.ready());
        EXPECT_EQ(QFileInfo(path("port")).symLinkTarget(), sim.slave);
        PtyClient pty(path("port"));
        ASSERT_TRUE(pty.isOpen());
        const QByteArray expected = sample(c.file);
        ASSERT_FALSE(expected.isEmpty());
        EXPECT_EQ(printable(pty.askFor("tagdump  9 \r", expected.size())), printable(expected));
    }
}

TEST_F(SimProcessTest, LogHoldsExactlyTheBytesReceived)
{
    SimProcess sim(onPty({"--log", path("sent.log")}));
    ASSERT_TRUE(sim.ready());
    PtyClient pty(path("port"));
    EXPECT_EQ(pty.ask("v 144\r"), "V 144 \"1.28\"\r\n>");
    // A command in pieces, with line feeds the instrument ignores.
    pty.send("\nta");
    EXPECT_EQ(pty.ask("gs\r\n"), "TAGS 1 2 3 4 9\r\n>");
    // Several commands in one text are answered one after the other.
    pty.send("key esc\r v 157\r key enter\r v 157\r");
    EXPECT_EQ(pty.readUntil([](const QByteArray& b) { return b.count('>') == 4; }),
              ">V 157 OFF\r\n>>V 157 OFF\r\n>");
    QFile log(path("sent.log"));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_EQ(log.readAll(), "v 144\r\ntags\r\nkey esc\r v 157\r key enter\r v 157\r");
}

TEST_F(SimProcessTest, TcpServesEachConnectionItsOwnReplyOverSharedState)
{
    SimProcess sim(onPty({"--tcp", "0"}));
    ASSERT_TRUE(sim.ready());
    ASSERT_NE(sim.port, 0);
    EXPECT_EQ(askTcp(sim.port, {"logperiod 90\r"}), "LOGPERIOD 90\r\n>");
    EXPECT_EQ(askTcp(sim.port, {"logp", "eriod\r"}), "LOGPERIOD 90\r\n>");
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(askTcp(sim.port, {"v 157\r"}), "V 157 OFF\r\n>");

    // Two connections open at once: each gets the reply to its own command.
    QTcpSocket first, second;
    first.connectToHost(QHostAddress::LocalHost, sim.port);
    second.connectToHost(QHostAddress::LocalHost, sim.port);
    ASSERT_TRUE(first.waitForConnected(3000) && second.waitForConnected(3000));
    second.write("v 144\r");
    second.waitForBytesWritten(1000);
    first.write("V 141\r");
    first.waitForBytesWritten(1000);
    QByteArray a, b;
    for (int i = 0; i < 30 && !(a.endsWith('>') && b.endsWith('>')); ++i) {
        if (first.waitForReadyRead(50)) a += first.readAll();
        if (second.waitForReadyRead(50)) b += second.readAll();
    }
    EXPECT_EQ(a, "V 141 SERIALNUMBER \"20871\"\r\n>");
    EXPECT_EQ(b, "V 144 \"1.28\"\r\n>");

    PtyClient pty(path("port"));
    EXPECT_EQ(pty.ask("logperiod\r"), "LOGPERIOD 90\r\n>");
}

TEST_F(SimProcessTest, ReformatEndsUnaskedOnThePtyAndOnTheNextTcpConnection)
{
    SimProcess sim(onPty({"--tcp", "0", "--reformat-seconds", "1"}));
    ASSERT_TRUE(sim.ready());
    PtyClient pty(path("port"));
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(askTcp(sim.port, {"v 160\r"}), ">");
    EXPECT_EQ(pty.readUntil([](const QByteArray& b) { return b.endsWith('>'); }, 4000),
              "V 160 ON\r\n>");
    EXPECT_GE(clock.elapsed(), 900);
    // No TCP connection was open: the report leads the next reply, without a prompt of its own.
    EXPECT_EQ(askTcp(sim.port, {"tags\r"}), "V 160 ON\r\nTAGS\r\n>");
    EXPECT_EQ(askTcp(sim.port, {"tags\r"}), "TAGS\r\n>");
}

TEST_F(SimProcessTest, RepliesThatStopShortOrNeverCome)
{
    const QByteArray dump = sample("dump-tag9.reply.bin");
    {
        SimProcess sim(onPty({"--cut-dump"}));
        PtyClient pty(path("port"));
        const QByteArray cut = dump.left(dump.lastIndexOf("\r\n    6\xDF") + 2);
        EXPECT_EQ(printable(pty.askFor("tagdump  9 \r", cut.size())), printable(cut));
    }
    {
        SimProcess sim(onPty({"--no-prompt"}));
        PtyClient pty(path("port"));
        pty.send("v 144\r");
        const QByteArray line = pty.readUntil([](const QByteArray& b) { return b.endsWith('\n'); });
        EXPECT_EQ(line + pty.readFor(200), "V 144 \"1.28\"\r\n");
    }
    {
        SimProcess sim(onPty({"--silent", "--log", path("silent.log")}));
        PtyClient pty(path("port"));
        pty.send("v 144\r");
        EXPECT_EQ(pty.readFor(400), "");
        QFile log(path("silent.log"));
        ASSERT_TRUE(log.open(QIODevice::ReadOnly));
        EXPECT_EQ(log.readAll(), "v 144\r");
    }
}

TEST_F(SimProcessTest, ChunkedAndPacedRepliesArriveWholeButSlowly)
{
    const QByteArray dump = sample("dump-tag9.reply.bin");
    {
        SimProcess sim(onPty({"--chunk", "100", "--chunk-delay", "100"}));
        PtyClient pty(path("port"));
        QElapsedTimer clock;
        clock.start();
        int reads = 0;
        EXPECT_EQ(printable(pty.askFor("tagdump  9 \r", dump.size(), &reads)), printable(dump));
        EXPECT_GE(clock.elapsed(), 400);  // five chunks, four pauses
        EXPECT_GE(reads, 5);
    }
    {
        SimProcess sim(onPty({"--pace"}));
        PtyClient pty(path("port"));
        QElapsedTimer clock;
        clock.start();
        EXPECT_EQ(printable(pty.askFor("tagdump  9 \r", dump.size())), printable(dump));
        // 451 bytes at 1920 bytes a second take 235 ms.
        EXPECT_GE(clock.elapsed(), 220);
        EXPECT_LT(clock.elapsed(), 3000);
    }
}

TEST_F(SimProcessTest, DropAfterClosesTheLinkOnceTheLastReplyIsOut)
{
    SimProcess sim(onPty({"--drop-after", "2", "--tcp", "0"}));
    ASSERT_TRUE(sim.ready());
    PtyClient pty(path("port"));
    EXPECT_EQ(pty.ask("v 144\r"), "V 144 \"1.28\"\r\n>");
    EXPECT_FALSE(pty.hungUp(100));
    EXPECT_EQ(askTcp(sim.port, {"v 157\r"}), "V 157 OFF\r\n>");
    EXPECT_TRUE(pty.hungUp(2000));
    EXPECT_EQ(askTcp(sim.port, {"v 157\r"}), "no connection");
    EXPECT_TRUE(sim.output().contains("dropped"));
}

TEST_F(SimProcessTest, NoiseComesOnRequestBetweenReplies)
{
    SimProcess sim(onPty({}));
    PtyClient pty(path("port"));
    EXPECT_EQ(pty.readFor(200), "");
    sim.signal(SIGUSR1);
    const QByteArray noise =
        pty.readUntil([](const QByteArray& b) { return !b.isEmpty(); }) + pty.readFor(100);
    EXPECT_GE(noise.size(), 1);
    EXPECT_LE(noise.size(), 12);
    EXPECT_EQ(pty.ask("v 157\r"), "V 157 OFF\r\n>");  // the instrument goes on as before
}

TEST_F(SimProcessTest, LinkIsReplacedAtStartAndRemovedAtTheEnd)
{
    // A stale link from an earlier run is replaced.
    ASSERT_TRUE(QFile::link("/nonexistent/device", path("port")));
    {
        SimProcess sim(onPty({}));
        ASSERT_TRUE(sim.ready());
        EXPECT_EQ(QFileInfo(path("port")).symLinkTarget(), sim.slave);
        EXPECT_EQ(sim.stop(), 0);
        EXPECT_FALSE(QFileInfo(path("port")).isSymLink());
    }
    // A file that is not a link is left alone, and the simulator refuses to start.
    QFile plain(path("plain"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.write("keep");
    plain.close();
    SimProcess refused({"--pty", path("plain")});
    EXPECT_FALSE(refused.ready());
    EXPECT_EQ(refused.stop(), 1);
    ASSERT_TRUE(plain.open(QIODevice::ReadOnly));
    EXPECT_EQ(plain.readAll(), "keep");
}

}  // namespace
}  // namespace nesmo::sim
