#include "catalogue/FolderNames.h"

#include <QFile>
#include <QStringConverter>

#include <dirent.h>

#include <cstring>
#include <memory>

namespace verdane {

namespace {

struct DirCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};

} // namespace

const NameSet& FolderNames::of(const QString& folder)
{
    // Stamped before reading: a change while the folder is read shows as a
    // different stamp next time.
    const FileStamp stamp = FileStamp::of(folder);
    if (read_ && folder == folder_ && stamp == stamp_ && stamp_.settled())
        return names_;
    folder_ = folder;
    stamp_ = stamp;
    read_ = true;
    names_.clear();
    if (!stamp.exists())
        return names_;
    std::unique_ptr<DIR, DirCloser> dir(opendir(QFile::encodeName(folder).constData()));
    if (!dir)
        return names_;
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString name;
    while (const dirent* entry = readdir(dir.get())) {
        const QByteArrayView bytes(entry->d_name, qsizetype(std::strlen(entry->d_name)));
        if (bytes == "." || bytes == "..")
            continue;
        // Decoded into one buffer: UTF-16 never needs more units than UTF-8 has bytes.
        name.resize(bytes.size());
        const QChar* end = decoder.appendToBuffer(name.data(), bytes);
        names_.insert(QStringView(name.constData(), end - name.constData()));
    }
    return names_;
}

} // namespace verdane
