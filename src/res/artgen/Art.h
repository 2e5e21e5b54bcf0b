#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainterPath>
#include <QRectF>
#include <QString>

#include <functional>

class QPainter;

namespace verdane::art {

// The five frames of a button strip, left to right.
enum class State { Normal, Hover, Pressed, Focus, Disabled };
inline constexpr int FrameCount = 5;

// The colours the whole set shares.
namespace palette {
inline const QColor ColourKey{255, 0, 255};
inline const QColor PageBlack{5, 5, 5};
inline const QColor Night{8, 12, 19};
inline const QColor SteelDark{16, 24, 35};
inline const QColor Steel{34, 50, 70};
inline const QColor SteelLight{62, 88, 116};
inline const QColor IceDeep{24, 62, 102};
inline const QColor Ice{74, 136, 186};
inline const QColor IceLight{158, 212, 244};
inline const QColor Frost{226, 242, 252};
inline const QColor Gold{198, 140, 0};
inline const QColor GoldLight{246, 206, 104};
inline const QColor GoldDark{104, 68, 6};
inline const QColor TextLight{229, 228, 225};
inline const QColor LabelBlue{41, 107, 163};
} // namespace palette

// Fonts: the CJK sans serif and serif, with fallbacks.
QFont sansFont(qreal pixelSize, bool bold = true);
QFont serifFont(qreal pixelSize, bool bold = true);
// `font`, made smaller (down to 8 pixels) until `text` fits in `width`.
QFont fitFont(QFont font, const QString& text, qreal width);

// A blank ARGB image, fully transparent.
QImage blankImage(int width, int height);
// A strip of five frames of `frameWidth` x `height`, each drawn by `paintFrame`
// in frame coordinates.
QImage makeStrip(int frameWidth, int height,
                 const std::function<void(QPainter&, const QRectF&, State)>& paintFrame);

// Text with a soft dark shadow under it, so it reads on any plate.
void shadowedText(QPainter& painter, const QRectF& rect, int flags, const QString& text,
                  const QColor& colour, const QColor& shadow = QColor(0, 0, 0, 200),
                  qreal offset = 1.0);

// A rounded plate with a vertical gradient, a rim and a top highlight.
struct Plate {
    QColor top;
    QColor bottom;
    QColor rim;
    QColor highlight;
    qreal radius = 4.0;
    qreal rimWidth = 1.0;
};
void drawPlate(QPainter& painter, const QRectF& rect, const Plate& plate);

// Colours of a button plate for one state.
Plate buttonPlate(State state, qreal radius);
QColor buttonTextColour(State state);

// Scattered faint specks, repeatable (fixed seed), like frost on dark metal.
void frostSpecks(QPainter& painter, const QRectF& area, int count, unsigned seed);

// A small four-pointed star, the ornament used on frames and plates.
QPainterPath sparkPath(const QPointF& centre, qreal radius);
// A six-armed ice crystal of the given radius.
void drawCrystal(QPainter& painter, const QPointF& centre, qreal radius, const QColor& colour,
                 qreal penWidth);

// The pictures; see the .cpp files for how each looks.
QImage background();
QImage downloadedMark();
QImage downloadButton();
// An empty `medallion` puts the crown in the round badge instead of letters.
QImage launchStrip(const QString& name, const QString& caption, const QString& medallion,
                   int height);
QImage categoryStrip(const QString& name, int glyph);
QImage titleStrip(int glyph, int frameWidth, int height);
QImage dialogStrip(int frameWidth, int height);
QImage programIcon(int size);
QImage handCursor();
QPoint handCursorHotSpot();

// Category and launch glyphs (paint in a 32 x 32 box at the painter's origin).
enum Glyph {
    GlyphHome,
    GlyphSwords,
    GlyphOrb,
    GlyphTower,
    GlyphDice,
    GlyphTools,
    GlyphCrown,
    GlyphMinimise,
    GlyphClose,
    GlyphGear
};
void drawGlyph(QPainter& painter, int glyph, const QRectF& box, const QColor& colour);

} // namespace verdane::art
