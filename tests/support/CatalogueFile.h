#pragma once

#include <QList>
#include <QString>

namespace verdane::test {

struct CatalogueRow {
    int Maptype;
    QString UpdateTime;
    QString MapName;
    QString MapExplain = {};
    QString Pic_Link = {};
    QString Down_Link = {};
    QString ExplainLink = {};
    QString Down_Sha256 = {}; // the column is there when a row has a non-null cell
};

// Writes a catalogue database with table ZarnMapDB holding the rows; indexed,
// with the index verdane-catalogue gives it.
bool writeCatalogue(const QString& path, const QList<CatalogueRow>& rows, bool indexed = false);

} // namespace verdane::test
