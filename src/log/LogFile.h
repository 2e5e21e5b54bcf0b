#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <mutex>

namespace verdane {

// Appends lines to one file, rotated by size: when a line would take the file
// past MaxBytes, "<path>.1" becomes "<path>.2", the file becomes "<path>.1"
// and a new one begins, so KeptFiles files at most exist. A line that cannot
// be written (an unwritable folder, a full disk) is lost without a word: the
// log never stops the program. Safe to use from any thread.
class LogFile {
public:
    static constexpr qint64 MaxBytes = 1024 * 1024;
    static constexpr int KeptFiles = 3;

    explicit LogFile(const QString& path);

    void append(const QByteArray& line);

private:
    void rotate() const;

    QByteArray path_;
    std::mutex mutex_;
};

} // namespace verdane
