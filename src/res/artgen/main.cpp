// verdane-artgen: draws every picture of the program and writes them as PNG
// files under the given folder (bitmaps/<id>.png, icons/, cursors/150.png).
// The build runs it; nothing it makes is kept in the repository.
//
//   verdane-artgen <output folder>

#include "Art.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>

#include <cstdio>

namespace {

using namespace verdane::art;

bool save(const QDir& root, const QString& name, QImage image)
{
    const QString path = root.filePath(name);
    if (!QDir().mkpath(QFileInfo(path).path()) || !image.save(path, "PNG")) {
        std::fprintf(stderr, "verdane-artgen: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

bool writeAll(const QDir& root)
{
    struct Launch {
        int id;
        const char* name;
        const char* caption;
        const char* medallion;
        int height;
    };
    // The War3 button (3000) is 48 pixels high, the others 55.
    const Launch launches[] = {
        {140, "War3冰封王座", "WARCRAFT III", "", 48},
        {141, "浩方对战平台", "HAOFANG", "浩", 55},
        {143, "VS对战平台", "VS PLATFORM", "VS", 55},
        {142, "AA对战平台", "AA PLATFORM", "AA", 55},
        {139, "掌门人对战平台", "ZHANGMENREN", "掌", 55},
    };
    struct Category {
        int id;
        const char* name;
        int glyph;
    };
    const Category categories[] = {
        {148, "首页", GlyphHome},       // category 99
        {146, "对战地图", GlyphSwords}, // category 0
        {144, "RPG地图", GlyphOrb},     // category 1
        {147, "防守地图", GlyphTower},  // category 2
        {149, "休闲娱乐", GlyphDice},   // category 3
        {145, "工具", GlyphTools},      // category 4
    };

    bool ok = save(root, QStringLiteral("bitmaps/129.png"), background());
    ok = save(root, QStringLiteral("bitmaps/1038.png"), downloadedMark()) && ok;
    ok = save(root, QStringLiteral("bitmaps/151.png"), downloadButton()) && ok;
    for (const Launch& l : launches) {
        ok = save(root, QStringLiteral("bitmaps/%1.png").arg(l.id),
                  launchStrip(QString::fromUtf8(l.name), QString::fromUtf8(l.caption),
                              QString::fromUtf8(l.medallion), l.height)) &&
             ok;
    }
    for (const Category& c : categories) {
        ok = save(root, QStringLiteral("bitmaps/%1.png").arg(c.id),
                  categoryStrip(QString::fromUtf8(c.name), c.glyph)) &&
             ok;
    }
    // Title buttons: frames the size of the buttons.
    ok = save(root, QStringLiteral("bitmaps/136.png"), titleStrip(GlyphMinimise, 30, 28)) && ok;
    ok = save(root, QStringLiteral("bitmaps/138.png"), titleStrip(GlyphClose, 28, 28)) && ok;
    ok = save(root, QStringLiteral("bitmaps/152.png"), titleStrip(GlyphGear, 32, 26)) && ok;
    // Dialog buttons: small (browse, search) and wide (apply, cancel, OK, start...).
    ok = save(root, QStringLiteral("bitmaps/1054.png"), dialogStrip(39, 24)) && ok;
    ok = save(root, QStringLiteral("bitmaps/1055.png"), dialogStrip(75, 23)) && ok;

    ok = save(root, QStringLiteral("icons/128.png"), programIcon(32)) && ok;
    for (int size : {16, 32, 48, 64, 128, 256}) {
        ok = save(root, QStringLiteral("icons/128-%1.png").arg(size), programIcon(size)) && ok;
    }
    // The hot spot travels inside the file, so the program and the picture agree.
    QImage cursor = handCursor();
    const QPoint hotSpot = handCursorHotSpot();
    cursor.setText(QStringLiteral("HotSpot"),
                   QStringLiteral("%1,%2").arg(hotSpot.x()).arg(hotSpot.y()));
    ok = save(root, QStringLiteral("cursors/150.png"), cursor) && ok;
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: verdane-artgen <output folder>\n");
        return 2;
    }
    return writeAll(QDir(QDir(args.at(1)).absolutePath())) ? 0 : 1;
}
