#include "Art.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>

namespace verdane::art {

namespace {

qreal pressShift(State state)
{
    return state == State::Pressed ? 1.0 : 0.0;
}

// The round badge at the left of a launch button.
void drawMedallion(QPainter& p, const QPointF& centre, qreal radius, State state,
                   const QString& letters)
{
    const bool off = state == State::Disabled;
    QLinearGradient ring(centre.x(), centre.y() - radius, centre.x(), centre.y() + radius);
    ring.setColorAt(0.0, off                     ? QColor(130, 130, 130)
                         : state == State::Hover ? QColor(255, 228, 150)
                                                 : palette::GoldLight);
    ring.setColorAt(1.0, off ? QColor(60, 60, 60) : palette::GoldDark);
    QRadialGradient well(centre - QPointF(radius * 0.3, radius * 0.4), radius * 1.4);
    well.setColorAt(0.0, off                     ? QColor(70, 72, 76)
                         : state == State::Hover ? QColor(70, 140, 200)
                                                 : QColor(38, 92, 144));
    well.setColorAt(1.0, off ? QColor(22, 22, 24) : QColor(6, 16, 30));
    p.setPen(QPen(QBrush(ring), 2.0));
    p.setBrush(well);
    p.drawEllipse(centre, radius, radius);

    const QColor ink = off                       ? QColor(120, 122, 126)
                       : state == State::Pressed ? palette::GoldLight
                                                 : palette::Frost;
    if (letters.isEmpty()) {
        const qreal box = radius * 1.35;
        drawGlyph(p, GlyphCrown, QRectF(centre.x() - box / 2, centre.y() - box / 2 - 0.5, box, box),
                  off ? ink : palette::GoldLight);
        return;
    }
    p.setFont(fitFont(serifFont(radius * 1.05), letters, radius * 1.55));
    shadowedText(p, QRectF(centre.x() - radius, centre.y() - radius, radius * 2, radius * 2),
                 Qt::AlignCenter, letters, ink);
}

} // namespace

QImage launchStrip(const QString& name, const QString& caption, const QString& medallion,
                   int height)
{
    return makeStrip(150, height, [&](QPainter& p, const QRectF& frame, State state) {
        const QRectF plateRect = frame.adjusted(1, 1, -1, -1);
        drawPlate(p, plateRect, buttonPlate(state, 5));
        if (state != State::Disabled) {
            frostSpecks(p, plateRect.adjusted(3, 3, -3, -3), 40, 77u + height);
        }
        if (state == State::Hover) {
            // A cold glow rising behind the badge.
            QRadialGradient glow(QPointF(26, frame.height() / 2), 60);
            glow.setColorAt(0.0, QColor(140, 200, 255, 70));
            glow.setColorAt(1.0, QColor(140, 200, 255, 0));
            p.fillRect(plateRect.adjusted(1, 1, -1, -1), glow);
        }
        if (state == State::Focus) {
            p.setPen(QPen(QColor(246, 206, 104, 150), 1.0, Qt::DotLine));
            p.setBrush(Qt::NoBrush);
            p.drawRoundedRect(plateRect.adjusted(3, 3, -3, -3), 3, 3);
        }

        const qreal shift = pressShift(state);
        const qreal mid = frame.height() / 2 + shift;
        const qreal radius = std::min(17.0, frame.height() / 2 - 6);
        drawMedallion(p, QPointF(24 + shift, mid), radius, state, medallion);

        const qreal textLeft = 46 + shift;
        const qreal textWidth = frame.width() - textLeft - 5;
        const QFont nameFont = fitFont(sansFont(15), name, textWidth);
        QFont captionFont = sansFont(7.5, false);
        captionFont.setLetterSpacing(QFont::AbsoluteSpacing, 1.2);
        const qreal nameHeight = QFontMetricsF(nameFont).height();
        const qreal captionHeight = QFontMetricsF(captionFont).height();
        const qreal top = mid - (nameHeight + captionHeight - 3) / 2;

        p.setFont(nameFont);
        shadowedText(p, QRectF(textLeft, top, textWidth, nameHeight),
                     Qt::AlignLeft | Qt::AlignVCenter, name, buttonTextColour(state));
        p.setFont(captionFont);
        const QColor captionColour = state == State::Disabled ? QColor(90, 92, 96)
                                     : state == State::Hover  ? palette::IceLight
                                                              : QColor(110, 160, 200);
        p.setPen(captionColour);
        p.drawText(QRectF(textLeft + 1, top + nameHeight - 3, textWidth, captionHeight),
                   Qt::AlignLeft | Qt::AlignVCenter, caption);
    });
}

QImage categoryStrip(const QString& name, int glyph)
{
    // The top six rows stay clear: the title buttons hang over them.
    return makeStrip(63, 86, [&](QPainter& p, const QRectF& frame, State state) {
        const QRectF tab(frame.left() + 1.5, 6.5, frame.width() - 3, frame.height() - 6);
        QPainterPath shape;
        const qreal r = 7;
        shape.moveTo(tab.left(), tab.bottom() + 1);
        shape.lineTo(tab.left(), tab.top() + r);
        shape.quadTo(tab.left(), tab.top(), tab.left() + r, tab.top());
        shape.lineTo(tab.right() - r, tab.top());
        shape.quadTo(tab.right(), tab.top(), tab.right(), tab.top() + r);
        shape.lineTo(tab.right(), tab.bottom() + 1);

        QColor top, bottom, rim;
        switch (state) {
        case State::Normal:
        case State::Focus:
            top = QColor(42, 62, 86);
            bottom = QColor(12, 18, 28);
            rim = state == State::Focus ? palette::Gold : QColor(66, 106, 142);
            break;
        case State::Hover:
            top = QColor(62, 102, 140);
            bottom = QColor(16, 30, 46);
            rim = palette::IceLight;
            break;
        case State::Pressed:
            top = QColor(34, 88, 140);
            bottom = palette::PageBlack;
            rim = palette::GoldLight;
            break;
        case State::Disabled:
            top = QColor(48, 50, 54);
            bottom = QColor(22, 23, 25);
            rim = QColor(74, 76, 80);
            break;
        }
        QLinearGradient fill(0, tab.top(), 0, tab.bottom());
        fill.setColorAt(0.0, top);
        fill.setColorAt(1.0, bottom);
        p.setBrush(fill);
        p.setPen(QPen(rim, 1.0));
        p.drawPath(shape);
        if (state != State::Disabled) {
            frostSpecks(p, tab.adjusted(3, 4, -3, -4), 24, 131u);
        }

        if (state == State::Pressed) {
            // The open tab: a gold crest and a glow falling into the page.
            QLinearGradient crest(tab.left(), 0, tab.right(), 0);
            crest.setColorAt(0.0, QColor(246, 206, 104, 0));
            crest.setColorAt(0.5, palette::GoldLight);
            crest.setColorAt(1.0, QColor(246, 206, 104, 0));
            p.fillRect(QRectF(tab.left() + 4, tab.top() + 1.5, tab.width() - 8, 2.5), crest);
            QRadialGradient glow(QPointF(tab.center().x(), tab.top() + 28), 36);
            glow.setColorAt(0.0, QColor(150, 210, 255, 80));
            glow.setColorAt(1.0, QColor(150, 210, 255, 0));
            p.fillPath(shape, glow);
        } else if (state == State::Hover) {
            QLinearGradient shine(tab.left(), 0, tab.right(), 0);
            shine.setColorAt(0.0, QColor(220, 240, 255, 0));
            shine.setColorAt(0.5, QColor(220, 240, 255, 200));
            shine.setColorAt(1.0, QColor(220, 240, 255, 0));
            p.fillRect(QRectF(tab.left() + 4, tab.top() + 1.5, tab.width() - 8, 1.5), shine);
        } else {
            QLinearGradient shine(tab.left(), 0, tab.right(), 0);
            shine.setColorAt(0.0, QColor(150, 200, 235, 0));
            shine.setColorAt(0.5, QColor(150, 200, 235, 110));
            shine.setColorAt(1.0, QColor(150, 200, 235, 0));
            p.fillRect(QRectF(tab.left() + 4, tab.top() + 1.5, tab.width() - 8, 1), shine);
        }

        const qreal shift = pressShift(state);
        const QColor ink = state == State::Pressed    ? palette::GoldLight
                           : state == State::Hover    ? palette::Frost
                           : state == State::Disabled ? QColor(104, 106, 110)
                                                      : palette::IceLight;
        const QRectF glyphBox(frame.center().x() - 15 + shift, 16 + shift, 30, 30);
        // A dark halo keeps the glyph crisp on the lit tab.
        drawGlyph(p, glyph, glyphBox.translated(0.8, 1.0), QColor(0, 0, 0, 150));
        drawGlyph(p, glyph, glyphBox, ink);

        p.setFont(fitFont(sansFont(13), name, tab.width() - 6));
        shadowedText(p, QRectF(tab.left() + shift, 52 + shift, tab.width(), 22), Qt::AlignCenter,
                     name, buttonTextColour(state));

        if (state == State::Focus) {
            p.setPen(QPen(QColor(246, 206, 104, 150), 1.0, Qt::DotLine));
            p.setBrush(Qt::NoBrush);
            p.drawRoundedRect(tab.adjusted(3, 3, -3, -3), 4, 4);
        }
    });
}

QImage titleStrip(int glyph, int frameWidth, int height)
{
    const bool danger = glyph == GlyphClose;
    return makeStrip(frameWidth, height, [&](QPainter& p, const QRectF& frame, State state) {
        const QPointF centre = frame.center();
        const qreal radius = std::min(frame.width(), frame.height()) / 2 - 2.0;
        const bool off = state == State::Disabled;

        QColor inner, outer;
        switch (state) {
        case State::Normal:
        case State::Focus:
            inner = QColor(40, 64, 90);
            outer = QColor(8, 14, 22);
            break;
        case State::Hover:
            inner = danger ? QColor(200, 60, 44) : QColor(70, 130, 186);
            outer = danger ? QColor(80, 12, 8) : QColor(14, 38, 64);
            break;
        case State::Pressed:
            inner = danger ? QColor(60, 8, 6) : QColor(6, 12, 20);
            outer = danger ? QColor(150, 36, 26) : QColor(30, 62, 96);
            break;
        case State::Disabled:
            inner = QColor(56, 58, 62);
            outer = QColor(24, 25, 27);
            break;
        }
        QRadialGradient well(centre - QPointF(radius * 0.3, radius * 0.45), radius * 1.5);
        well.setColorAt(0.0, inner);
        well.setColorAt(1.0, outer);
        QLinearGradient ring(0, centre.y() - radius, 0, centre.y() + radius);
        if (off) {
            ring.setColorAt(0.0, QColor(130, 130, 130));
            ring.setColorAt(1.0, QColor(60, 60, 60));
        } else if (state == State::Focus || state == State::Pressed) {
            ring.setColorAt(0.0, palette::GoldLight);
            ring.setColorAt(1.0, palette::GoldDark);
        } else {
            ring.setColorAt(0.0, state == State::Hover ? palette::Frost : palette::IceLight);
            ring.setColorAt(1.0, palette::IceDeep);
        }
        // A dark collar first, so the button stands off any background.
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 0, 150));
        p.drawEllipse(centre + QPointF(0, 0.8), radius + 1.6, radius + 1.6);
        p.setBrush(well);
        p.setPen(QPen(QBrush(ring), 1.6));
        p.drawEllipse(centre, radius, radius);
        // The glass highlight on the upper half.
        QPainterPath gloss;
        gloss.addEllipse(QRectF(centre.x() - radius * 0.62, centre.y() - radius * 0.85,
                                radius * 1.24, radius * 0.8));
        QLinearGradient glossFill(0, centre.y() - radius, 0, centre.y());
        glossFill.setColorAt(0.0, QColor(255, 255, 255, state == State::Pressed ? 20 : 70));
        glossFill.setColorAt(1.0, QColor(255, 255, 255, 0));
        p.fillPath(gloss, glossFill);

        const qreal shift = pressShift(state) * 0.8;
        const qreal box = radius * 1.75;
        const QColor ink = off                       ? QColor(120, 122, 126)
                           : state == State::Pressed ? palette::GoldLight
                           : state == State::Hover   ? QColor(255, 255, 255)
                                                     : palette::IceLight;
        const QRectF glyphBox(centre.x() - box / 2 + shift, centre.y() - box / 2 + shift, box, box);
        drawGlyph(p, glyph, glyphBox.translated(0.6, 0.8), QColor(0, 0, 0, 160));
        drawGlyph(p, glyph, glyphBox, ink);
    });
}

