#pragma once

#include <QSocketNotifier>
#include <QString>

#include <memory>

#include "sim/endpoint.h"

namespace nesmo::sim {

// The instrument's serial line as a pseudo-terminal: the simulator holds the
// master side in raw mode, and a symbolic link names the slave device for the
// program to open. The simulator also keeps the slave open itself, so that
// the master neither hangs up nor fails while the program has the port closed.
class PtyEndpoint : public Endpoint {
    Q_OBJECT
public:
    // Creates the pair and the link at linkPath (an existing symbolic link is
    // replaced; any other file there is an error). Null with error set on failure.
    static std::unique_ptr<PtyEndpoint> create(const QString& linkPath, const OutputShape& shape,
                                               QString& error);
    ~PtyEndpoint() override;

    QString slavePath() const { return m_slavePath; }
    bool isOpen() const override { return m_master >= 0; }
    // Closes both sides: the program's port sees the device go away. The link
    // stays until the endpoint is destroyed.
    void close() override;

protected:
    qint64 writeSome(const char* data, qint64 size) override;

private:
    PtyEndpoint(int master, int slave, QString slavePath, QString linkPath,
                const OutputShape& shape);
    void readAvailable();

    int m_master = -1;
    int m_slave = -1;
    QString m_slavePath;
    QString m_linkPath;
    std::unique_ptr<QSocketNotifier> m_readNotifier;
    std::unique_ptr<QSocketNotifier> m_writeNotifier;
};

}  // namespace nesmo::sim
