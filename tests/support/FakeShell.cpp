#include "support/FakeShell.h"

#include <QMutexLocker>

namespace verdane::test {

void FakeShell::record(QStringList& list, const QString& text)
{
    QMutexLocker lock(&mutex_);
    list.append(text);
}

QStringList FakeShell::read(const QStringList& list) const
{
    QMutexLocker lock(&mutex_);
    return list;
}

} // namespace verdane::test
