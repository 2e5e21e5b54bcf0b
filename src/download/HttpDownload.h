#pragma once

#include <QString>
#include <QtGlobal>

#include <atomic>
#include <functional>

namespace verdane {

// Why a download failed. Only Session and Read come with a message of their
// own (failureMessage()); every failure ends with the caller's "下载失败!".
enum class DownloadFailure {
    None,
    Session,    // no HTTP session could be set up
    Address,    // not an http or https address
    Connect,    // no usable answer: name, connection, protocol, refused redirect, time-out
    Status,     // an answer other than 2xx; its body is never written
    CreateFile, // the local file cannot be created
    Read,       // the body broke off: cut short, stalled or a receive error
    Write,      // the local file could not be written completely (full disk...)
};

struct DownloadLimits {
    int connectTimeoutSeconds = 10;
    // No byte for this long ends the download as a failure.
    int stallSeconds = 30;
    int maxRedirects = 5;
    // When set (from any thread) the transfer is abandoned within about a second.
    const std::atomic<bool>* cancel = nullptr;
};

// Fetches one file over HTTP or HTTPS into one local path. The body goes to a
// temporary file in the target folder which replaces the local path only when
// the whole body has arrived and reached the disk: a failed download leaves an
// older copy as it was and no partial file behind, and what a killed process
// may have left is cleared away by the next download into that folder
// (DownloadTempFile).
class HttpDownload {
public:
    // Called on the thread that runs DownloadFile, after a block has been
    // written, on the first block and whenever the percentage changes; only
    // when the server sent a Content-Length. It must return quickly (hand the
    // value on with a queued call).
    using Progress = std::function<void(int percent)>;

    explicit HttpDownload(Progress progress = {}, DownloadLimits limits = {});

    // 0 when the whole body has been received and stored, -1 on any failure.
    // Blocks the calling thread (the download worker) for the whole transfer.
    // Leaves one line in the log: the file stored, or why it was not.
    int DownloadFile(const QString& url, const QString& localPath);

    DownloadFailure failure() const { return failure_; }
    // "Internet连接错误!" or "读文件出错!" for the failures that have their own
    // message, empty for the others.
    QString failureMessage() const;
    long httpStatus() const { return httpStatus_; }
    qint64 expectedLength() const { return expected_; } // 0 without Content-Length
    qint64 receivedLength() const { return received_; }

private:
    int fetch(const QString& url, const QString& localPath);

    Progress progress_;
    DownloadLimits limits_;
    DownloadFailure failure_ = DownloadFailure::None;
    QString cause_; // for the log
    long httpStatus_ = 0;
    qint64 expected_ = 0;
    qint64 received_ = 0;
};

// A link as the log shows it: without user name and password.
QString AddressForLog(const QString& url);

// received * 100 / expected, integer division, exact for any 64-bit lengths;
// 0 when expected is 0.
int DownloadPercent(qint64 received, qint64 expected);
// The download dialog's bar position for a percentage: 4 x percent.
int ProgressBarPosition(int percent);
// "下载状态：已接收数据42%"
QString DownloadStatusText(int percent);

} // namespace verdane
