#include "app/CVerdaneApp.h"

#include "app/CommandLine.h"
#include "app/TerminationWatcher.h"
#include "common/Prompt.h"
#include "log/LogCategories.h"
#include "log/LogHandler.h"
#include "ui/ApplicationSetup.h"
#include "ui/CVerdaneDlg.h"

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

int CVerdaneApp::run(int argc, char** argv)
{
    prepareProcess();
    if (argc > 1) {
        // Answered before a display, the network, the settings or the catalogue is touched.
        QCoreApplication commandLine(argc, argv);
        if (const std::optional<int> status = answerCommandLine(QCoreApplication::arguments()))
            return *status;
    }
    installLogHandler();
    QApplication app(argc, argv);
    prepareApplication(app);
    InitInstance();
    return 0;
}

bool CVerdaneApp::InitInstance()
{
    // The network library is set up once, before any thread exists.
    if (!startNetwork()) {
        qCCritical(lcDownload, "libcurl could not be set up (curl_global_init)");
        askUser(nullptr, QFileInfo(QCoreApplication::applicationFilePath()).baseName(),
                QStringLiteral("Windows 套接字初始化失败。"), PromptButtons::Ok);
        return false;
    }
    {
        // Watching from before the window exists also ends a start-up that
        // waits in a message box (a missing catalogue, the update question).
        TerminationWatcher watcher;
        bool terminating = false;
        CVerdaneDlg* window = nullptr;
        QObject::connect(&watcher, &TerminationWatcher::terminationRequested, [&] {
            terminating = true;
            QApplication::closeAllWindows();
            if (window != nullptr)
                QMetaObject::invokeMethod(window, &QWidget::close, Qt::QueuedConnection);
        });
        CVerdaneDlg dialog;
        window = &dialog;
        if (!terminating)
            dialog.DoModal();
    }
    curl_global_cleanup();
    return false;
}

} // namespace verdane
