#pragma once

#include <QString>

namespace verdane::tool {

// One row of the catalogue table, as read from the text source.
struct CatalogueEntry {
    int Maptype = 0;
    QString UpdateTime;
    QString MapName;
    QString MapExplain;
    QString Pic_Link;
    QString Down_Link;
    QString ExplainLink;
    QString Down_Sha256; // filled from the downloadable files, see DownloadDigests
    int line = 0;        // line of the text source it came from
};

} // namespace verdane::tool
