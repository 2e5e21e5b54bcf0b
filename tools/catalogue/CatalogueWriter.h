#pragma once

#include "CatalogueEntry.h"

#include <QList>
#include <QString>

namespace verdane::tool {

// Writes a catalogue file (SQLite, table ZarnMapDB) from entries. The file is
// built beside the target under a temporary name and renamed over it at the
// end, so a reader sees the old catalogue or the new one, never a part.
class CatalogueWriter {
public:
    explicit CatalogueWriter(QString target);

    // False with error() set when anything failed; the target is then unchanged.
    bool write(const QList<CatalogueEntry>& entries);
    QString error() const { return error_; }

private:
    QString target_;
    QString error_;
};

} // namespace verdane::tool
