#include "app/Application.h"

#include "app/CommandLine.h"
#include "app/TerminationWatcher.h"
#include "common/Prompt.h"
#include "log/LogCategories.h"
#include "log/LogHandler.h"
#include "mainwindow/ApplicationSetup.h"
#include "mainwindow/MainWindow.h"

#include <QApplication>
#include <QFileInfo>

#include <curl/curl.h>

namespace verdane {

namespace {

// VERDANE_FAIL_NETWORK_INIT lets the tests see how a failed start-up looks.
bool startNetwork()
{
    if (qEnvironmentVariableIsSet("VERDANE_FAIL_NETWORK_INIT"))
        return false;
    return curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
}

} // namespace

int Application::run(int argc, char** argv)
{
    // The network library is set up once, before anything (Qt included) starts a thread.
    const bool networkReady = startNetwork();
    prepareProcess();
    if (argc > 1) {
        // Answered before a display, the network, the settings or the catalogue is touched.
        QCoreApplication commandLine(argc, argv);
        if (const std::optional<int> status = answerCommandLine(QCoreApplication::arguments())) {
            if (networkReady)
                curl_global_cleanup();
            return *status;
        }
    }
    installLogHandler();
    QApplication app(argc, argv);
    prepareApplication(app);
    runMainWindow(networkReady);
    if (networkReady)
        curl_global_cleanup();
    return 0;
}

void Application::runMainWindow(bool networkReady)
{
    if (!networkReady) {
        qCCritical(lcDownload, "libcurl could not be set up (curl_global_init)");
        askUser(nullptr, QFileInfo(QCoreApplication::applicationFilePath()).baseName(),
                QStringLiteral("Windows 套接字初始化失败。"), PromptButtons::Ok);
        return;
    }
    {
        // Watching from before the window exists also ends a start-up that
        // waits in a message box (a missing catalogue, the update question).
        TerminationWatcher watcher;
        bool terminating = false;
        MainWindow* window = nullptr;
        QObject::connect(&watcher, &TerminationWatcher::terminationRequested, [&] {
            terminating = true;
            QApplication::closeAllWindows();
            if (window != nullptr)
                QMetaObject::invokeMethod(window, &QWidget::close, Qt::QueuedConnection);
        });
        MainWindow dialog;
        window = &dialog;
        if (!terminating) {
            dialog.start();
            dialog.exec();
        }
    }
}

} // namespace verdane
