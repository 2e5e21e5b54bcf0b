#include "ui/skin/Bitmaps.h"

#include <QImage>

#include <gtest/gtest.h>

namespace verdane {
namespace {

TEST(ArtworkTest, IconComesInEverySizeAndTheCursorPointsWithTheHand)
{
    const QList<QSize> sizes = programIcon().availableSizes();
    for (int side : {16, 32, 48, 64, 128, 256})
        EXPECT_TRUE(sizes.contains(QSize(side, side))) << side;
    const QCursor cursor = linkCursor();
    const QImage hand = cursor.pixmap().toImage();
    ASSERT_TRUE(hand.rect().contains(cursor.hotSpot()));
    EXPECT_GT(qAlpha(hand.pixel(cursor.hotSpot())), 0) << "the hot spot points at empty space";
    EXPECT_NE(cursor.hotSpot(), QPoint(0, 0)) << "the hot spot was lost";
    EXPECT_TRUE(loadBitmap(4242).isNull());
}

} // namespace
} // namespace verdane
