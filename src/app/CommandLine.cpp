#include "app/CommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <cstdio>

namespace verdane {

namespace {

void print(std::FILE* stream, const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
}

// Options QApplication takes for itself once it exists; accepted here, not shown.
void acceptQtOptions(QCommandLineParser& parser)
{
    for (const char* name :
         {"platform", "platformpluginpath", "platformtheme", "plugin", "style", "stylesheet",
          "qwindowgeometry", "qwindowicon", "qwindowtitle", "display", "session"}) {
        QCommandLineOption option(QString::fromLatin1(name), {}, QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    QCommandLineOption reverse(QStringLiteral("reverse"));
    reverse.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(reverse);
}

} // namespace

std::optional<int> answerCommandLine(const QStringList& arguments)
{
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (translator->load(QLocale::system(), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Catalogue, downloader and launcher of Warcraft III custom maps "
                       "(Nalo Zarn地图发布器). Reads ZarnREZ.dat from the current directory."));
    // -style fusion, as Qt programs take it, rather than -s -t -y...
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    acceptQtOptions(parser);

    const QString name = QCoreApplication::applicationName().toLower();
    if (!parser.parse(arguments)) {
        print(stderr, QStringLiteral("%1: %2\n").arg(name, parser.errorText()));
        return 2;
    }
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        print(stdout, parser.helpText());
        return 0;
    }
    if (parser.isSet(version)) {
        print(stdout, QStringLiteral("%1 %2\n").arg(QCoreApplication::applicationName(),
                                                    QCoreApplication::applicationVersion()));
        return 0;
    }
    if (!parser.positionalArguments().isEmpty()) {
        print(stderr, QStringLiteral("%1: unexpected argument '%2'\n")
                          .arg(name, parser.positionalArguments().constFirst()));
        return 2;
    }
    return std::nullopt;
}

} // namespace verdane
