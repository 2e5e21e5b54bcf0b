#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringConverter>
#include <QStringList>

struct sqlite3_stmt;

namespace verdane {

// The rows of one query: a forward cursor that steps the statement as it moves,
// so a big result is never copied whole. A read error shows the error box and
// ends the rows early; hasFailed() then tells the reader that they are incomplete.
class RecordSet {
public:
    // Takes the prepared statement, already stepped once with the given result code.
    RecordSet(sqlite3_stmt* statement, int firstStep);
    ~RecordSet();
    RecordSet(const RecordSet&) = delete;
    RecordSet& operator=(const RecordSet&) = delete;

    bool IsEof() const { return eof_; }
    // Back to the first row; the query runs again only when the cursor has moved.
    void MoveFirst();
    void MoveNext();
    // The text of a named column of the current row: NULL reads as empty text,
    // numbers as their text. An unknown column or a read past the end shows the
    // error box and ends the rows.
    QString getCollect(const QString& columnName);
    // The same by position, for readers that look the names up once: see columnIndex().
    QString getCollect(int column);
    // The same into an existing string, reusing its storage.
    void getCollect(int column, QString& text);
    // The same as the catalogue's UTF-8 bytes, valid until the cursor moves.
    QByteArrayView getBytes(int column);
    // The position of a named column (any letter case); when there is none,
    // shows the error box, ends the rows and returns -1.
    int columnIndex(const QString& columnName);
    // The same for a column that a catalogue may leave out: -1 without a word
    // (getCollect then reads empty text).
    int optionalColumn(const QString& columnName) const;

    bool hasFailed() const { return failed_; }

private:
    void take(int stepResult);
    void fail(const QString& text);

    sqlite3_stmt* statement_;
    QStringDecoder decoder_{QStringDecoder::Utf8, QStringDecoder::Flag::Stateless};
    QStringList columns_;
    qsizetype row_ = 0;
    bool eof_ = true;
    bool failed_ = false;
};

} // namespace verdane
