#pragma once

#include <QString>
#include <QStringView>
#include <QTypeInfo>

namespace verdane {

// One catalogue entry, as the page view shows it and the download job fetches it.
struct MapRecord {
    QString MapName;
    QString MapExplain;
    QString Down_Link;
    QString Pic_Link;
    QString ExplainLink;
    // SHA-256 of the entry's file, 64 hexadecimal digits; empty when the
    // catalogue has no such column or leaves the cell empty (nothing to check).
    QString Down_Sha256;
    // The entry's file lies in its download folder.
    bool Downloaded = false;

    // The name the entry's file has on disk: lastLinkPiece of Down_Link, as the
    // download job names it. A view into Down_Link.
    QStringView fileName() const;
};

} // namespace verdane

// Its strings move by their pointers: the list grows without copying records.
Q_DECLARE_TYPEINFO(verdane::MapRecord, Q_RELOCATABLE_TYPE);
