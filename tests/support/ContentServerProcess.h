#pragma once

#include <QProcess>
#include <QString>

namespace verdane::test {

// The repository's content server on 127.0.0.1, on a free port, serving a
// folder; stopped when the object goes away.
class ContentServerProcess {
public:
    explicit ContentServerProcess(const QString& root, const QString& requestLog = {});
    ~ContentServerProcess();

    bool started() const { return port_ != 0; }
    int port() const { return port_; }
    QString host() const { return QStringLiteral("127.0.0.1:%1").arg(port_); }
    QString url(const QString& path) const { return QStringLiteral("http://") + host() + path; }

private:
    QProcess process_;
    int port_ = 0;
};

// The folders CTest names.
inline QString sourceDir()
{
    return qEnvironmentVariable("VERDANE_SOURCE_DIR");
}

inline QString binaryDir()
{
    return qEnvironmentVariable("VERDANE_BINARY_DIR");
}

} // namespace verdane::test
