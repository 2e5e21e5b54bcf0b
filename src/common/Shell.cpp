#include "common/Shell.h"

#include "common/LaunchPlan.h"
#include "common/WebAddress.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>

#include <atomic>

namespace verdane {

namespace {

class DetachedShell final : public Shell {
public:
    void openProgram(const QString& path) override
    {
        const LaunchPlan plan =
            planLaunch(path, QStandardPaths::findExecutable(QStringLiteral("wine")));
        if (!plan.startable)
            return;
        QProcess process;
        process.setProgram(plan.program);
        process.setArguments(plan.arguments);
        if (!plan.winePrefix.isEmpty()) {
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert(QStringLiteral("WINEPREFIX"), plan.winePrefix);
            process.setProcessEnvironment(environment);
        }
        process.setStandardOutputFile(QProcess::nullDevice());
        process.setStandardErrorFile(QProcess::nullDevice());
        process.startDetached();
    }

    void openWebPage(const QString& address) override
    {
        // Anything but a web address (a local file, an option) is not opened.
        if (!isWebAddress(address))
            return;
        QProcess process;
        // An exported but empty VERDANE_BROWSER must not leave pages with no browser.
        QString browser = qEnvironmentVariable("VERDANE_BROWSER");
        if (browser.isEmpty())
            browser = QStringLiteral(VERDANE_BROWSER);
        process.setProgram(browser);
        process.setArguments({address});
        process.setStandardOutputFile(QProcess::nullDevice());
        process.setStandardErrorFile(QProcess::nullDevice());
        process.startDetached();
    }
};

DetachedShell detachedShell;
std::atomic<Shell*> installed{&detachedShell};

} // namespace

void installShell(Shell* replacement)
{
    installed.store(replacement != nullptr ? replacement : &detachedShell);
}

Shell& shell()
{
    return *installed.load();
}

} // namespace verdane
