#include "CatalogueSource.h"

#include "catalogue/MapRecord.h"
#include "common/Cp936.h"

#include <QDate>
#include <QFile>
#include <QRegularExpression>
#include <QStringConverter>
#include <QTime>

namespace verdane::tool {

namespace {

const QString ServerPlaceholder = QStringLiteral("{server}");

// "YYYY-MM-DD", optionally followed by " HH:MM" or " HH:MM:SS": text of this
// form sorts in time order, which is what the program's query relies on.
bool validUpdateTime(const QString& text)
{
    static const QRegularExpression form(
        QStringLiteral(R"(^(\d{4}-\d{2}-\d{2})(?: (\d{2}:\d{2}(?::\d{2})?))?$)"));
    const QRegularExpressionMatch match = form.match(text);
    if (!match.hasMatch())
        return false;
    if (!QDate::fromString(match.captured(1), Qt::ISODate).isValid())
        return false;
    return match.captured(2).isEmpty() ||
           QTime::fromString(match.captured(2), Qt::ISODate).isValid();
}

} // namespace

QStringList CatalogueSource::columns()
{
    return {QStringLiteral("Maptype"),    QStringLiteral("UpdateTime"), QStringLiteral("MapName"),
            QStringLiteral("MapExplain"), QStringLiteral("Pic_Link"),   QStringLiteral("Down_Link"),
            QStringLiteral("ExplainLink")};
}

CatalogueSource::CatalogueSource(QString path, QString server)
    : path_(std::move(path))
    , server_(std::move(server))
{
}

void CatalogueSource::error(int line, const QString& text)
{
    errors_.append(QStringLiteral("%1:%2: %3").arg(path_).arg(line).arg(text));
}

bool CatalogueSource::read()
{
    entries_.clear();
    errors_.clear();
    warnings_.clear();
    QFile file(path_);
    if (!file.open(QIODevice::ReadOnly)) {
        errors_.append(QStringLiteral("%1: cannot read: %2").arg(path_, file.errorString()));
        return false;
    }
    QByteArray content = file.readAll();
    if (content.startsWith("\xEF\xBB\xBF"))
        content.remove(0, 3);

    bool haveHeader = false;
    int lineNumber = 0;
    for (QByteArray bytes : content.split('\n')) {
        ++lineNumber;
        if (bytes.endsWith('\r'))
            bytes.chop(1);
        auto decoder = QStringDecoder(QStringDecoder::Utf8);
        const QString text = decoder(bytes);
        if (decoder.hasError()) {
            error(lineNumber, QStringLiteral("not UTF-8 text"));
            continue;
        }
        if (text.trimmed().isEmpty() || text.startsWith(u'#'))
            continue;
        if (!haveHeader) {
            haveHeader = true;
            if (!readHeader(text, lineNumber))
                return false;
            continue;
        }
        readEntry(text, lineNumber);
    }
    if (!haveHeader)
        error(lineNumber, QStringLiteral("no header line (expected: %1)")
                              .arg(columns().join(QStringLiteral("<tab>"))));
    return errors_.isEmpty();
}

bool CatalogueSource::readHeader(const QString& text, int line)
{
    const QStringList names = text.split(u'\t');
    order_.clear();
    for (const QString& column : columns()) {
        const qsizetype at = names.indexOf(column);
        if (at < 0)
            error(line, QStringLiteral("the header has no column %1").arg(column));
        else if (names.count(column) > 1)
            error(line, QStringLiteral("the header names column %1 twice").arg(column));
        order_.append(static_cast<int>(at));
    }
    for (const QString& name : names) {
        if (!columns().contains(name))
            error(line, QStringLiteral("the header names an unknown column \"%1\"").arg(name));
    }
    if (names.size() != columns().size() && errors_.isEmpty())
        error(line, QStringLiteral("the header has %1 columns, expected %2")
                        .arg(names.size())
                        .arg(columns().size()));
    return errors_.isEmpty();
}

void CatalogueSource::readEntry(const QString& text, int line)
{
    const QStringList fields = text.split(u'\t');
    if (fields.size() != columns().size()) {
        error(line, QStringLiteral("%1 fields, expected %2 separated by tabs")
                        .arg(fields.size())
                        .arg(columns().size()));
        return;
    }
    auto field = [&](int column) { return fields.at(order_.at(column)); };

    CatalogueEntry entry;
    entry.line = line;
    bool numeric = false;
    entry.Maptype = field(0).toInt(&numeric);
    if (!numeric) {
        error(line, QStringLiteral("Maptype \"%1\" is not a whole number").arg(field(0)));
        return;
    }
    entry.UpdateTime = field(1);
    entry.MapName = field(2);
    entry.MapExplain = field(3);
    entry.Pic_Link = QString(field(4)).replace(ServerPlaceholder, server_);
    entry.Down_Link = QString(field(5)).replace(ServerPlaceholder, server_);
    entry.ExplainLink = QString(field(6)).replace(ServerPlaceholder, server_);

    const int before = static_cast<int>(errors_.size());
    if (!validUpdateTime(entry.UpdateTime))
        error(line, QStringLiteral("UpdateTime \"%1\" is not YYYY-MM-DD [HH:MM[:SS]]")
                        .arg(entry.UpdateTime));
    if (entry.MapName.trimmed().isEmpty())
        error(line, QStringLiteral("MapName is empty"));
    MapRecord record;
    record.Down_Link = entry.Down_Link;
    if (record.fileName().isEmpty())
        error(line, QStringLiteral("Down_Link \"%1\" names no file").arg(entry.Down_Link));
    if (errors_.size() != before)
        return;

    const qsizetype explainBytes = cp936Length(entry.MapExplain);
    if (explainBytes > ExplainRoom)
        warnings_.append(
            QStringLiteral("%1:%2: warning: MapExplain is %3 bytes in code page 936; the row has "
                           "room for %4 before its link")
                .arg(path_)
                .arg(line)
                .arg(explainBytes)
                .arg(ExplainRoom));
    entries_.append(entry);
}

} // namespace verdane::tool
