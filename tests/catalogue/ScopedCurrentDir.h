#pragma once

#include <QString>

namespace verdane::test {

// Makes a folder the process's current directory for its lifetime: the
// catalogue file is found relative to it.
class ScopedCurrentDir {
public:
    explicit ScopedCurrentDir(const QString& path);
    ~ScopedCurrentDir();
    ScopedCurrentDir(const ScopedCurrentDir&) = delete;
    ScopedCurrentDir& operator=(const ScopedCurrentDir&) = delete;

private:
    QString previous_;
};

} // namespace verdane::test
