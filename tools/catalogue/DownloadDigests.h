#pragma once

#include "CatalogueEntry.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace verdane::tool {

// Fills Down_Sha256 of the entries whose Down_Link points at the content
// server with the SHA-256 of the file that the server serves for it from the
// given folder (the link's path under the folder).
class DownloadDigests {
public:
    DownloadDigests(QString folder, QString server);

    // Returns a warning for every link of the server without a readable file
    // (its Down_Sha256 stays empty, so its downloads are not checked).
    QStringList fill(QList<CatalogueEntry>& entries) const;

    // Lower-case hexadecimal SHA-256 of a file; empty when it cannot be read.
    static QString fileDigest(const QString& path);

private:
    QString folder_;
    QString server_;
};

} // namespace verdane::tool
