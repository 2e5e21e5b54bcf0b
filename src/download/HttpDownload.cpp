#include "download/HttpDownload.h"

#include "common/WebAddress.h"
#include "download/DownloadTempFile.h"
#include "download/FileHasher.h"
#include "log/LogCategories.h"

#include <QLoggingCategory>
#include <QRegularExpression>
#include <QUrl>

#include <curl/curl.h>
#include <fcntl.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <memory>

namespace verdane {

namespace {

// The traces of each request and answer (what was asked for, how the answer
// was taken) are debug messages, off by default;
// QT_LOGGING_RULES="verdane.download.debug=true" shows them.

// What libcurl reads from the socket at a time: one read and one poll per
// half MiB at most, instead of per 16 KiB block. It still hands the body to
// storeBlock in pieces of at most CURL_MAX_WRITE_SIZE (16 KiB), which are
// written and reported as they come.
constexpr long ReadSize = 512 * 1024;
// The body is pushed towards the disk in windows of this size while it
// arrives, so that the sync before the rename has only the last one to wait for.
constexpr qint64 WriteBackWindow = qint64(8) << 20;

__extension__ typedef unsigned __int128 WideCount;

using Clock = std::chrono::steady_clock;

struct Transfer {
    CURL* curl = nullptr;
    Clock::duration stallLimit{};
    const std::atomic<bool>* cancel = nullptr;
    Clock::time_point lastByte = Clock::now();
    curl_off_t lastCount = 0;
    QString localPath;
    QByteArray address;
    DownloadTempFile* file = nullptr;
    bool hashing = false;               // a digest is asked for
    std::unique_ptr<FileHasher> hasher; // follows the file once it is open
    qint64 offset = 0;                  // the partial's size when the rest was asked for
    bool bodyStarted = false;
    bool restart = false;   // the partial does not fit the answer: ask for the whole body
    bool continued = false; // the answer is the rest of the partial
    DownloadFailure failure = DownloadFailure::None;
    int fileError = 0; // errno of the failed file operation
    qint64 expected = 0;
    qint64 maxBytes = 0;
    qint64 received = 0;
    qint64 writtenBack = 0;
    int lastPercent = -1;
    const HttpDownload::Progress* progress = nullptr;
};

long responseStatus(CURL* curl)
{
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    return status;
}

// A header of the final answer (after redirects), empty when it has none.
QByteArray answerHeader(CURL* curl, const char* name)
{
    curl_header* header = nullptr;
    if (curl_easy_header(curl, name, 0, CURLH_HEADER, -1, &header) != CURLHE_OK)
        return {};
    return QByteArray(header->value).trimmed();
}

// What a later download can send in If-Range: a strong ETag, else Last-Modified.
QByteArray answerValidator(CURL* curl)
{
    const QByteArray etag = answerHeader(curl, "ETag");
    if (etag.startsWith('"') && etag.size() > 1 && etag.endsWith('"'))
        return etag;
    return answerHeader(curl, "Last-Modified");
}

void reportProgress(Transfer& transfer)
{
    if (transfer.expected <= 0 || !*transfer.progress)
        return;
    const int percent = downloadPercent(transfer.received, transfer.expected);
    if (percent != transfer.lastPercent) {
        transfer.lastPercent = percent;
        (*transfer.progress)(percent);
    }
}

// A 206 continues the partial only when it starts where the partial ends, runs
// to the end of the same file and carries the partial's validator (a server
// that ignores If-Range sends the new one). Sets the whole length.
bool continuesPartial(Transfer& transfer)
{
    const ResumeRecord& record = transfer.file->record();
    const QByteArray range = answerHeader(transfer.curl, "Content-Range");
    static const QRegularExpression form(QStringLiteral(R"(^bytes (\d+)-(\d+)/(\d+)$)"));
    const QRegularExpressionMatch match = form.match(QString::fromLatin1(range));
    if (!match.hasMatch())
        return false;
    const qint64 first = match.captured(1).toLongLong();
    const qint64 last = match.captured(2).toLongLong();
    const qint64 length = match.captured(3).toLongLong();
    if (first != transfer.offset || last + 1 != length ||
        (record.length >= 0 && length != record.length))
        return false;
    const QByteArray validator =
        answerHeader(transfer.curl, record.isEtag() ? "ETag" : "Last-Modified");
    if (!validator.isEmpty() && validator != record.validator)
        return false;
    transfer.expected = length;
    return true;
}

// Once the final answer's headers are in: continue the partial with a 206 that
// fits it, or else refuse anything but 2xx before a byte of it is stored and
// open a new file beside the target.
bool startBody(Transfer& transfer)
{
    transfer.bodyStarted = true;
    const long status = responseStatus(transfer.curl);
    if (transfer.offset > 0 && (status == 206 || status == 416)) {
        if (status == 416 || !continuesPartial(transfer)) {
            transfer.restart = true;
            return false;
        }
        transfer.continued = true;
        transfer.received = transfer.writtenBack = transfer.offset;
        if (transfer.hashing) {
            // The partial's bytes are read back first.
            transfer.hasher = std::make_unique<FileHasher>(transfer.file->handle());
            transfer.hasher->advance(transfer.received);
        }
        reportProgress(transfer);
        return true;
    }
    // A 206 nobody asked for is no whole body either.
    if (status < 200 || status > 299 || status == 206) {
        transfer.failure = DownloadFailure::Status;
        return false;
    }
    curl_off_t length = -1;
    if (curl_easy_getinfo(transfer.curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) == CURLE_OK &&
        length > 0)
        transfer.expected = static_cast<qint64>(length);
    if (transfer.maxBytes > 0 && transfer.expected > transfer.maxBytes) {
        transfer.failure = DownloadFailure::TooLarge;
        return false;
    }
    ResumeRecord record{transfer.address,
                        {},
                        answerValidator(transfer.curl),
                        transfer.expected > 0 ? transfer.expected : -1};
    const bool resumable = !record.validator.isEmpty() && transfer.expected > 0;
    errno = 0;
    if (!transfer.file->open(transfer.localPath, resumable ? &record : nullptr)) {
        transfer.fileError = errno;
        transfer.failure = DownloadFailure::CreateFile;
        return false;
    }
    if (transfer.hashing)
        transfer.hasher = std::make_unique<FileHasher>(transfer.file->handle());
    return true;
}

// Runs on the download thread inside curl_easy_perform, once per block read.
size_t storeBlock(char* data, size_t size, size_t count, void* user)
{
    auto* transfer = static_cast<Transfer*>(user);
    if (!transfer->bodyStarted && !startBody(*transfer))
        return 0;
    const auto bytes = static_cast<qint64>(size * count);
    if (transfer->maxBytes > 0 && transfer->received + bytes > transfer->maxBytes) {
        transfer->failure = DownloadFailure::TooLarge;
        return 0;
    }
    if (!transfer->file->write(data, bytes)) {
        transfer->fileError = errno;
        transfer->failure = DownloadFailure::Write;
        return 0;
    }
    transfer->received += bytes;
    if (transfer->hasher)
        transfer->hasher->advance(transfer->received);
    if (transfer->received - transfer->writtenBack >= WriteBackWindow) {
        // Starts the write-out only; errors show up at the sync of the commit.
        ::sync_file_range(transfer->file->handle(), transfer->writtenBack,
                          transfer->received - transfer->writtenBack, SYNC_FILE_RANGE_WRITE);
        transfer->writtenBack = transfer->received;
    }
    reportProgress(*transfer);
    return size * count;
}

// Runs on the download thread inside curl_easy_perform, about once a second
// while nothing arrives and after every read: ends a transfer that has had no
// byte for the stall limit, whether it waits for the answer or for the body.
int watchForStall(void* user, curl_off_t, curl_off_t received, curl_off_t, curl_off_t)
{
    auto* transfer = static_cast<Transfer*>(user);
    if (transfer->cancel != nullptr && transfer->cancel->load())
        return 1;
    const Clock::time_point now = Clock::now();
    if (received != transfer->lastCount) {
        transfer->lastCount = received;
        transfer->lastByte = now;
        return 0;
    }
    return now - transfer->lastByte >= transfer->stallLimit ? 1 : 0;
}

QByteArray agentName()
{
    const auto now = Clock::now().time_since_epoch();
    const long milliseconds =
        static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
    return "Agent" + QByteArray::number(milliseconds);
}

// Spaces and non-ASCII characters of the link go percent-encoded on the wire.
QByteArray wireAddress(const QString& url)
{
    const QUrl parsed(url, QUrl::TolerantMode);
    return isWebUrl(parsed) ? parsed.toEncoded() : QByteArray();
}

QString fileErrorText(const char* what, int error)
{
    return error != 0 ? QStringLiteral("%1: %2").arg(QLatin1String(what),
                                                     QString::fromLocal8Bit(std::strerror(error)))
                      : QLatin1String(what);
}

// Why the transfer failed, for the log.
QString transferCause(const Transfer& transfer, CURLcode code, const char* curlError, long status,
                      int stallSeconds)
{
    const QString curlText =
        QString::fromUtf8(*curlError != 0 ? curlError : curl_easy_strerror(code));
    switch (transfer.failure) {
    case DownloadFailure::Status:
        return QStringLiteral("HTTP status %1").arg(status);
    case DownloadFailure::CreateFile:
        return fileErrorText("cannot create the file", transfer.fileError);
    case DownloadFailure::Write:
        return fileErrorText("cannot write the file", transfer.fileError);
    case DownloadFailure::Checksum:
        return QStringLiteral("the SHA-256 of the body is not the catalogue's");
    case DownloadFailure::TooLarge:
        return QStringLiteral("the body is longer than %1 bytes").arg(transfer.maxBytes);
    case DownloadFailure::Read:
        return QStringLiteral("the body broke off after %1 of %2 bytes: %3")
            .arg(transfer.received)
            .arg(transfer.expected > 0 ? QString::number(transfer.expected) : QStringLiteral("?"))
            .arg(code == CURLE_OK ? QStringLiteral("the connection closed")
                 : code == CURLE_ABORTED_BY_CALLBACK
                     ? QStringLiteral("no data for %1 s").arg(stallSeconds)
                     : curlText);
    default:
        return code == CURLE_ABORTED_BY_CALLBACK
                   ? QStringLiteral("no answer for %1 s").arg(stallSeconds)
                   : curlText;
    }
}

} // namespace

HttpDownload::HttpDownload(Progress progress, DownloadLimits limits)
    : progress_(std::move(progress))
    , limits_(limits)
{
}

QString HttpDownload::failureMessage() const
{
    switch (failure_) {
    case DownloadFailure::Session:
        return QStringLiteral("Internet连接错误!");
    case DownloadFailure::Read:
        return QStringLiteral("读文件出错!");
    default:
        return {};
    }
}

int HttpDownload::downloadFile(const QString& url, const QString& localPath,
                               const QByteArray& sha256)
{
    const int result = fetch(url, localPath, sha256);
    const QString address = addressForLog(url);
    if (result == 0)
        qCInfo(lcDownload).noquote() << QStringLiteral("downloaded %1 to %2 (%3 bytes)")
                                            .arg(address, localPath)
                                            .arg(received_);
    else if (limits_.cancel != nullptr && limits_.cancel->load())
        qCInfo(lcDownload).noquote()
            << QStringLiteral("download of %1 to %2 abandoned").arg(address, localPath);
    else
        qCWarning(lcDownload).noquote()
            << QStringLiteral("download of %1 to %2 failed: %3").arg(address, localPath, cause_);
    return result;
}

int HttpDownload::fetch(const QString& url, const QString& localPath, const QByteArray& sha256)
{
    failure_ = DownloadFailure::None;
    cause_.clear();
    received_ = 0;
    resumedFrom_ = 0;

    std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), curl_easy_cleanup);
    if (!curl) {
        cause_ = QStringLiteral("libcurl could not set up a session");
        failure_ = DownloadFailure::Session;
        return -1;
    }
    const QByteArray address = wireAddress(url);
    if (address.isEmpty()) {
        cause_ = QStringLiteral("not an http or https address");
        failure_ = DownloadFailure::Address;
        return -1;
    }
    const QByteArray agent = agentName();
    DownloadTempFile file;
    qint64 offset = file.resume(localPath, address);

    CURL* handle = curl.get();
    curl_easy_setopt(handle, CURLOPT_URL, address.constData());
    curl_easy_setopt(handle, CURLOPT_USERAGENT, agent.constData());
    curl_easy_setopt(handle, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(handle, CURLOPT_MAXREDIRS, static_cast<long>(limits_.maxRedirects));
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT,
                     static_cast<long>(limits_.connectTimeoutSeconds));
    curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, watchForStall);
    curl_easy_setopt(handle, CURLOPT_BUFFERSIZE, ReadSize);
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, storeBlock);

    char curlError[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, curlError);
    CURLcode code = CURLE_OK;
    long httpStatus = 0;

    // At most two requests: the rest of a partial, then, if the answer does not
    // fit the partial, the whole body.
    Transfer transfer;
    for (int attempt = 0; attempt < 2; ++attempt) {
        const QByteArray range = QByteArray::number(offset) + '-';
        const QByteArray ifRange = "If-Range: " + file.record().validator;
        curl_slist* lines = nullptr;
        bool listed = true;
        for (const QByteArray& line :
             {QByteArray("Accept: */*"), QByteArray("Cache-Control: no-cache"),
              QByteArray("Pragma: no-cache"), ifRange}) {
            if (line == ifRange && offset == 0)
                continue;
            curl_slist* extended = curl_slist_append(lines, line.constData());
            listed = extended != nullptr;
            if (!listed)
                break;
            lines = extended;
        }
        std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)> headers(lines,
                                                                            curl_slist_free_all);
        if (!listed) {
            cause_ = QStringLiteral("libcurl could not set up a session");
            failure_ = DownloadFailure::Session;
            return -1;
        }
        transfer = Transfer();
        transfer.curl = handle;
        transfer.localPath = localPath;
        transfer.address = address;
        transfer.file = &file;
        transfer.offset = offset;
        transfer.progress = &progress_;
        transfer.stallLimit = std::chrono::seconds(limits_.stallSeconds);
        transfer.cancel = limits_.cancel;
        transfer.maxBytes = limits_.maxBytes;
        transfer.hashing = !sha256.isEmpty();
        curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headers.get());
        curl_easy_setopt(handle, CURLOPT_RANGE, offset > 0 ? range.constData() : nullptr);
        curl_easy_setopt(handle, CURLOPT_XFERINFODATA, &transfer);
        curl_easy_setopt(handle, CURLOPT_WRITEDATA, &transfer);

        if (offset > 0)
            qCDebug(lcDownload).noquote()
                << QStringLiteral("asking %1 for the rest from byte %2 (If-Range: %3)")
                       .arg(addressForLog(url))
                       .arg(offset)
                       .arg(QString::fromLatin1(file.record().validator));
        else
            qCDebug(lcDownload).noquote()
                << QStringLiteral("asking %1 for the whole file").arg(addressForLog(url));
        code = curl_easy_perform(handle);
        httpStatus = responseStatus(handle);
        // A body of 0 bytes never reached storeBlock.
        if (code == CURLE_OK && !transfer.bodyStarted)
            startBody(transfer);
        if (transfer.continued)
            qCDebug(lcDownload).noquote()
                << QStringLiteral("HTTP %1 continued the partial of %2 bytes")
                       .arg(httpStatus)
                       .arg(offset);
        if (transfer.restart) {
            qCDebug(lcDownload).noquote()
                << QStringLiteral("HTTP %1 does not fit the partial of %2 bytes: it is dropped")
                       .arg(httpStatus)
                       .arg(offset);
            transfer.hasher.reset();
            file.discard();
            offset = 0;
            continue;
        }
        if (code == CURLE_OK) {
            if (transfer.failure == DownloadFailure::None) {
                if (transfer.expected > 0 && transfer.received != transfer.expected)
                    transfer.failure = DownloadFailure::Read;
                else if (transfer.hashing &&
                         (!transfer.hasher || transfer.hasher->finish(transfer.received) != sha256))
                    transfer.failure = DownloadFailure::Checksum;
                else if (errno = 0; !file.commit()) {
                    transfer.fileError = errno;
                    transfer.failure = DownloadFailure::Write;
                }
            }
        } else if (transfer.failure == DownloadFailure::None) {
            transfer.failure =
                transfer.bodyStarted ? DownloadFailure::Read : DownloadFailure::Connect;
        }
        break;
    }
    // Its thread reads the file: done with before the file is closed.
    transfer.hasher.reset();
    failure_ = transfer.failure;
    received_ = transfer.received;
    resumedFrom_ = transfer.continued ? transfer.offset : 0;
    if (failure_ == DownloadFailure::None)
        return 0;
    cause_ = transferCause(transfer, code, curlError, httpStatus, limits_.stallSeconds);
    // What broke off stays for the next try; a body that cannot be stored or
    // is not the one asked for does not.
    if (failure_ == DownloadFailure::Write || failure_ == DownloadFailure::Checksum ||
        failure_ == DownloadFailure::TooLarge)
        file.discard();
    else
        file.keep();
    return -1;
}

QString addressForLog(const QString& url)
{
    const QUrl parsed(url, QUrl::TolerantMode);
    return parsed.isValid() ? parsed.toString(QUrl::RemoveUserInfo)
                            : QStringLiteral("(not an address)");
}

int downloadPercent(qint64 received, qint64 expected)
{
    if (expected <= 0 || received <= 0)
        return 0;
    if (received >= expected)
        return 100;
    // received * 100 overflows 64 bits from about 92 PB on: 128-bit product.
    const auto percent = static_cast<WideCount>(received) * 100 / static_cast<WideCount>(expected);
    return static_cast<int>(percent);
}

int progressBarPosition(int percent)
{
    return 4 * percent;
}

QString downloadStatusText(int percent)
{
    return QStringLiteral("下载状态：已接收数据%1%").arg(percent);
}

} // namespace verdane
