#pragma once

#include <QByteArray>
#include <QString>

namespace verdane {

// The program's texts were byte strings in code page 936; layout widths and
// length limits still count those bytes (ASCII 1, a Chinese character 2).
// GB18030 is the superset iconv offers for it.
QByteArray encodeCp936(const QString& text);
QString decodeCp936(const QByteArray& bytes);
qsizetype cp936Length(const QString& text);

} // namespace verdane
