#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtGlobal>

#include <optional>

namespace verdane {

// What a publication holds for one version: its files with their sizes and
// SHA-256. Its text, UTF-8, one item a line:
//
//   verdane-update 1
//   version 1.0.1
//   type full
//   file ZarnREZ.dat 40960 <64 hexadecimal digits>
//   end
//
// The last line tells a whole manifest from a cut one.
class UpdateManifest {
public:
    struct File {
        QString name;
        qint64 size = 0;
        QByteArray sha256; // 32 bytes
    };

    static constexpr qint64 MaxFileSize = qint64(1) << 30;
    static constexpr qsizetype MaxFiles = 64;

    // Where a publication lives on the content server: "/zarn/plexa/update/<version>/".
    static QString folderPath(const QString& version);
    static QString manifestName() { return QStringLiteral("manifest.txt"); }
    // A version that can name that folder: letters, digits, ".", "_", "+" and
    // "-", not "." or "..", at most 64 characters.
    static bool isVersionName(const QString& version);
    // A file name that stays inside that folder: no "/", "\", control
    // character or leading ".", at most 255 bytes.
    static bool isPlainName(const QString& name);

    // A manifest, or nothing with the reason (in the user's language) in error.
    static std::optional<UpdateManifest> parse(const QByteArray& text, QString* error);
    QByteArray toText() const;

    QString version;
    QString type;
    QList<File> files;
};

} // namespace verdane
