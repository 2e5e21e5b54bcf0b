#include "Art.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>

#include <cmath>

namespace verdane::art {

namespace {

QFont cjkFont(const QString& family, const QString& fallback, qreal pixelSize, bool bold)
{
    QFont font;
    font.setFamilies(
        {family, fallback, QStringLiteral("WenQuanYi Zen Hei"), QStringLiteral("DejaVu Sans")});
    font.setPixelSize(static_cast<int>(std::lround(pixelSize)));
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

} // namespace

QFont sansFont(qreal pixelSize, bool bold)
{
    return cjkFont(QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Noto Sans"), pixelSize,
                   bold);
}

QFont serifFont(qreal pixelSize, bool bold)
{
    return cjkFont(QStringLiteral("Noto Serif CJK SC"), QStringLiteral("Noto Serif"), pixelSize,
                   bold);
}

QFont fitFont(QFont font, const QString& text, qreal width)
{
    while (font.pixelSize() > 8 && QFontMetricsF(font).horizontalAdvance(text) > width) {
        font.setPixelSize(font.pixelSize() - 1);
    }
    return font;
}

QImage blankImage(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

QImage makeStrip(int frameWidth, int height,
                 const std::function<void(QPainter&, const QRectF&, State)>& paintFrame)
{
    QImage strip = blankImage(frameWidth * FrameCount, height);
    QPainter painter(&strip);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    for (int i = 0; i < FrameCount; ++i) {
        painter.save();
        painter.translate(i * frameWidth, 0);
        painter.setClipRect(0, 0, frameWidth, height);
        paintFrame(painter, QRectF(0, 0, frameWidth, height), static_cast<State>(i));
        painter.restore();
    }
    return strip;
}

void shadowedText(QPainter& painter, const QRectF& rect, int flags, const QString& text,
                  const QColor& colour, const QColor& shadow, qreal offset)
{
    painter.setPen(shadow);
    painter.drawText(rect.translated(offset, offset), flags, text);
    painter.setPen(colour);
    painter.drawText(rect, flags, text);
}

void drawPlate(QPainter& painter, const QRectF& rect, const Plate& plate)
{
    painter.save();
    const qreal half = plate.rimWidth / 2.0;
    const QRectF body = rect.adjusted(half, half, -half, -half);
    QLinearGradient fill(body.topLeft(), body.bottomLeft());
    fill.setColorAt(0.0, plate.top);
    fill.setColorAt(1.0, plate.bottom);
    painter.setBrush(fill);
    painter.setPen(QPen(plate.rim, plate.rimWidth));
    painter.drawRoundedRect(body, plate.radius, plate.radius);

    // A light catch along the upper inner edge gives the plate its bevel.
    QLinearGradient shine(body.topLeft(), body.topRight());
    QColor clear = plate.highlight;
    clear.setAlpha(0);
    shine.setColorAt(0.0, clear);
    shine.setColorAt(0.5, plate.highlight);
    shine.setColorAt(1.0, clear);
    painter.setPen(QPen(QBrush(shine), 1.0));
    painter.setBrush(Qt::NoBrush);
    const qreal inset = plate.rimWidth + 0.5;
    painter.drawLine(QPointF(body.left() + plate.radius, body.top() + inset),
                     QPointF(body.right() - plate.radius, body.top() + inset));
    painter.restore();
}

Plate buttonPlate(State state, qreal radius)
{
    using namespace palette;
    Plate plate;
    switch (state) {
    case State::Normal:
        plate = {QColor(46, 68, 94),
                 QColor(14, 22, 33),
                 QColor(70, 112, 150),
                 QColor(150, 200, 235, 120),
                 radius,
                 1.0};
        break;
    case State::Hover:
        plate = {QColor(64, 104, 142),
                 QColor(20, 38, 58),
                 IceLight,
                 QColor(220, 240, 255, 190),
                 radius,
                 1.0};
        break;
    case State::Pressed:
        plate = {
            QColor(10, 16, 25), QColor(36, 60, 86), GoldLight, QColor(0, 0, 0, 0), radius, 1.0};
        break;
    case State::Focus:
        plate = {
            QColor(46, 68, 94), QColor(14, 22, 33), Gold, QColor(246, 206, 104, 120), radius, 1.0};
        break;
    case State::Disabled:
        plate = {QColor(46, 48, 52),
                 QColor(24, 25, 28),
                 QColor(74, 76, 80),
                 QColor(160, 160, 160, 50),
                 radius,
                 1.0};
        break;
    }
    return plate;
}

QColor buttonTextColour(State state)
{
    switch (state) {
    case State::Hover:
        return QColor(255, 255, 255);
    case State::Pressed:
        return palette::GoldLight;
    case State::Disabled:
        return QColor(112, 114, 118);
    case State::Normal:
    case State::Focus:
        break;
    }
    return palette::TextLight;
}

void frostSpecks(QPainter& painter, const QRectF& area, int count, unsigned seed)
{
    // A small linear congruential generator: the same picture on every build.
    unsigned state = seed;
    auto next = [&state]() {
        state = state * 1664525u + 1013904223u;
        return (state >> 8) & 0xFFFFu;
    };
    painter.save();
    painter.setPen(Qt::NoPen);
    for (int i = 0; i < count; ++i) {
        const qreal x = area.left() + area.width() * next() / 65536.0;
        const qreal y = area.top() + area.height() * next() / 65536.0;
        const int alpha = 10 + static_cast<int>(next() % 28);
        const qreal size = 0.6 + (next() % 100) / 100.0;
        painter.setBrush(QColor(170, 215, 245, alpha));
        painter.drawEllipse(QPointF(x, y), size, size);
    }
    painter.restore();
}

QPainterPath sparkPath(const QPointF& centre, qreal radius)
{
    const qreal waist = radius * 0.22;
    QPainterPath path;
    path.moveTo(centre.x(), centre.y() - radius);
    path.lineTo(centre.x() + waist, centre.y() - waist);
    path.lineTo(centre.x() + radius, centre.y());
    path.lineTo(centre.x() + waist, centre.y() + waist);
    path.lineTo(centre.x(), centre.y() + radius);
    path.lineTo(centre.x() - waist, centre.y() + waist);
    path.lineTo(centre.x() - radius, centre.y());
    path.lineTo(centre.x() - waist, centre.y() - waist);
    path.closeSubpath();
    return path;
}

void drawCrystal(QPainter& painter, const QPointF& centre, qreal radius, const QColor& colour,
                 qreal penWidth)
{
    painter.save();
    painter.translate(centre);
    painter.setPen(QPen(colour, penWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    for (int arm = 0; arm < 6; ++arm) {
        painter.save();
        painter.rotate(arm * 60.0);
        painter.drawLine(QPointF(0, 0), QPointF(0, -radius));
        // Two pairs of barbs on every arm.
        for (qreal at : {0.45, 0.72}) {
            const qreal barb = radius * (at < 0.5 ? 0.30 : 0.20);
            painter.drawLine(QPointF(0, -radius * at), QPointF(barb, -radius * at - barb));
            painter.drawLine(QPointF(0, -radius * at), QPointF(-barb, -radius * at - barb));
        }
        painter.restore();
    }
    painter.restore();
}

} // namespace verdane::art
