#include "download/ResumeRecord.h"

#include <QList>

namespace verdane {

namespace {

constexpr char Heading[] = "verdane-resume 1";

// Values come from answer headers and links: no line breaks, no NUL.
bool isOneLine(const QByteArray& value)
{
    return !value.isEmpty() && !value.contains('\n') && !value.contains('\r') &&
           !value.contains('\0');
}

} // namespace

QByteArray ResumeRecord::toText() const
{
    return QByteArray(Heading) + "\nurl " + url + "\nname " + name + "\nvalidator " + validator +
           "\nlength " + QByteArray::number(length) + '\n';
}

std::optional<ResumeRecord> ResumeRecord::fromText(const QByteArray& text)
{
    const QList<QByteArray> lines = text.split('\n');
    // Four lines after the heading and the empty piece after the last break.
    if (lines.size() != 6 || lines.at(0) != Heading || !lines.at(5).isEmpty())
        return std::nullopt;
    const auto value = [&](int line, const char* key) -> std::optional<QByteArray> {
        const QByteArray prefix = QByteArray(key) + ' ';
        if (!lines.at(line).startsWith(prefix))
            return std::nullopt;
        return lines.at(line).mid(prefix.size());
    };
    const auto url = value(1, "url");
    const auto name = value(2, "name");
    const auto validator = value(3, "validator");
    const auto length = value(4, "length");
    bool numeric = false;
    ResumeRecord record;
    if (url && name && validator && length)
        record = {*url, *name, *validator, length->toLongLong(&numeric)};
    if (!numeric || record.length < -1 || !isOneLine(record.url) || !isOneLine(record.name) ||
        !isOneLine(record.validator))
        return std::nullopt;
    return record;
}

} // namespace verdane
