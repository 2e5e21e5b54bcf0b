#include "ui/skin/Bitmaps.h"

#include <QImage>
#include <QRect>

#include <gtest/gtest.h>

namespace verdane {
namespace {

struct BitmapSize {
    unsigned int id;
    int width;
    int height;
};

class BitmapSizeTest : public testing::TestWithParam<BitmapSize> {};

TEST_P(BitmapSizeTest, LoadsWithItsSize)
{
    const BitmapSize expected = GetParam();
    const QPixmap bitmap = loadBitmap(expected.id);
    ASSERT_FALSE(bitmap.isNull()) << "bitmap " << expected.id;
    EXPECT_EQ(bitmap.size(), QSize(expected.width, expected.height)) << "bitmap " << expected.id;
}

// Strips hold five frames of the control's size side by side.
INSTANTIATE_TEST_SUITE_P(EveryBitmap, BitmapSizeTest,
                         testing::Values(BitmapSize{129, 603, 428},  // background
                                         BitmapSize{1038, 52, 22},   // downloaded mark
                                         BitmapSize{151, 52, 23},    // download button
                                         BitmapSize{136, 150, 28},   // minimise 30 x 28
                                         BitmapSize{138, 140, 28},   // close 28 x 28
                                         BitmapSize{152, 160, 26},   // settings 32 x 26
                                         BitmapSize{140, 750, 48},   // launch 3000
                                         BitmapSize{141, 750, 55},   // launch 3001
                                         BitmapSize{143, 750, 55},   // launch 3002
                                         BitmapSize{142, 750, 55},   // launch 3003
                                         BitmapSize{139, 750, 55},   // launch 3004
                                         BitmapSize{148, 315, 86},   // category 3005
                                         BitmapSize{146, 315, 86},   // category 3006
                                         BitmapSize{144, 315, 86},   // category 3007
                                         BitmapSize{147, 315, 86},   // category 3008
                                         BitmapSize{149, 315, 86},   // category 3009
                                         BitmapSize{145, 315, 86},   // category 3010
                                         BitmapSize{1054, 195, 24},  // small dialog buttons
                                         BitmapSize{1055, 375, 23}), // wide dialog buttons
                         [](const testing::TestParamInfo<BitmapSize>& param) {
                             return "Bitmap" + std::to_string(param.param.id);
                         });

TEST(ArtworkTest, MissingBitmapIsEmpty)
{
    EXPECT_TRUE(loadBitmap(4242).isNull());
}

TEST(ArtworkTest, IconComesInEverySize)
{
    const QIcon icon = programIcon();
    const QList<QSize> sizes = icon.availableSizes();
    for (int side : {16, 32, 48, 64, 128, 256}) {
        EXPECT_TRUE(sizes.contains(QSize(side, side))) << side;
    }
}

TEST(ArtworkTest, CursorHotSpotIsOnTheHand)
{
    const QCursor cursor = linkCursor();
    const QImage hand = cursor.pixmap().toImage();
    ASSERT_EQ(hand.size(), QSize(32, 32));
    const QPoint hotSpot = cursor.hotSpot();
    ASSERT_TRUE(hand.rect().contains(hotSpot));
    EXPECT_GT(qAlpha(hand.pixel(hotSpot)), 0) << "the hot spot points at empty space";
    EXPECT_NE(hotSpot, QPoint(0, 0)) << "the hot spot was lost";
}

// Rectangles in client pixels of the main window.
struct Area {
    const char* name;
    QRect rect;
};

TEST(BackgroundTest, ColourKeyOnlyOutsideTheControls)
{
    const QImage background = loadBitmap(129).toImage().convertToFormat(QImage::Format_RGB32);
    const QRgb key = qRgb(255, 0, 255);
    EXPECT_EQ(background.pixel(0, 0), key);
    EXPECT_EQ(background.pixel(0, 427), key);
    EXPECT_EQ(background.pixel(602, 427), key);

    const Area controls[] = {
        {"minimise 1", QRect(534, 0, 30, 28)},
        {"close 2", QRect(572, 0, 28, 28)},
        {"settings 1030", QRect(487, 0, 32, 26)},
        {"launch buttons", QRect(QPoint(11, 111), QPoint(161, 378))},
        {"category buttons", QRect(QPoint(181, 22), QPoint(558, 108))},
        {"page panel 23", QRect(QPoint(161, 110), QPoint(581, 369))},
        {"bottom labels", QRect(QPoint(16, 396), QPoint(591, 414))},
    };
    for (const Area& area : controls) {
        for (int y = area.rect.top(); y <= area.rect.bottom(); ++y) {
            for (int x = area.rect.left(); x <= area.rect.right(); ++x) {
                ASSERT_NE(background.pixel(x, y), key) << area.name << " at " << x << "," << y;
            }
        }
    }
}

// The labels paint their text on RGB(5, 5, 5); the picture under them must be
// exactly that, or each label would show as a box.
TEST(BackgroundTest, LabelsSitOnTheirTextBackground)
{
    const QImage background = loadBitmap(129).toImage().convertToFormat(QImage::Format_RGB32);
    const Area labels[] = {
        {"1008", QRect(207, 354, 100, 18)}, {"1009", QRect(317, 352, 37, 18)},
        {"1010", QRect(403, 352, 16, 18)},  {"1011", QRect(434, 352, 39, 18)},
        {"1012", QRect(488, 350, 60, 18)},  {"1013", QRect(431, 397, 161, 18)},
        {"1015", QRect(16, 396, 184, 18)},  {"1029", QRect(201, 396, 86, 19)},
        {"1016", QRect(233, 138, 282, 19)}, {"1018", QRect(233, 203, 282, 19)},
        {"1020", QRect(233, 268, 282, 19)}, {"1017", QRect(233, 161, 282, 21)},
        {"1019", QRect(233, 226, 282, 19)}, {"1021", QRect(233, 289, 282, 19)},
    };
    for (const Area& label : labels) {
        for (int y = label.rect.top(); y <= label.rect.bottom(); ++y) {
            for (int x = label.rect.left(); x <= label.rect.right(); ++x) {
                ASSERT_EQ(background.pixel(x, y), qRgb(5, 5, 5))
                    << "label " << label.name << " at " << x << "," << y;
            }
        }
    }
}

} // namespace
} // namespace verdane
