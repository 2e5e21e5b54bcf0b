#include "Art.h"

#include <QLinearGradient>
#include <QPainter>

namespace verdane::art {

namespace {

QImage frameOf(const QImage& strip, int frame)
{
    const int width = strip.width() / kFrameCount;
    return strip.copy(frame * width, 0, width, strip.height());
}

void label(QPainter& p, const QRect& rect, const QString& text, const QColor& colour,
           int flags = Qt::AlignLeft | Qt::AlignVCenter)
{
    p.setFont(sansFont(12, false));
    p.setPen(colour);
    p.drawText(rect, flags, text);
}

} // namespace

QImage preview()
{
    QImage sheet(1000, 760, QImage::Format_RGB32);
    QPainter p(&sheet);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient desk(0, 0, 0, sheet.height());
    desk.setColorAt(0.0, QColor(120, 150, 170));
    desk.setColorAt(1.0, QColor(70, 90, 110));
    p.fillRect(sheet.rect(), desk);

    // The window as it will stand on the desktop: the colour key lets it through.
    QImage window = background().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < window.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(window.scanLine(y));
        for (int x = 0; x < window.width(); ++x) {
            if ((line[x] & 0xFFFFFF) == 0xFF00FF) {
                line[x] = 0;
            }
        }
    }
    {
        QPainter w(&window);
        w.setRenderHint(QPainter::SmoothPixmapTransform);
        const QImage launch[] = {
            launchStrip(QStringLiteral("War3冰封王座"), QStringLiteral("WARCRAFT III"), {}, 48),
            launchStrip(QStringLiteral("浩方对战平台"), QStringLiteral("HAOFANG"),
                        QStringLiteral("浩"), 55),
            launchStrip(QStringLiteral("VS对战平台"), QStringLiteral("VS PLATFORM"),
                        QStringLiteral("VS"), 55),
            launchStrip(QStringLiteral("AA对战平台"), QStringLiteral("AA PLATFORM"),
                        QStringLiteral("AA"), 55),
            launchStrip(QStringLiteral("掌门人对战平台"), QStringLiteral("ZHANGMENREN"),
                        QStringLiteral("掌"), 55)};
        const int tops[] = {111, 159, 214, 269, 324, 379};
        for (int i = 0; i < 5; ++i) {
            w.drawImage(QRect(11, tops[i], 151, tops[i + 1] - tops[i]),
                        frameOf(launch[i], i == 1 ? 1 : 0));
        }
        const QString names[] = {QStringLiteral("首页"),     QStringLiteral("对战地图"),
                                 QStringLiteral("RPG地图"),  QStringLiteral("防守地图"),
                                 QStringLiteral("休闲娱乐"), QStringLiteral("工具")};
        const int glyphs[] = {GlyphHome, GlyphSwords, GlyphOrb, GlyphTower, GlyphDice, GlyphTools};
        for (int i = 0; i < 6; ++i) {
            const int frame = i == 1 ? 2 : i == 3 ? 1 : 0;
            w.drawImage(QRect(181 + 63 * i, 22, 63, 87),
                        frameOf(categoryStrip(names[i], glyphs[i]), frame));
        }
        w.drawImage(QPoint(487, 0), frameOf(titleStrip(GlyphGear, 32, 26), 0));
        w.drawImage(QPoint(534, 0), frameOf(titleStrip(GlyphMinimise, 30, 28), 0));
        w.drawImage(QPoint(572, 0), frameOf(titleStrip(GlyphClose, 28, 28), 1));

        const QColor pictures[] = {QColor(90, 60, 40), QColor(40, 90, 60), QColor(60, 60, 110)};
        for (int row = 0; row < 3; ++row) {
            QLinearGradient pic(0, 135 + 65 * row, 0, 180 + 65 * row);
            pic.setColorAt(0, pictures[row].lighter(160));
            pic.setColorAt(1, pictures[row]);
            w.fillRect(QRect(170, 135 + 65 * row, 50, 45), pic);
            const int titleY[] = {138, 203, 268};
            const int textY[] = {163, 226, 289};
            label(w, QRect(233, titleY[row], 282, 19),
                  QStringLiteral("冰封王座守卫剑阁 v%1.2").arg(row + 5), QColor(198, 140, 0));
            label(w, QRect(233, textY[row], 240, 19), QStringLiteral("经典防守地图，支持八人联机"),
                  QColor(229, 228, 225));
            label(w, QRect(400, textY[row], 30, 19), QStringLiteral("日志"), QColor(48, 100, 165));
            if (row == 1) {
                w.drawImage(QPoint(535, 210), downloadedMark());
            } else {
                w.drawImage(QPoint(534, 147 + 62 * row), downloadButton());
            }
        }
        const QColor blue(41, 107, 163);
        label(w, QRect(206, 353, 100, 18), QStringLiteral("共3页：7条记录"), blue);
        label(w, QRect(317, 352, 37, 18), QStringLiteral("当前第"), blue);
        w.setPen(QColor(90, 90, 90));
        w.setBrush(Qt::white);
        w.drawRect(QRect(359, 348, 37, 21));
        label(w, QRect(359, 348, 37, 21), QStringLiteral("1"), Qt::black, Qt::AlignCenter);
        label(w, QRect(402, 352, 16, 18), QStringLiteral("页"), blue);
        label(w, QRect(434, 352, 39, 18), QStringLiteral("上一页"), blue);
        label(w, QRect(488, 350, 60, 18), QStringLiteral("下一页"), blue);
        label(w, QRect(16, 396, 184, 18), QStringLiteral("版本 V.1.0.0"), blue);
        label(w, QRect(201, 396, 86, 19), QStringLiteral("检查更新"), blue);
        label(w, QRect(430, 397, 161, 18), QStringLiteral("NaloZarn 官方主页"), blue);
    }
    p.drawImage(QPoint(20, 20), window);

    // Every strip, frame by frame, and the small pictures.
    int y = 470;
    int x = 20;
    auto place = [&](const QImage& image) {
        if (x + image.width() > sheet.width() - 20) {
            x = 20;
            y += 95;
        }
        p.drawImage(QPoint(x, y), image);
        x += image.width() + 16;
    };
    place(launchStrip(QStringLiteral("掌门人对战平台"), QStringLiteral("ZHANGMENREN"),
                      QStringLiteral("掌"), 55));
    place(titleStrip(GlyphMinimise, 30, 28));
    place(categoryStrip(QStringLiteral("休闲娱乐"), GlyphDice));
    place(titleStrip(GlyphClose, 28, 28));
    place(titleStrip(GlyphGear, 32, 26));
    QImage small = dialogStrip(39, 24);
    QImage wide = dialogStrip(75, 23);
    for (QImage* image : {&small, &wide}) {
        QPainter t(image);
        t.setFont(sansFont(12, false));
        for (int i = 0; i < kFrameCount; ++i) {
            const int w = image->width() / kFrameCount;
            t.setPen(buttonTextColour(static_cast<State>(i)));
            t.drawText(QRect(i * w, 0, w, image->height()), Qt::AlignCenter,
                       image == &small ? QStringLiteral("浏览") : QStringLiteral("确定"));
        }
    }
    place(small);
    place(wide);
    for (int size : {16, 32, 48, 64, 128}) {
        place(programIcon(size));
    }
    place(handCursor().scaled(64, 64));
    place(handCursor());
    return sheet;
}

} // namespace verdane::art
