#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace verdane::fuzz {

// A broken promise of the code under test: stops the run with a crash that
// libFuzzer records together with the input.
inline void require(bool condition, const char* promise)
{
    if (!condition) {
        std::fprintf(stderr, "broken: %s\n", promise);
        std::abort();
    }
}

inline QByteArray bytes(const uint8_t* data, size_t size)
{
    return QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

// The input as text the way the program gets it from a file or the network.
inline QString text(const uint8_t* data, size_t size)
{
    return QString::fromUtf8(bytes(data, size));
}

} // namespace verdane::fuzz
