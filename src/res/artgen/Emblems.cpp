#include "Art.h"

#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>
#include <QTransform>

#include <cmath>
#include <numbers>

namespace verdane::art {

namespace {

QPainterPath roundedBox(qreal x, qreal y, qreal w, qreal h, qreal r)
{
    QPainterPath path;
    path.addRoundedRect(QRectF(x, y, w, h), r, r);
    return path;
}

void drawHome(QPainter& p, const QColor& c)
{
    QPainterPath roof;
    roof.moveTo(3, 16);
    roof.lineTo(16, 4);
    roof.lineTo(29, 16);
    p.drawPath(roof);
    p.drawRect(QRectF(8, 15, 16, 13));
    p.fillRect(QRectF(14, 20, 4, 8), c);
    p.drawLine(QPointF(22, 6), QPointF(22, 10)); // chimney
}

void drawSwords(QPainter& p, const QColor& c)
{
    // Two blades crossed on the diagonals, hilts at the bottom.
    for (const qreal side : {1.0, -1.0}) {
        p.save();
        if (side < 0) {
            p.translate(32, 0);
            p.scale(-1, 1);
        }
        QPainterPath blade;
        blade.moveTo(27.5, 4.5);
        blade.lineTo(26.2, 9.4);
        blade.lineTo(13.2, 22.4);
        blade.lineTo(9.6, 18.8);
        blade.lineTo(22.6, 5.8);
        blade.closeSubpath();
        QColor fill = c;
        fill.setAlpha(110);
        p.setPen(QPen(c, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(fill);
        p.drawPath(blade);
        p.setPen(QPen(c, 2.6, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(7.5, 16.5), QPointF(15.5, 24.5)); // guard
        p.drawLine(QPointF(10.5, 21.5), QPointF(6, 26));     // grip
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        p.drawEllipse(QPointF(5, 27), 2.1, 2.1);
        p.restore();
    }
    p.setBrush(Qt::NoBrush);
}

void drawOrb(QPainter& p, const QColor& c)
{
    // A potion flask: the adventure maps.
    QPainterPath flask;
    flask.moveTo(13, 4);
    flask.lineTo(13, 11);
    flask.arcTo(QRectF(5, 10, 22, 20), 110, 320);
    flask.lineTo(19, 4);
    p.drawPath(flask);
    p.drawLine(QPointF(11.5, 4), QPointF(20.5, 4));
    QPainterPath liquid;
    liquid.moveTo(7, 21);
    liquid.cubicTo(11, 18.5, 14, 23, 18, 20.5);
    liquid.cubicTo(21, 19, 23.5, 20, 25, 21);
    liquid.arcTo(QRectF(5, 10, 22, 20), -2, -176);
    QColor fill = c;
    fill.setAlpha(150);
    p.fillPath(liquid, fill);
    p.setBrush(c);
    p.drawEllipse(QPointF(13, 16), 1.2, 1.2);
    p.setBrush(Qt::NoBrush);
}

void drawTower(QPainter& p, const QColor& c)
{
    QPainterPath tower;
    tower.moveTo(9, 29);
    tower.lineTo(10, 12);
    tower.lineTo(7, 12);
    tower.lineTo(7, 4);
    tower.lineTo(11, 4);
    tower.lineTo(11, 7);
    tower.lineTo(14, 7);
    tower.lineTo(14, 4);
    tower.lineTo(18, 4);
    tower.lineTo(18, 7);
    tower.lineTo(21, 7);
    tower.lineTo(21, 4);
    tower.lineTo(25, 4);
    tower.lineTo(25, 12);
    tower.lineTo(22, 12);
    tower.lineTo(23, 29);
    tower.closeSubpath();
    QColor fill = c;
    fill.setAlpha(60);
    p.setBrush(fill);
    p.drawPath(tower);
    p.setBrush(Qt::NoBrush);
    QPainterPath door;
    door.moveTo(13.5, 29);
    door.lineTo(13.5, 23);
    door.arcTo(QRectF(13.5, 20.5, 5, 5), 180, -180);
    door.lineTo(18.5, 29);
    p.fillPath(door, c);
    p.drawLine(QPointF(16, 14), QPointF(16, 17)); // arrow slit
}

void drawDice(QPainter& p, const QColor& c)
{
    p.save();
    p.translate(16, 16);
    p.rotate(-12);
    p.drawRoundedRect(QRectF(-11, -11, 22, 22), 4, 4);
    p.setBrush(c);
    p.setPen(Qt::NoPen);
    for (QPointF pip : {QPointF(-5.5, -5.5), QPointF(5.5, -5.5), QPointF(0, 0), QPointF(-5.5, 5.5),
                        QPointF(5.5, 5.5)}) {
        p.drawEllipse(pip, 2.1, 2.1);
    }
    p.restore();
}

void drawTools(QPainter& p, const QColor& c)
{
    // Hammer.
    p.save();
    p.translate(16, 16);
    p.rotate(45);
    p.drawLine(QPointF(0, -6), QPointF(0, 14));
    p.setBrush(c);
    p.drawRoundedRect(QRectF(-7, -13, 14, 6), 1.5, 1.5);
    p.setBrush(Qt::NoBrush);
    p.restore();
    // Wrench: an open ring on a shaft.
    p.save();
    p.translate(16, 16);
    p.rotate(-45);
    p.drawLine(QPointF(0, -3.5), QPointF(0, 13));
    p.drawArc(QRectF(-5.5, -14.5, 11, 11), 120 * 16, 300 * 16);
    p.restore();
}

void drawCrown(QPainter& p, const QColor& c)
{
    QPainterPath crown;
    crown.moveTo(5, 24);
    crown.lineTo(3, 9);
    crown.lineTo(10.5, 16);
    crown.lineTo(16, 5);
    crown.lineTo(21.5, 16);
    crown.lineTo(29, 9);
    crown.lineTo(27, 24);
    crown.closeSubpath();
    QColor fill = c;
    fill.setAlpha(90);
    p.setBrush(fill);
    p.drawPath(crown);
    p.setBrush(c);
    p.drawRoundedRect(QRectF(5, 25, 22, 3.5), 1, 1);
    for (QPointF gem : {QPointF(3, 8.5), QPointF(16, 4.5), QPointF(29, 8.5)}) {
        p.drawEllipse(gem, 1.8, 1.8);
    }
    p.setBrush(Qt::NoBrush);
}

void drawGear(QPainter& p, const QColor& c)
{
    QPainterPath gear;
    const int teeth = 8;
    for (int i = 0; i < teeth * 4; ++i) {
        const qreal angle = (i * 360.0 / (teeth * 4) - 6) * std::numbers::pi / 180.0;
        const qreal radius = (i % 4 < 2) ? 12.5 : 9.0;
        const QPointF point(16 + radius * std::cos(angle), 16 + radius * std::sin(angle));
        if (i == 0) {
            gear.moveTo(point);
        } else {
            gear.lineTo(point);
        }
    }
    gear.closeSubpath();
    QPainterPath hole;
    hole.addEllipse(QPointF(16, 16), 4.2, 4.2);
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawPath(gear.subtracted(hole));
}

} // namespace

void drawGlyph(QPainter& painter, int glyph, const QRectF& box, const QColor& colour)
{
    painter.save();
    painter.translate(box.topLeft());
    painter.scale(box.width() / 32.0, box.height() / 32.0);
    painter.setPen(QPen(colour, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    switch (glyph) {
    case GlyphHome:
        drawHome(painter, colour);
        break;
    case GlyphSwords:
        drawSwords(painter, colour);
        break;
    case GlyphOrb:
        drawOrb(painter, colour);
        break;
    case GlyphTower:
        drawTower(painter, colour);
        break;
    case GlyphDice:
        drawDice(painter, colour);
        break;
    case GlyphTools:
        drawTools(painter, colour);
        break;
    case GlyphCrown:
        drawCrown(painter, colour);
        break;
    case GlyphMinimise:
        painter.setPen(QPen(colour, 3.4, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(9.5, 17), QPointF(22.5, 17));
        break;
    case GlyphClose:
        painter.setPen(QPen(colour, 3.4, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(10.5, 10.5), QPointF(21.5, 21.5));
        painter.drawLine(QPointF(21.5, 10.5), QPointF(10.5, 21.5));
        break;
    case GlyphGear:
        drawGear(painter, colour);
        break;
    default:
        break;
    }
    painter.restore();
}

QImage programIcon(int size)
{
    QImage image = blankImage(size, size);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 256.0, size / 256.0);
    // Thin lines vanish at the small sizes: thicken them as the icon shrinks.
    const qreal boost = size <= 16 ? 2.6 : size <= 32 ? 1.7 : size <= 64 ? 1.25 : 1.0;

    QPainterPath shield;
    shield.moveTo(128, 8);
    shield.cubicTo(160, 24, 196, 28, 232, 24);
    shield.cubicTo(236, 120, 216, 196, 128, 250);
    shield.cubicTo(40, 196, 20, 120, 24, 24);
    shield.cubicTo(60, 28, 96, 24, 128, 8);
    shield.closeSubpath();

    QRadialGradient body(QPointF(128, 100), 150);
    body.setColorAt(0.0, QColor(40, 96, 150));
    body.setColorAt(0.55, QColor(16, 44, 80));
    body.setColorAt(1.0, QColor(6, 14, 28));
    painter.setBrush(body);
    QLinearGradient rim(0, 0, 0, 256);
    rim.setColorAt(0.0, palette::GoldLight);
    rim.setColorAt(0.5, palette::Gold);
    rim.setColorAt(1.0, palette::GoldDark);
    painter.setPen(
        QPen(QBrush(rim), 14 * std::min(boost, 1.4), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(shield);

    if (size > 24) {
        const QTransform inner =
            QTransform().translate(128, 128).scale(0.86, 0.86).translate(-128, -128);
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(QColor(158, 212, 244, 150), 3 * boost));
        painter.drawPath(inner.map(shield));
    }

    // The frost crystal in the field, with a glow behind it.
    QRadialGradient glow(QPointF(128, 118), 90);
    glow.setColorAt(0.0, QColor(200, 235, 255, 120));
    glow.setColorAt(1.0, QColor(200, 235, 255, 0));
    painter.setPen(Qt::NoPen);
    painter.setBrush(glow);
    painter.drawEllipse(QPointF(128, 118), 90, 90);
    if (size <= 24) {
        painter.setPen(QPen(palette::Frost, 11 * boost / 1.6, Qt::SolidLine, Qt::RoundCap));
        for (int arm = 0; arm < 3; ++arm) {
            const qreal angle = arm * std::numbers::pi / 3.0;
            const QPointF d(64 * std::sin(angle), -64 * std::cos(angle));
            painter.drawLine(QPointF(128, 118) - d, QPointF(128, 118) + d);
        }
    } else {
        drawCrystal(painter, QPointF(128, 118), 70, palette::Frost, 9 * boost);
        painter.setPen(Qt::NoPen);
        painter.setBrush(palette::GoldLight);
        painter.drawPath(sparkPath(QPointF(128, 118), 20));
    }
    return image;
}

QPoint handCursorHotSpot()
{
    return {12, 1};
}

QImage handCursor()
{
    QImage image = blankImage(32, 32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);

    QPainterPath hand = roundedBox(9.5, 1, 5.5, 17, 2.75);
    hand = hand.united(roundedBox(14.5, 10, 5, 10, 2.5));
    hand = hand.united(roundedBox(19, 11, 4.8, 10, 2.4));
    hand = hand.united(roundedBox(23.2, 12.5, 4.5, 9, 2.25));
    QPainterPath palm;
    palm.moveTo(9.5, 14);
    palm.lineTo(27.7, 17);
    palm.lineTo(27.2, 22);
    palm.cubicTo(26.5, 25, 25, 26.5, 24.5, 27.5);
    palm.lineTo(11.5, 27.5);
    palm.cubicTo(9, 25.5, 6, 22, 3.5, 18.5);
    palm.closeSubpath();
    hand = hand.united(palm);
    QTransform thumb;
    thumb.translate(7.5, 19);
    thumb.rotate(-40);
    thumb.translate(-7.5, -19);
    hand = hand.united(thumb.map(roundedBox(4.5, 13.5, 5, 10, 2.5)));
    hand = hand.simplified();

    QLinearGradient skin(0, 0, 32, 32);
    skin.setColorAt(0.0, QColor(255, 255, 255));
    skin.setColorAt(1.0, palette::IceLight);
    painter.setBrush(skin);
    painter.setPen(QPen(QColor(8, 16, 28), 1.3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(hand);
    // Knuckle creases.
    painter.setPen(QPen(QColor(8, 16, 28, 150), 0.9));
    painter.drawLine(QPointF(19, 14), QPointF(19, 18));
    painter.drawLine(QPointF(23.3, 15), QPointF(23.3, 19));
    // The gauntlet's cuff.
    QLinearGradient cuff(0, 27, 0, 31);
    cuff.setColorAt(0.0, palette::GoldLight);
    cuff.setColorAt(1.0, palette::GoldDark);
    painter.setBrush(cuff);
    painter.setPen(QPen(QColor(40, 24, 0), 1.0));
    painter.drawRoundedRect(QRectF(11, 27, 14.5, 4), 1.2, 1.2);
    return image;
}

} // namespace verdane::art
