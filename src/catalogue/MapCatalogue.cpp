#include "catalogue/MapCatalogue.h"

#include "settings/ProgramSettings.h"

#include <QFile>
#include <QStringConverter>

#include <dirent.h>

#include <cstring>
#include <vector>

namespace verdane {

namespace {

// Closes a directory stream on every way out.
struct DirCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};

} // namespace

MapCatalogue::MapCatalogue(const QString& file)
    : conn_(file)
{
}

QString MapCatalogue::categoryQuery(int category)
{
    return QString::asprintf("select * from ZarnMapDB where Maptype = %d order by UpdateTime desc",
                             category);
}

bool MapCatalogue::loadCategory(int category)
{
    resultSet_ = conn_.executeSql(categoryQuery(category));
    if (!resultSet_ || resultSet_->IsEof())
        return false;

    RecordSet& rows = *resultSet_;
    const int mapName = rows.columnIndex(QStringLiteral("MapName"));
    const int mapExplain = rows.columnIndex(QStringLiteral("MapExplain"));
    const int picLink = rows.columnIndex(QStringLiteral("Pic_Link"));
    const int downLink = rows.columnIndex(QStringLiteral("Down_Link"));
    const int explainLink = rows.columnIndex(QStringLiteral("ExplainLink"));
    const int sha256 = rows.optionalColumn(QStringLiteral("Down_Sha256"));
    if (rows.hasFailed())
        return false;

    // Rows go into the spare list first, so a read error half-way leaves the
    // shown list alone. The spare list holds the records of an earlier load:
    // its strings are overwritten in place, which spares the allocator (and,
    // on a big catalogue, the fresh memory pages) on every page render.
    qsizetype count = 0;
    spare_.restartPendingTexts();
    rows.MoveFirst();
    while (!rows.IsEof()) {
        if (count == spare_.count())
            spare_.append(MapRecord());
        // Only the link the marks need is decoded now; the shown texts wait
        // until their row is shown.
        MapRecord& record = spare_.undecodedAt(count);
        rows.getCollect(downLink, record.Down_Link);
        rows.getCollect(sha256, record.Down_Sha256);
        record.Downloaded = false;
        spare_.setPendingTexts(count, {rows.getBytes(mapName), rows.getBytes(mapExplain),
                                       rows.getBytes(picLink), rows.getBytes(explainLink)});
        if (rows.hasFailed())
            break;
        ++count;
        rows.MoveNext();
    }
    if (rows.hasFailed())
        return false;

    spare_.truncate(count);
    list_.swap(spare_);
    category_ = category;
    markDownloaded();
    return true;
}

QString MapCatalogue::downloadFolder(int category)
{
    return ProgramSettings().downloadFolder(category == ToolsCategory);
}

void MapCatalogue::markDownloaded()
{
    if (list_.isEmpty())
        return;
    const QString folder = downloadFolder(category_);
    if (folder.isEmpty())
        return;
    std::unique_ptr<DIR, DirCloser> dir(opendir(QFile::encodeName(folder).constData()));
    if (!dir)
        return;

    // Each file marks the first entry with its name: one lookup per file
    // instead of a walk of the whole list.
    names_.build(list_);
    // The index views the list's strings, so the flags are set only once the
    // folder has been read. Names are decoded into one reused buffer.
    std::vector<qsizetype> found;
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString buffer;
    while (const dirent* entry = readdir(dir.get())) {
        const QByteArrayView bytes(entry->d_name, qsizetype(std::strlen(entry->d_name)));
        if (bytes == ".." || bytes == ".")
            continue;
        if (buffer.size() < bytes.size())
            buffer.resize(bytes.size() * 2);
        const QChar* end = decoder.appendToBuffer(buffer.data(), bytes);
        const qsizetype match =
            names_.firstWith(QStringView(buffer.constData(), end - buffer.constData()));
        if (match >= 0)
            found.push_back(match);
    }
    for (const qsizetype index : found)
        list_.undecodedAt(index).Downloaded = true;
}

} // namespace verdane
