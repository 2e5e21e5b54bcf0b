#include "download/DownloadFileName.h"

#include "common/SplitText.h"

#include <QFile>
#include <QStringList>

namespace verdane {

namespace {

constexpr qsizetype kMaxNameBytes = 255;

bool isControl(QChar character)
{
    const char16_t code = character.unicode();
    return code < 0x20 || (code >= 0x7f && code <= 0x9f);
}

} // namespace

QString DownloadFileName(const QString& link)
{
    QStringList pieces;
    SplitText(link, u'/', pieces);
    if (pieces.isEmpty())
        return {};
    const QString name = pieces.last();
    // A leading dot covers "." and ".." and hidden files.
    if (name.isEmpty() || name.startsWith(u'.') || name.contains(u'\\'))
        return {};
    for (const QChar character : name) {
        if (isControl(character))
            return {};
    }
    if (QFile::encodeName(name).size() > kMaxNameBytes)
        return {};
    return name;
}

} // namespace verdane
