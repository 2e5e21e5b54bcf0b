#pragma once

#include <QByteArray>
#include <QStringView>
#include <QtGlobal>

#include <memory>

namespace verdane {

// SHA-256 of a stream of blocks, added as they are written.
class Sha256 {
public:
    static constexpr qsizetype Size = 32;

    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    void add(const char* data, qint64 size);
    // The 32 bytes of the digest; the object then starts over.
    QByteArray result();

    // The 32 bytes that 64 hexadecimal digits (either case) stand for; empty
    // for any other text.
    static QByteArray fromHex(QStringView text);

private:
    struct Context;
    std::unique_ptr<Context> context_;
};

} // namespace verdane
