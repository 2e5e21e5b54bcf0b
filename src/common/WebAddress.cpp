#include "common/WebAddress.h"

namespace verdane {

bool isWebUrl(const QUrl& url)
{
    const QString scheme = url.scheme();
    return url.isValid() && (scheme == u"http" || scheme == u"https") && !url.host().isEmpty();
}

bool isWebAddress(const QString& address)
{
    const bool webScheme = address.startsWith(u"http://", Qt::CaseInsensitive) ||
                           address.startsWith(u"https://", Qt::CaseInsensitive);
    return webScheme && isWebUrl(QUrl(address));
}

} // namespace verdane
