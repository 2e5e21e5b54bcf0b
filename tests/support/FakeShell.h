#pragma once

#include "common/Shell.h"

#include <QMutex>
#include <QStringList>

namespace verdane::test {

// Records what would have been started; installs itself for its lifetime.
class FakeShell final : public Shell {
public:
    FakeShell();
    ~FakeShell() override;

    void openProgram(const QString& path) override;
    void openWebPage(const QString& address) override;

    QStringList programs() const;
    QStringList webPages() const;

private:
    mutable QMutex mutex_;
    QStringList programs_;
    QStringList pages_;
};

} // namespace verdane::test
