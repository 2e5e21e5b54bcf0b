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
    QString host() const;                   // 127.0.0.1:<port>
    QString url(const QString& path) const; // http://127.0.0.1:<port><path>

private:
    QProcess process_;
    int port_ = 0;
};

QString sourceDir();
QString binaryDir();

} // namespace verdane::test
