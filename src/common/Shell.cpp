#include "common/Shell.h"

#include "common/LaunchPlan.h"
#include "common/WebAddress.h"
#include "log/LogCategories.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>

#include <atomic>

namespace verdane {

namespace {

WineRunner systemWine(const QString&)
{
    return {QStandardPaths::findExecutable(QStringLiteral("wine")), {}};
}

std::atomic<WineRunnerLookup> wineRunnerLookup{&systemWine};

// The program that runs a file, for the log.
QString runner(const LaunchPlan& plan)
{
    return plan.winePrefix.isEmpty()
               ? plan.program
               : plan.program + QStringLiteral(" (WINEPREFIX=%1)").arg(plan.winePrefix);
}

class DetachedShell final : public Shell {
public:
    void openProgram(const QString& path) override
    {
        const LaunchPlan plan = planLaunch(path, wineRunnerLookup.load());
        if (!plan.startable) {
            qCWarning(lcLaunch).noquote()
                << QStringLiteral(
                       "cannot start %1: not executable, or a Windows program and no wine")
                       .arg(path);
            return;
        }
        QProcess process;
        process.setProgram(plan.program);
        process.setArguments(plan.arguments);
        if (!plan.winePrefix.isEmpty() || !plan.environment.isEmpty()) {
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            if (!plan.winePrefix.isEmpty())
                environment.insert(QStringLiteral("WINEPREFIX"), plan.winePrefix);
            for (auto it = plan.environment.begin(); it != plan.environment.end(); ++it)
                environment.insert(it.key(), it.value());
            process.setProcessEnvironment(environment);
        }
        process.setStandardOutputFile(QProcess::nullDevice());
        process.setStandardErrorFile(QProcess::nullDevice());
        if (process.startDetached())
            qCInfo(lcLaunch).noquote()
                << QStringLiteral("started %1 with %2").arg(path, runner(plan));
        else
            qCWarning(lcLaunch).noquote() << QStringLiteral("could not start %1 with %2: %3")
                                                 .arg(path, runner(plan), process.errorString());
    }

    void openWebPage(const QString& address) override
    {
        // Anything but a web address (a local file, an option) is not opened.
        if (!isWebAddress(address))
            return;
        // An exported but empty VERDANE_BROWSER must not leave pages with no browser.
        QString browser = qEnvironmentVariable("VERDANE_BROWSER");
        if (browser.isEmpty())
            browser = QStringLiteral(VERDANE_BROWSER);
        startQuietly(browser, address);
    }

    void openFolder(const QString& path) override
    {
        startQuietly(QStringLiteral("xdg-open"), path);
    }

private:
    // A program with one argument, detached, its output discarded; the result is not looked at.
    static void startQuietly(const QString& program, const QString& argument)
    {
        QProcess process;
        process.setProgram(program);
        process.setArguments({argument});
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

void installWineRunnerLookup(WineRunnerLookup lookup)
{
    wineRunnerLookup.store(lookup != nullptr ? lookup : &systemWine);
}

} // namespace verdane
