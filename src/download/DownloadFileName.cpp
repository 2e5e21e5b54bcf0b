#include "download/DownloadFileName.h"

#include "common/LastLinkPiece.h"

#include <QFile>

namespace verdane {

namespace {

constexpr qsizetype MaxNameBytes = 255;

bool isControl(QChar character)
{
    const char16_t code = character.unicode();
    return code < 0x20 || (code >= 0x7f && code <= 0x9f);
}

} // namespace

QString downloadFileName(const QString& link)
{
    const QString name = lastLinkPiece(link).toString();
    // A leading dot covers "." and ".." and hidden files.
    if (name.isEmpty() || name.startsWith(u'.') || name.contains(u'\\'))
        return {};
    for (const QChar character : name) {
        if (isControl(character))
            return {};
    }
    if (QFile::encodeName(name).size() > MaxNameBytes)
        return {};
    return name;
}

} // namespace verdane
