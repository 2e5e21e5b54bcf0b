#include "mainwindow/ApplicationSetup.h"

#include "common/Prompt.h"
#include "common/Shell.h"
#include "settings/WineRunnerSetting.h"
#include "widgets/WebProfile.h"
#include "widgets/WidgetPrompt.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <unistd.h>

namespace verdane {

void prepareProcess()
{
    // Chromium refuses to start its sandbox as root; only then is it turned off.
    if (geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    shareOneRenderer();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QCoreApplication::setOrganizationName(QStringLiteral("NaloSoft"));
    QCoreApplication::setApplicationName(QStringLiteral("Verdane"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VERDANE_VERSION));
}

void prepareApplication(QApplication& app)
{
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    auto* translator = new QTranslator(&app);
    if (translator->load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                         QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(translator);

    QFont font(QStringLiteral("Noto Sans CJK SC"));
    font.setPointSize(9);
    font.setStyleHint(QFont::SansSerif);
    QApplication::setFont(font);

    static WidgetPrompt widgetPrompt;
    installPrompt(&widgetPrompt);
    installWineRunnerLookup(&wineRunnerForPrefix);
    app.setQuitOnLastWindowClosed(true);
}

} // namespace verdane
