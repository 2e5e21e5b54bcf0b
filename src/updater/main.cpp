// verdane-update: installs the update the user accepted in Verdane, then
// starts Verdane again.

#include "log/LogHandler.h"
#include "mainwindow/ApplicationSetup.h"
#include "updater/ui/UpdaterWindow.h"

#include <QApplication>

#include <curl/curl.h>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc > 1) {
        const bool help = qstrcmp(argv[1], "--help") == 0 || qstrcmp(argv[1], "-h") == 0;
        std::fputs(help ? "usage: verdane-update\n"
                          "Installs the update accepted in Verdane for this user, then starts "
                          "Verdane again. See verdane-update(6).\n"
                        : "verdane-update takes no arguments; see verdane-update --help\n",
                   help ? stdout : stderr);
        return help ? 0 : 2;
    }
    // The network library is set up before anything starts a thread.
    if (curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK)
        return 1;
    QCoreApplication::setOrganizationName(QStringLiteral("NaloSoft"));
    QCoreApplication::setApplicationName(QStringLiteral("Verdane"));
    verdane::installLogHandler();
    int status = 1;
    {
        QApplication app(argc, argv);
        verdane::prepareApplication(app);
        verdane::UpdaterWindow window;
        window.start();
        app.exec();
        status = window.outcome() == verdane::UpdateResult::Installed ? 0 : 1;
    }
    curl_global_cleanup();
    return status;
}
