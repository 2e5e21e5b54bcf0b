#include "catalogue/ScopedCurrentDir.h"

#include <QDir>

namespace verdane::test {

ScopedCurrentDir::ScopedCurrentDir(const QString& path)
    : previous_(QDir::currentPath())
{
    QDir::setCurrent(path);
}

ScopedCurrentDir::~ScopedCurrentDir()
{
    QDir::setCurrent(previous_);
}

} // namespace verdane::test
