#pragma once

#include "common/Shell.h"

#include <QMutex>
#include <QMutexLocker>
#include <QStringList>

namespace verdane::test {

// Records what would have been started; installs itself for its lifetime.
class FakeShell final : public Shell {
public:
    FakeShell() { installShell(this); }
    ~FakeShell() override { installShell(nullptr); }

    void openProgram(const QString& path) override
    {
        locked([&] { programs_.append(path); });
    }
    void openWebPage(const QString& address) override
    {
        locked([&] { pages_.append(address); });
    }
    QStringList programs() const
    {
        return locked([&] { return programs_; });
    }
    QStringList webPages() const
    {
        return locked([&] { return pages_; });
    }

private:
    template <typename F> auto locked(F f) const -> decltype(f())
    {
        QMutexLocker lock(&mutex_);
        return f();
    }

    mutable QMutex mutex_;
    QStringList programs_;
    QStringList pages_;
};

} // namespace verdane::test
