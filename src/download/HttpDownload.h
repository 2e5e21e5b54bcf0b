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
    Checksum,   // the body's SHA-256 is not the one asked for
    TooLarge,   // the body is longer than DownloadLimits::maxBytes
};

struct DownloadLimits {
    int connectTimeoutSeconds = 10;
    // No byte for this long ends the download as a failure.
    int stallSeconds = 30;
    int maxRedirects = 5;
    // When set (from any thread) the transfer is abandoned within about a second.
    const std::atomic<bool>* cancel = nullptr;
    // When above 0, a body (or a Content-Length) longer than this ends the
    // transfer as soon as it shows, and nothing of it is kept.
    qint64 maxBytes = 0;
};

// Fetches one file over HTTP or HTTPS into one local path. The body goes to a
// temporary file in the target folder which replaces the local path only when
// the whole body has arrived, matches the SHA-256 asked for (if any) and has
// reached the disk: a failed download leaves an older copy as it was.
//
// A body that breaks off is kept in a hidden partial file when its answer
// carried a validator (a strong ETag, else Last-Modified); the next download
// of the same link into the same path asks only for the rest ("Range" with
// "If-Range"). A 206 whose Content-Range and validator fit is appended; a 200
// (the file changed, or no ranges) is stored from the start; a 416 or a 206
// that does not fit drops the partial and asks once more for the whole body.
// See DownloadTempFile for the partials and the sweep of the folder.
class HttpDownload {
public:
    // Called on the thread that runs downloadFile, after a block has been
    // written, on the first block and whenever the percentage changes; only
    // when the server sent a Content-Length. A continued partial reports its
    // share at once, before the first new block. It must return quickly (hand the
    // value on with a queued call).
    using Progress = std::function<void(int percent)>;

    explicit HttpDownload(Progress progress = {}, DownloadLimits limits = {});

    // 0 when the whole body has been received and stored, -1 on any failure.
    // With sha256 (32 bytes, see Sha256::fromHex) the body must have that digest.
    // Blocks the calling thread (the download worker) for the whole transfer.
    // Leaves one line in the log: the file stored, or why it was not.
    int downloadFile(const QString& url, const QString& localPath, const QByteArray& sha256 = {});

    DownloadFailure failure() const { return failure_; }
    // "Internet连接错误!" or "读文件出错!" for the failures that have their own
    // message, empty for the others.
    QString failureMessage() const;
    // The size of the partial that the last answer continued, else 0.
    qint64 resumedFrom() const { return resumedFrom_; }

private:
    int fetch(const QString& url, const QString& localPath, const QByteArray& sha256);

    Progress progress_;
    DownloadLimits limits_;
    DownloadFailure failure_ = DownloadFailure::None;
    QString cause_;       // for the log
    qint64 received_ = 0; // for the log; the partial's bytes included
    qint64 resumedFrom_ = 0;
};

// A link as the log shows it: without user name and password.
QString addressForLog(const QString& url);

// received * 100 / expected, integer division, exact for any 64-bit lengths;
// 0 when expected is 0.
int downloadPercent(qint64 received, qint64 expected);
// The download dialog's bar position for a percentage: 4 x percent.
int progressBarPosition(int percent);
// "下载状态：已接收数据42%"
QString downloadStatusText(int percent);

} // namespace verdane