QImage dialogStrip(int frameWidth, int height)
{
    return makeStrip(frameWidth, height, [&](QPainter& p, const QRectF& frame, State state) {
        const QRectF plateRect = frame.adjusted(0.5, 0.5, -0.5, -0.5);
        drawPlate(p, plateRect, buttonPlate(state, 4));
        if (state == State::Focus) {
            p.setPen(QPen(QColor(246, 206, 104, 150), 1.0, Qt::DotLine));
            p.setBrush(Qt::NoBrush);
            p.drawRoundedRect(plateRect.adjusted(2.5, 2.5, -2.5, -2.5), 2, 2);
        }
        if (state == State::Hover) {
            QRadialGradient glow(QPointF(frame.center().x(), frame.bottom()), frame.width() * 0.6);
            glow.setColorAt(0.0, QColor(140, 200, 255, 60));
            glow.setColorAt(1.0, QColor(140, 200, 255, 0));
            p.fillRect(plateRect.adjusted(1, 1, -1, -1), glow);
        }
    });
}

QImage downloadButton()
{
    QImage image = blankImage(52, 23);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    drawPlate(p, QRectF(0.5, 0.5, 51, 22),
              {QColor(70, 140, 196), QColor(16, 50, 88), palette::IceLight,
               QColor(235, 248, 255, 200), 5, 1.0});
    // Down arrow into a tray.
    const QColor ink = palette::Frost;
    p.setPen(QPen(QColor(0, 0, 0, 140), 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    for (int pass = 0; pass < 2; ++pass) {
        const qreal d = pass == 0 ? 0.7 : 0.0;
        if (pass == 1) {
            p.setPen(QPen(ink, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        }
        p.drawLine(QPointF(11 + d, 5 + d), QPointF(11 + d, 13 + d));
        p.drawPolyline(QPolygonF(
            {QPointF(7.5 + d, 10 + d), QPointF(11 + d, 13.5 + d), QPointF(14.5 + d, 10 + d)}));
        p.drawPolyline(QPolygonF({QPointF(5.5 + d, 14 + d), QPointF(5.5 + d, 17 + d),
                                  QPointF(16.5 + d, 17 + d), QPointF(16.5 + d, 14 + d)}));
    }
    p.setFont(sansFont(12));
    shadowedText(p, QRectF(18, 0, 32, 22.5), Qt::AlignCenter, QStringLiteral("下载"), ink,
                 QColor(0, 20, 40, 220));
    return image;
}

QImage downloadedMark()
{
    QImage image = blankImage(52, 22);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    drawPlate(p, QRectF(0.5, 0.5, 51, 21),
              {QColor(46, 140, 72), QColor(10, 56, 26), QColor(132, 226, 150),
               QColor(220, 255, 225, 170), 5, 1.0});
    p.setPen(QPen(QColor(0, 0, 0, 140), 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    const QPolygonF tick({QPointF(4.5, 11.5), QPointF(7, 14.5), QPointF(11.5, 7.5)});
    p.drawPolyline(tick.translated(0.6, 0.8));
    p.setPen(QPen(QColor(240, 255, 240), 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(tick);
    p.setFont(fitFont(sansFont(11), QStringLiteral("已下载"), 35));
    shadowedText(p, QRectF(13, 0, 38, 22), Qt::AlignCenter, QStringLiteral("已下载"),
                 QColor(245, 255, 245), QColor(0, 30, 10, 220));
    return image;
}

} // namespace verdane::art
