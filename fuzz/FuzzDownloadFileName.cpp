// The local file name of a download link, on any link.

#include "FuzzCheck.h"

#include "download/DownloadFileName.h"

#include <QFile>

using verdane::fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString link = verdane::fuzz::text(data, size);
    const QString name = verdane::downloadFileName(link);
    if (name.isEmpty())
        return 0;
    // A name that can only ever name a file inside the download folder.
    require(!name.contains(u'/') && !name.contains(u'\\'), "no separator in the name");
    require(!name.startsWith(u'.'), "no leading dot (\".\", \"..\", hidden files)");
    for (const QChar character : name)
        require(character.unicode() >= 0x20 &&
                    (character.unicode() < 0x7f || character.unicode() > 0x9f),
                "no control character");
    require(QFile::encodeName(name).size() <= 255, "at most 255 bytes on disk");
    require(link.endsWith(name) || link.endsWith(name + u'/'), "the name is the link's last piece");
    return 0;
}
