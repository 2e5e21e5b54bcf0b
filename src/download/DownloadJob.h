#pragma once

#include "download/HttpDownload.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <variant>

namespace verdane {

// One download of a catalogue entry. Prepared on the user-interface thread
// (the local path, the digest), run on a worker, its result shown by the
// window. The entry is taken when the job is made, so paging meanwhile cannot
// change what is downloaded or marked.
class DownloadJob {
public:
    struct Entry {
        int category = 0;
        qsizetype index = 0;
        QString downLink;
        QString sha256; // Down_Sha256 of the entry, empty: not checked
    };

    struct Result {
        bool downloaded = false;
        // A failure's message of its own ("Internet连接错误!"), shown before "下载失败!".
        QString cause;
    };

    // The job that downloads entry into folder (whose last level it makes: a
    // missing game folder fails the download), or the text to show instead.
    static std::variant<DownloadJob, QString> prepare(Entry entry, const QString& folder);

    const Entry& entry() const { return entry_; }
    const QString& localPath() const { return localPath_; }

    // Worker thread: fetches the file. progress must hand its value on with a
    // queued call; a set cancel flag abandons the transfer (what arrived is
    // kept for the next try) and the result is not to be shown.
    Result run(const HttpDownload::Progress& progress, const std::atomic<bool>& cancel) const;

private:
    DownloadJob(Entry entry, QString localPath, QByteArray sha256);

    Entry entry_;
    QString localPath_;
    QByteArray sha256_;
};

} // namespace verdane
