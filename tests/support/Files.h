#pragma once

#include <QByteArray>
#include <QString>

namespace verdane::test {

// The whole file, or empty when it cannot be read.
QByteArray readFile(const QString& path);
// Creates the parent folder if needed; a failure also fails the running test.
bool writeFile(const QString& path, const QByteArray& content = {}, bool executable = false);

} // namespace verdane::test
