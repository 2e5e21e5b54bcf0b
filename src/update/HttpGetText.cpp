#include "update/HttpGetText.h"

#include "log/LogCategories.h"

#include <curl/curl.h>

#include <algorithm>
#include <memory>

namespace verdane {

namespace {

constexpr qsizetype MaxBody = 1 << 20;
constexpr long ConnectTimeoutMs = 3000;
constexpr long StallSeconds = 5;

struct Fetch {
    CURL* curl = nullptr;
    QByteArray body;
};

// Runs on the calling thread inside curl_easy_perform.
size_t collectBody(char* data, size_t size, size_t count, void* user)
{
    auto* fetch = static_cast<Fetch*>(user);
    long status = 0;
    curl_easy_getinfo(fetch->curl, CURLINFO_RESPONSE_CODE, &status);
    const size_t bytes = size * count;
    // Any other status: the body is not read at all.
    if (status != 200 || fetch->body.size() + static_cast<qsizetype>(bytes) > MaxBody)
        return 0;
    fetch->body.append(data, static_cast<qsizetype>(bytes));
    return bytes;
}

bool namesPort(const QString& server)
{
    const qsizetype colon = server.lastIndexOf(u':');
    if (colon < 0 || colon < server.lastIndexOf(u']') || colon + 1 == server.size())
        return false;
    for (qsizetype i = colon + 1; i < server.size(); ++i) {
        if (!server.at(i).isDigit())
            return false;
    }
    return true;
}

// Why the version text did not come, for the log.
QString fetchCause(CURLcode code, const char* error, long status)
{
    if (status != 0 && status != 200)
        return QStringLiteral("the server answered HTTP status %1").arg(status);
    if (code == CURLE_WRITE_ERROR)
        return QStringLiteral("the answer is longer than %1 bytes").arg(MaxBody);
    return QString::fromUtf8(*error != 0 ? error : curl_easy_strerror(code));
}

} // namespace

ServerAndPath splitServerAndPath(const QString& url)
{
    const qsizetype doubleSlash = url.indexOf(QStringLiteral("//"));
    const qsizetype slash = url.indexOf(u'/', doubleSlash + 2);
    ServerAndPath result;
    result.server = slash < 0 ? url : url.left(slash);
    result.path = url;
    if (!result.server.isEmpty())
        result.path.remove(result.server);
    result.server.remove(QStringLiteral("http://"));
    return result;
}

QByteArray httpGetText(const QString& url, quint16 port, std::chrono::milliseconds limit)
{
    ServerAndPath target = splitServerAndPath(url);
    // What is left of a scheme other than http (https://, ftp://...) is refused.
    if (target.server.isEmpty() || target.server.contains(QStringLiteral("://")))
        return {};
    if (!namesPort(target.server))
        target.server += u':' + QString::number(port);
    if (!target.path.startsWith(u'/'))
        target.path.prepend(u'/');
    const QByteArray address = "http://" + target.server.toUtf8() + target.path.toUtf8();

    std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), curl_easy_cleanup);
    if (!curl)
        return {};
    Fetch fetch;
    fetch.curl = curl.get();
    CURL* handle = curl.get();
    curl_easy_setopt(handle, CURLOPT_URL, address.constData());
    curl_easy_setopt(handle, CURLOPT_USERAGENT, "My_Session");
    curl_easy_setopt(handle, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http");
    curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS,
                     std::min(ConnectTimeoutMs, static_cast<long>(limit.count())));
    curl_easy_setopt(handle, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(handle, CURLOPT_LOW_SPEED_TIME, StallSeconds);
    curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, static_cast<long>(limit.count()));
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, collectBody);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &fetch);
    char error[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, error);
    const CURLcode code = curl_easy_perform(handle);
    long status = 0;
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
    if (code == CURLE_OK && status == 200)
        return fetch.body;
    qCWarning(lcUpdate).noquote() << QStringLiteral("fetching %1 failed: %2")
                                         .arg(QString::fromUtf8(address),
                                              fetchCause(code, error, status));
    return {};
}

} // namespace verdane
