#include "Art.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>

namespace verdane::art {

namespace {

constexpr int Width = 603;
constexpr int Height = 428;

// The window's outline, drawn `d` pixels inside the true edge: a raised crest at
// the top left, a plate for the title buttons at the top right and a lower brow
// between them.
QPainterPath outline(qreal d)
{
    const qreal w = Width;
    const qreal h = Height;
    const qreal r = 14 - d * 0.6;
    const qreal brow = 8 + d;
    QPainterPath path;
    path.moveTo(d, d + r);
    path.quadTo(d, d, d + r, d);
    path.lineTo(166 - d * 0.3, d);
    path.cubicTo(180, d, 184, brow, 198 + d * 0.3, brow);
    path.lineTo(448 - d * 0.3, brow);
    path.cubicTo(462, brow, 466, d, 480 + d * 0.3, d);
    // A tight corner at the top right: the close button reaches to x 599.
    path.lineTo(w - d - 4, d);
    path.quadTo(w - d, d, w - d, d + 4);
    path.lineTo(w - d, h - d - r);
    path.quadTo(w - d, h - d, w - d - r, h - d);
    path.lineTo(d + r, h - d);
    path.quadTo(d, h - d, d, h - d - r);
    path.closeSubpath();
    return path;
}

// A line that fades out towards both ends.
void fadedLine(QPainter& p, const QPointF& from, const QPointF& to, const QColor& colour,
               qreal width)
{
    QLinearGradient g(from, to);
    QColor clear = colour;
    clear.setAlpha(0);
    g.setColorAt(0.0, clear);
    g.setColorAt(0.5, colour);
    g.setColorAt(1.0, clear);
    p.setPen(QPen(QBrush(g), width, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(from, to);
}

// A sunken panel: dark fill, shadow outside, a thin ice rim.
void drawWell(QPainter& p, const QRectF& rect, qreal radius, const QColor& fill)
{
    p.save();
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0, 0, 0, 170), 3.0));
    p.drawRoundedRect(rect.adjusted(-1, -1, 1, 1), radius + 1, radius + 1);
    p.setBrush(fill);
    QLinearGradient rim(rect.topLeft(), rect.bottomLeft());
    rim.setColorAt(0.0, QColor(60, 96, 130));
    rim.setColorAt(1.0, QColor(96, 156, 204));
    p.setPen(QPen(QBrush(rim), 1.0));
    p.drawRoundedRect(rect, radius, radius);
    p.restore();
}

// Gold brackets in the corners of a panel.
void cornerBrackets(QPainter& p, const QRectF& r, qreal arm)
{
    p.save();
    p.setPen(QPen(QColor(198, 140, 0, 170), 1.0));
    const QPointF corners[] = {r.topLeft(), r.topRight(), r.bottomLeft(), r.bottomRight()};
    for (const QPointF& c : corners) {
        const qreal sx = c.x() < r.center().x() ? 1 : -1;
        const qreal sy = c.y() < r.center().y() ? 1 : -1;
        p.drawLine(c, c + QPointF(sx * arm, 0));
        p.drawLine(c, c + QPointF(0, sy * arm));
        p.fillPath(sparkPath(c + QPointF(sx * 3, sy * 3), 2.5), QColor(246, 206, 104, 200));
    }
    p.restore();
}

void drawCrest(QPainter& p)
{
    // Frost glow behind the emblem.
    QRadialGradient glow(QPointF(48, 52), 62);
    glow.setColorAt(0.0, QColor(120, 190, 245, 90));
    glow.setColorAt(1.0, QColor(120, 190, 245, 0));
    p.fillRect(QRectF(0, 0, 176, 104), glow);

    p.drawImage(QPointF(14, 16), programIcon(68));

    QFont nameFont = serifFont(19);
    nameFont.setLetterSpacing(QFont::AbsoluteSpacing, 0.5);
    nameFont = fitFont(nameFont, QStringLiteral("Nalo Zarn"), 84);
    p.setFont(nameFont);
    QLinearGradient Gold(0, 26, 0, 48);
    Gold.setColorAt(0.0, QColor(255, 232, 160));
    Gold.setColorAt(0.55, palette::GoldLight);
    Gold.setColorAt(1.0, palette::Gold);
    p.setPen(QColor(0, 0, 0, 200));
    p.drawText(QRectF(87, 25, 86, 26), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Nalo Zarn"));
    QPainterPath nameText;
    const QFontMetricsF nameMetrics(nameFont);
    nameText.addText(QPointF(86, 25 + (26 + nameMetrics.ascent() - nameMetrics.descent()) / 2),
                     nameFont, QStringLiteral("Nalo Zarn"));
    p.fillPath(nameText, Gold);

    p.setFont(fitFont(serifFont(17), QStringLiteral("地图发布器"), 84));
    shadowedText(p, QRectF(86, 50, 88, 24), Qt::AlignLeft | Qt::AlignVCenter,
                 QStringLiteral("地图发布器"), palette::Frost);

    QFont small = sansFont(7, false);
    small.setLetterSpacing(QFont::AbsoluteSpacing, 1.6);
    p.setFont(small);
    p.setPen(QColor(120, 176, 220));
    p.drawText(QRectF(87, 76, 90, 12), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("FROZEN THRONE"));
    fadedLine(p, QPointF(20, 97), QPointF(168, 97), QColor(198, 140, 0, 200), 1.0);
    p.fillPath(sparkPath(QPointF(94, 97), 4), palette::GoldLight);
}

void drawPage(QPainter& p)
{
    const QRectF page(165.5, 109.5, 424, 267);
    drawWell(p, page, 3, palette::PageBlack);

    // Light falling from the tabs into the top of the page.
    QLinearGradient fall(0, 110, 0, 126);
    fall.setColorAt(0.0, QColor(30, 60, 90, 150));
    fall.setColorAt(1.0, QColor(30, 60, 90, 0));
    p.fillRect(QRectF(166, 110, 423, 16), fall);
    cornerBrackets(p, page.adjusted(3, 3, -3, -3), 12);

    // Picture slots of the three rows; the pictures cover their insides.
    for (int row = 0; row < 3; ++row) {
        const QRectF slot(168.5, 133.5 + 65 * row, 53, 48);
        p.setPen(QPen(QColor(54, 88, 120), 1.0));
        p.setBrush(QColor(10, 15, 22));
        p.drawRect(slot);
        drawCrystal(p, slot.center(), 12, QColor(60, 100, 140, 90), 1.4);
    }
    for (qreal y : {191.5, 256.5}) {
        fadedLine(p, QPointF(176, y), QPointF(582, y), QColor(60, 100, 140, 170), 1.0);
    }
    // Above the paging controls.
    fadedLine(p, QPointF(176, 336.5), QPointF(582, 336.5), QColor(198, 140, 0, 190), 1.0);
    p.fillPath(sparkPath(QPointF(377, 336.5), 4.5), palette::GoldLight);
}

void drawTitlePlate(QPainter& p)
{
    const QRectF plate(479.5, -8.5, 121, 33);
    p.setPen(QPen(QColor(0, 0, 0, 170), 3.0));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(plate.adjusted(-1, -1, 1, 1), 10, 10);
    QLinearGradient fill(0, 0, 0, 25);
    fill.setColorAt(0.0, QColor(6, 10, 16));
    fill.setColorAt(1.0, QColor(16, 26, 38));
    p.setBrush(fill);
    p.setPen(QPen(QColor(86, 140, 186), 1.0));
    p.drawRoundedRect(plate, 9, 9);
    fadedLine(p, QPointF(490, 23.5), QPointF(592, 23.5), QColor(198, 140, 0, 160), 1.0);
}

} // namespace

QImage background()
{
    QImage canvas = blankImage(Width, Height);
    QPainter p(&canvas);

    // The silhouette is filled without smoothing: every pixel is either the
    // window or the colour key, never a blend of the two.
    QLinearGradient metal(0, 0, 0, Height);
    metal.setColorAt(0.0, QColor(32, 46, 64));
    metal.setColorAt(0.45, QColor(20, 30, 43));
    metal.setColorAt(1.0, QColor(12, 17, 25));
    p.setPen(Qt::NoPen);
    p.setBrush(metal);
    p.drawPath(outline(0));

    // Everything else lands only on the silhouette.
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setCompositionMode(QPainter::CompositionMode_SourceAtop);

    // Brushed metal: faint diagonal strokes, then frost specks.
    for (int i = -Height; i < Width; i += 3) {
        const int alpha = 6 + (i * 7919 % 11 + 11) % 11;
        p.setPen(QPen(QColor(150, 200, 240, alpha), 1.0));
        p.drawLine(QPointF(i, 0), QPointF(i + Height * 0.35, Height));
    }
    frostSpecks(p, QRectF(0, 0, Width, Height), 2200, 2024u);

    // Rims that follow the outline: dark edge, ice line, gold trim.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(2, 4, 8), 3.0));
    p.drawPath(outline(0));
    QLinearGradient Ice(0, 0, 0, Height);
    Ice.setColorAt(0.0, palette::IceLight);
    Ice.setColorAt(1.0, palette::IceDeep);
    p.setPen(QPen(QBrush(Ice), 1.2));
    p.drawPath(outline(2.5));
    p.setPen(QPen(QColor(198, 140, 0, 130), 1.0));
    p.drawPath(outline(5.5));

    drawCrest(p);

    // The brow over the category tabs.
    fadedLine(p, QPointF(204, 18.5), QPointF(452, 18.5), QColor(198, 140, 0, 200), 1.0);
    p.fillPath(sparkPath(QPointF(328, 18.5), 5), palette::GoldLight);

    drawTitlePlate(p);

    // Launch column, category strip, page and bottom bar.
    drawWell(p, QRectF(7.5, 105.5, 158, 279), 4, palette::Night);
    drawWell(p, QRectF(176.5, 26.5, 387, 83), 4, palette::Night);
    drawPage(p);
    const QRectF bar(8.5, 386.5, 586, 33);
    drawWell(p, bar, 4, palette::PageBlack);
    fadedLine(p, QPointF(298, 403.5), QPointF(420, 403.5), QColor(60, 100, 140, 170), 1.0);
    p.fillPath(sparkPath(QPointF(359, 403.5), 4), QColor(246, 206, 104, 220));

    // An ice crystal on the strip beside the tabs.
    QRadialGradient halo(QPointF(581, 66), 22);
    halo.setColorAt(0.0, QColor(140, 200, 255, 90));
    halo.setColorAt(1.0, QColor(140, 200, 255, 0));
    p.fillRect(QRectF(560, 40, 43, 52), halo);
    drawCrystal(p, QPointF(581.5, 66), 11, palette::IceLight, 1.5);
    fadedLine(p, QPointF(581.5, 32), QPointF(581.5, 104), QColor(198, 140, 0, 170), 1.0);

    p.end();

    // Transparent means outside the window: the colour key.
    QImage result(Width, Height, QImage::Format_RGB32);
    for (int y = 0; y < Height; ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(canvas.constScanLine(y));
        auto* out = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < Width; ++x) {
            out[x] = qAlpha(in[x]) == 0 ? palette::ColourKey.rgb() : (in[x] | 0xFF000000u);
        }
    }
    return result;
}

} // namespace verdane::art
