#pragma once

#include "common/Shell.h"

#include <QMutex>
#include <QStringList>

namespace verdane::test {

// Records what would have been started; installs itself for its lifetime.
class FakeShell final : public Shell {
public:
    FakeShell() { installShell(this); }
    ~FakeShell() override { installShell(nullptr); }

    void openProgram(const QString& path) override { record(programs_, path); }
    void openWebPage(const QString& address) override { record(pages_, address); }
    void openFolder(const QString& path) override { record(folders_, path); }

    QStringList programs() const { return read(programs_); }
    QStringList webPages() const { return read(pages_); }
    QStringList folders() const { return read(folders_); }

private:
    // Any thread may start something while the test reads.
    void record(QStringList& list, const QString& text);
    QStringList read(const QStringList& list) const;

    mutable QMutex mutex_;
    QStringList programs_;
    QStringList pages_;
    QStringList folders_;
};

} // namespace verdane::test
