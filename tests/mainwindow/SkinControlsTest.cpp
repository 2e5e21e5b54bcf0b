#include "widgets/SkinButton.h"
#include "widgets/SkinProgressBar.h"
#include "widgets/SkinTabButton.h"

#include <QApplication>
#include <QImage>
#include <QTest>

#include <gtest/gtest.h>

namespace verdane {
namespace {

QImage picture(QWidget& widget)
{
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// Columns left of the filled part are bright, those right of it dark.
TEST(SkinProgressTest, DrawsThePositionInsideTheRange)
{
    const struct {
        int lower, upper, pos;
        double filled; // part of the bar drawn filled
    } cases[] = {{0, 400, 100, 0.25},
                 {0, 400, 1000, 1.0},
                 {0, 400, -50, 0.0},
                 {100, 200, 150, 0.5},
                 {5, 5, 5, 0.0}};
    for (const auto& c : cases) {
        SkinProgressBar bar;
        bar.resize(400, 24);
        bar.setRange(c.lower, c.upper);
        bar.setPos(c.pos);
        const QImage image = picture(bar);
        const int edge = 3 + static_cast<int>((image.width() - 6) * c.filled);
        const int y = image.height() / 2;
        EXPECT_TRUE(c.filled == 0 || qGray(image.pixel((3 + edge) / 2, y)) > 60) << c.pos;
        EXPECT_TRUE(c.filled == 1 || qGray(image.pixel((edge + image.width() - 3) / 2, y)) < 40)
            << c.pos;
    }
}

} // namespace
} // namespace verdane
