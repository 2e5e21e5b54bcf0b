#include "updater/UpdateManifest.h"

#include "download/Sha256.h"

#include <QRegularExpression>
#include <QSet>

namespace verdane {

namespace {

constexpr qsizetype MaxManifestBytes = 64 * 1024;

bool hasControl(const QString& text)
{
    for (const QChar c : text) {
        if (c.category() == QChar::Other_Control)
            return true;
    }
    return false;
}

} // namespace

QString UpdateManifest::folderPath(const QString& version)
{
    return QStringLiteral("/zarn/plexa/update/") + version + u'/';
}

bool UpdateManifest::isVersionName(const QString& version)
{
    static const QRegularExpression form(QStringLiteral(R"(^[A-Za-z0-9._+-]{1,64}$)"));
    return form.match(version).hasMatch() && version != u"." && version != u"..";
}

bool UpdateManifest::isPlainName(const QString& name)
{
    return !name.isEmpty() && !name.startsWith(u'.') && !name.contains(u'/') &&
           !name.contains(u'\\') && !hasControl(name) && name.toUtf8().size() <= 255;
}

std::optional<UpdateManifest> UpdateManifest::parse(const QByteArray& text, QString* error)
{
    const auto fail = [error](const QString& why) {
        *error = why;
        return std::nullopt;
    };
    if (text.isEmpty())
        return fail(QStringLiteral("升级清单缺失"));
    if (text.size() > MaxManifestBytes)
        return fail(QStringLiteral("升级清单过大"));
    QList<QByteArray> lines = text.split('\n');
    if (lines.last().isEmpty())
        lines.removeLast();
    if (lines.isEmpty() || lines.first() != "verdane-update 1")
        return fail(QStringLiteral("升级清单格式不对"));
    if (lines.last() != "end")
        return fail(QStringLiteral("升级清单不完整"));
    UpdateManifest manifest;
    QSet<QString> names;
    for (qsizetype i = 1; i + 1 < lines.size(); ++i) {
        const QString line = QString::fromUtf8(lines.at(i));
        const QString bad = QStringLiteral("升级清单第 %1 行有误").arg(i + 1);
        const qsizetype space = line.indexOf(u' ');
        const QString key = line.left(space);
        const QString value = space < 0 ? QString() : line.mid(space + 1);
        if (key == u"version" && manifest.version.isEmpty() && isVersionName(value)) {
            manifest.version = value;
        } else if (key == u"type" && manifest.type.isEmpty() && !value.isEmpty() &&
                   !hasControl(value)) {
            manifest.type = value;
        } else if (key == u"file") {
            // The name is everything before the last two fields.
            const qsizetype hashAt = value.lastIndexOf(u' ');
            const qsizetype sizeAt = value.lastIndexOf(u' ', hashAt - 1);
            File file;
            bool number = false;
            file.name = sizeAt > 0 ? value.left(sizeAt) : QString();
            file.size = value.mid(sizeAt + 1, hashAt - sizeAt - 1).toLongLong(&number);
            file.sha256 = Sha256::fromHex(QStringView(value).mid(hashAt + 1));
            if (!isPlainName(file.name))
                return fail(bad + QStringLiteral("：文件名不可用"));
            if (!number || file.size < 0 || file.size > MaxFileSize)
                return fail(bad + QStringLiteral("：文件大小不合理"));
            if (file.sha256.isEmpty() || names.contains(file.name) ||
                manifest.files.size() == MaxFiles)
                return fail(bad);
            names.insert(file.name);
            manifest.files.append(file);
        } else {
            return fail(bad);
        }
    }
    if (manifest.version.isEmpty() || manifest.type.isEmpty() || manifest.files.isEmpty())
        return fail(QStringLiteral("升级清单不完整"));
    return manifest;
}

QByteArray UpdateManifest::toText() const
{
    QByteArray text =
        "verdane-update 1\nversion " + version.toUtf8() + "\ntype " + type.toUtf8() + '\n';
    for (const File& file : files)
        text += "file " + file.name.toUtf8() + ' ' + QByteArray::number(file.size) + ' ' +
                file.sha256.toHex() + '\n';
    return text + "end\n";
}

} // namespace verdane
