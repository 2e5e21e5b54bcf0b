#include "ui/skin/Bitmaps.h"

#include <QImage>
#include <QRect>

#include <gtest/gtest.h>

namespace verdane {
namespace {

TEST(ArtworkTest, EveryBitmapLoadsWithItsSize)
{
    // Strips hold five frames of the control's size side by side.
    const int sizes[][3] = {
        {129, 603, 428},                                                 // background
        {1038, 52, 22},                                                  // downloaded mark
        {151, 52, 23},                                                   // download button
        {136, 150, 28},                                                  // minimise 30 x 28
        {138, 140, 28},                                                  // close 28 x 28
        {152, 160, 26},                                                  // settings 32 x 26
        {140, 750, 48},                                                  // launch 3000
        {141, 750, 55},  {143, 750, 55}, {142, 750, 55}, {139, 750, 55}, // launch 3001-3004
        {148, 315, 86},  {146, 315, 86}, {144, 315, 86},                 // category 3005-3007
        {147, 315, 86},  {149, 315, 86}, {145, 315, 86},                 // category 3008-3010
        {1054, 195, 24},                                                 // small dialog buttons
        {1055, 375, 23},                                                 // wide dialog buttons
        {4242, 0, 0},                                                    // no such bitmap: empty
    };
    for (const auto& [id, width, height] : sizes)
        EXPECT_EQ(loadBitmap(id).size(), QSize(width, height)) << "bitmap " << id;
}

TEST(ArtworkTest, IconComesInEverySizeAndTheCursorPointsWithTheHand)
{
    const QList<QSize> sizes = programIcon().availableSizes();
    for (int side : {16, 32, 48, 64, 128, 256})
        EXPECT_TRUE(sizes.contains(QSize(side, side))) << side;

    const QCursor cursor = linkCursor();
    const QImage hand = cursor.pixmap().toImage();
    ASSERT_EQ(hand.size(), QSize(32, 32));
    ASSERT_TRUE(hand.rect().contains(cursor.hotSpot()));
    EXPECT_GT(qAlpha(hand.pixel(cursor.hotSpot())), 0) << "the hot spot points at empty space";
    EXPECT_NE(cursor.hotSpot(), QPoint(0, 0)) << "the hot spot was lost";
}

// The colour key (magenta) cuts the window's shape: it lies in the corners and
// never under a control. The labels paint their text on RGB(5, 5, 5): the
// picture under them must be exactly that, or each label would show as a box.
TEST(ArtworkTest, BackgroundIsKeyedOutsideTheControlsAndPlainUnderTheLabels)
{
    const QImage background = loadBitmap(129).toImage().convertToFormat(QImage::Format_RGB32);
    const QRgb key = qRgb(255, 0, 255);
    for (const QPoint corner : {QPoint(0, 0), QPoint(0, 427), QPoint(602, 427)})
        EXPECT_EQ(background.pixel(corner), key);

    const struct {
        const char* name;
        QRect rect;
        bool label;
    } areas[] = {
        {"minimise 1", QRect(534, 0, 30, 28), false},
        {"close 2", QRect(572, 0, 28, 28), false},
        {"settings 1030", QRect(487, 0, 32, 26), false},
        {"launch buttons", QRect(QPoint(11, 111), QPoint(161, 378)), false},
        {"category buttons", QRect(QPoint(181, 22), QPoint(558, 108)), false},
        {"page panel 23", QRect(QPoint(161, 110), QPoint(581, 369)), false},
        {"bottom labels", QRect(QPoint(16, 396), QPoint(591, 414)), false},
        {"1008", QRect(207, 354, 100, 18), true},
        {"1009", QRect(317, 352, 37, 18), true},
        {"1010", QRect(403, 352, 16, 18), true},
        {"1011", QRect(434, 352, 39, 18), true},
        {"1012", QRect(488, 350, 60, 18), true},
        {"1013", QRect(431, 397, 161, 18), true},
        {"1015", QRect(16, 396, 184, 18), true},
        {"1029", QRect(201, 396, 86, 19), true},
        {"1016", QRect(233, 138, 282, 19), true},
        {"1018", QRect(233, 203, 282, 19), true},
        {"1020", QRect(233, 268, 282, 19), true},
        {"1017", QRect(233, 161, 282, 21), true},
        {"1019", QRect(233, 226, 282, 19), true},
        {"1021", QRect(233, 289, 282, 19), true},
    };
    for (const auto& area : areas) {
        for (int y = area.rect.top(); y <= area.rect.bottom(); ++y) {
            for (int x = area.rect.left(); x <= area.rect.right(); ++x) {
                const QRgb pixel = background.pixel(x, y);
                ASSERT_TRUE(area.label ? pixel == qRgb(5, 5, 5) : pixel != key)
                    << area.name << " at " << x << "," << y;
            }
        }
    }
}

} // namespace
} // namespace verdane
