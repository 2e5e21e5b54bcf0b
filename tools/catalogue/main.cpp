// verdane-catalogue: builds the catalogue file the program reads from its text
// source, and lists a category the way the program shows it.

#include "CatalogueSource.h"
#include "CatalogueWriter.h"
#include "CategoryListing.h"
#include "DownloadDigests.h"
#include "Publisher.h"

#include "catalogue/MapCatalogue.h"
#include "common/ContentServer.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMap>
#include <QStringList>

#include <cstdio>

using namespace verdane;
using namespace verdane::tool;

namespace {

void print(FILE* stream, const QString& text)
{
    std::fputs(text.toUtf8().constData(), stream);
    std::fputc('\n', stream);
}

int usage()
{
    print(stderr,
          QStringLiteral(
              "usage: verdane-catalogue build SOURCE.tsv OUT.dat [--server HOST[:PORT]] [--files "
              "DIR]\n"
              "       verdane-catalogue list CATALOGUE.dat CATEGORY\n"
              "       verdane-catalogue publish --catalogue NEW.dat --version V [--type T] --out "
              "DIR\n"
              "\n"
              "build  writes the catalogue from its text source (UTF-8, tab-separated, a\n"
              "       header line naming Maptype, UpdateTime, MapName, MapExplain, Pic_Link,\n"
              "       Down_Link, ExplainLink); \"{server}\" in a link becomes HOST (default:\n"
              "       the content server the program was built for). OUT is replaced only\n"
              "       when every line is right. With --files, Down_Sha256 of each entry\n"
              "       whose Down_Link points at HOST is the SHA-256 of the file under DIR\n"
              "       at the link's path (the folder the content server serves).\n"
              "list   prints the entries of one category in the order the program shows\n"
              "       them, in the source's format.\n"
              "publish lays out DIR (the content server's root) so that it offers version V\n"
              "       of type T (default full) to verdane-update; see verdane-catalogue(1)."));
    return 2;
}

int build(const QStringList& args)
{
    QStringList positional;
    QString server = contentServerHost();
    QString files;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args.at(i) == QLatin1String("--server") || args.at(i) == QLatin1String("--files")) {
            if (i + 1 >= args.size())
                return usage();
            (args.at(i) == QLatin1String("--files") ? files : server) = args.at(i + 1);
            ++i;
        } else if (args.at(i).startsWith(QLatin1String("--server="))) {
            server = args.at(i).mid(9);
        } else {
            positional.append(args.at(i));
        }
    }
    if (positional.size() != 2 || server.isEmpty())
        return usage();

    CatalogueSource source(positional.at(0), server);
    const bool read = source.read();
    for (const QString& warning : source.warnings())
        print(stderr, warning);
    if (!read) {
        for (const QString& error : source.errors())
            print(stderr, error);
        print(stderr, QStringLiteral("verdane-catalogue: %1 left unchanged").arg(positional.at(1)));
        return 1;
    }
    QList<CatalogueEntry> entries = source.entries();
    if (!files.isEmpty()) {
        if (!QFileInfo(files).isDir()) {
            print(stderr, QStringLiteral("verdane-catalogue: %1: no such folder").arg(files));
            return 1;
        }
        for (const QString& warning : DownloadDigests(files, server).fill(entries))
            print(stderr, QStringLiteral("%1:%2").arg(positional.at(0), warning));
    }
    CatalogueWriter writer(positional.at(1));
    if (!writer.write(entries)) {
        print(stderr, QStringLiteral("verdane-catalogue: %1").arg(writer.error()));
        print(stderr, QStringLiteral("verdane-catalogue: %1 left unchanged").arg(positional.at(1)));
        return 1;
    }
    print(stderr, QStringLiteral("verdane-catalogue: wrote %1 entries to %2")
                      .arg(source.entries().size())
                      .arg(positional.at(1)));
    return 0;
}

int list(const QStringList& args)
{
    if (args.size() != 2)
        return usage();
    bool numeric = false;
    const int category = args.at(1).toInt(&numeric);
    if (!numeric)
        return usage();
    // Without this the connection would report SQLite's plain "unable to open
    // database file"; name the file instead.
    if (!QFileInfo(args.at(0)).isFile()) {
        print(stderr, QStringLiteral("verdane-catalogue: %1: no such file").arg(args.at(0)));
        return 1;
    }

    return listCategory(args.at(0), MapCatalogue::categoryQuery(category));
}

int publish(const QStringList& args)
{
    QMap<QString, QString> options{{QStringLiteral("--type"), QStringLiteral("full")}};
    for (qsizetype i = 0; i + 1 < args.size(); i += 2)
        options.insert(args.at(i), args.at(i + 1));
    const QStringList names{"--catalogue", "--version", "--type", "--out"};
    if (args.size() % 2 != 0 || options.size() != 4 ||
        !std::all_of(names.cbegin(), names.cend(),
                     [&](const QString& n) { return options.contains(n); }))
        return usage();
    Publisher publisher(options.value("--catalogue"), options.value("--version"),
                        options.value("--type"), options.value("--out"));
    if (!publisher.publish()) {
        print(stderr,
              QStringLiteral("verdane-catalogue: %1; nothing published").arg(publisher.error()));
        return 1;
    }
    print(stderr, QStringLiteral("verdane-catalogue: %1 offers version %2")
                      .arg(options.value("--out"), options.value("--version")));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.isEmpty())
        return usage();
    if (args.first() == QLatin1String("build"))
        return build(args.mid(1));
    if (args.first() == QLatin1String("list"))
        return list(args.mid(1));
    if (args.first() == QLatin1String("publish"))
        return publish(args.mid(1));
    return usage();
}
