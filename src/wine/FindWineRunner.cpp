#include "wine/FindWineRunner.h"

#include "wine/ManagerRunners.h"

#include <QDir>
#include <QStandardPaths>

namespace verdane {

WineRunner findWineRunner(const QString& prefix, const QString& overrideCommand)
{
    if (!overrideCommand.isEmpty()) {
        const QString command = QStandardPaths::findExecutable(overrideCommand);
        if (!command.isEmpty())
            return {command, {}};
    }
    const QString home = QDir::homePath();
    for (const auto lookup : {&lutrisRunner, &bottlesRunner, &steamProtonRunner}) {
        if (std::optional<WineRunner> found = lookup(prefix, home))
            return *found;
    }
    return {QStandardPaths::findExecutable(QStringLiteral("wine")), {}};
}

} // namespace verdane
