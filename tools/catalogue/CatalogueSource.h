#pragma once

#include "CatalogueEntry.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace verdane::tool {

// Reads the catalogue's text source: UTF-8, tab-separated, a header line naming
// the seven columns (any order), one entry per line. Blank lines and lines that
// start with "#" are skipped. "{server}" in a link is replaced by the content
// server host.
class CatalogueSource {
public:
    // The column names of the header, in the order the tool writes them.
    static QStringList columns();
    // Widest explanation, in code page 936 bytes, that still leaves room for the
    // row's "日志" link.
    static constexpr int ExplainRoom = 45;

    CatalogueSource(QString path, QString server);

    // False when the file cannot be read or any line is wrong; errors() then
    // names every wrong line ("<path>:<line>: <what>").
    bool read();

    const QList<CatalogueEntry>& entries() const { return entries_; }
    const QStringList& errors() const { return errors_; }
    // Lines that are accepted but will not show well.
    const QStringList& warnings() const { return warnings_; }

private:
    bool readHeader(const QString& text, int line);
    void readEntry(const QString& text, int line);
    void error(int line, const QString& text);

    QString path_;
    QString server_;
    QList<int> order_; // position of each written column in a source line
    QList<CatalogueEntry> entries_;
    QStringList errors_;
    QStringList warnings_;
};

} // namespace verdane::tool
