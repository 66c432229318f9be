#pragma once

#include <QByteArray>
#include <memory>

namespace nesmo::sim {

// The rest of a reply that the instrument makes while the link takes it: the
// record lines of a dump, which it reads from its memory as it sends.
class ReplyStream {
public:
    virtual ~ReplyStream() = default;
    // Appends about `want` more bytes; false, appending nothing, once none are left.
    virtual bool more(QByteArray& out, qsizetype want) = 0;
};

// A reply: bytes to send at once and, when there is more, the stream of the rest.
struct Reply {
    QByteArray bytes;
    std::shared_ptr<ReplyStream> rest;
};

}  // namespace nesmo::sim
