#include "support/FakeShell.h"

#include <QMutexLocker>

namespace verdane::test {

FakeShell::FakeShell()
{
    installShell(this);
}

FakeShell::~FakeShell()
{
    installShell(nullptr);
}

void FakeShell::openProgram(const QString& path)
{
    QMutexLocker lock(&mutex_);
    programs_.append(path);
}

void FakeShell::openWebPage(const QString& address)
{
    QMutexLocker lock(&mutex_);
    pages_.append(address);
}

QStringList FakeShell::programs() const
{
    QMutexLocker lock(&mutex_);
    return programs_;
}

QStringList FakeShell::webPages() const
{
    QMutexLocker lock(&mutex_);
    return pages_;
}

} // namespace verdane::test
