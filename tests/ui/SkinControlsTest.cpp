#include "ui/skin/CSkinButton.h"
#include "ui/skin/CSkinGroupStatic.h"
#include "ui/skin/CSkinMusicButton.h"
#include "ui/skin/CSkinProgressCtrl.h"

#include <QApplication>
#include <QEnterEvent>
#include <QImage>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace verdane {
namespace {

QImage picture(QWidget& widget)
{
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

void hover(QWidget& widget, bool inside)
{
    if (inside) {
        QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), widget.mapToGlobal(QPointF(5, 5)));
        QApplication::sendEvent(&widget, &enter);
    } else {
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(&widget, &leave);
    }
}

TEST(SkinButtonTest, EachStateShowsItsOwnFrameAndTheCaption)
{
    CSkinButton button;
    ASSERT_TRUE(button.SetButtonImage(140));
    EXPECT_EQ(button.sizeHint(), QSize(150, 48));
    button.resize(151, 48);
    const QImage normal = picture(button);
    hover(button, true);
    const QImage hovered = picture(button);
    button.setDown(true);
    const QImage pressed = picture(button);
    button.setDown(false);
    hover(button, false);
    EXPECT_EQ(picture(button), normal) << "leaving must bring the normal frame back";
    button.setEnabled(false);
    const QImage frames[] = {normal, hovered, pressed, picture(button)};
    for (int i = 0; i < 4; ++i)
        for (int j = i + 1; j < 4; ++j)
            EXPECT_NE(frames[i], frames[j]) << i << " " << j;

    // Without an image the caption alone is drawn; dialog strips carry it on top.
    CSkinButton plain;
    EXPECT_FALSE(plain.SetButtonImage(4242));
    plain.resize(75, 23);
    for (const unsigned image : {0u, 1055u}) {
        ASSERT_TRUE(image == 0 || plain.SetButtonImage(image));
        plain.setText(QString());
        const QImage blank = picture(plain);
        plain.setText(QStringLiteral("确定"));
        EXPECT_NE(picture(plain), blank) << image;
    }
}

TEST(SkinMusicButtonTest, ClickSelectsAndTheOwnerClears)
{
    QWidget owner;
    owner.resize(200, 120);
    auto* button = new CSkinMusicButton(&owner);
    ASSERT_TRUE(button->SetButtonImage(146));
    button->setGeometry(10, 10, 63, 86);
    owner.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&owner));
    const QImage normal = picture(*button);

    // The owner looks at the flag in its click handler: it must already be set.
    bool selectedWhenClicked = false;
    QObject::connect(button, &CSkinButton::clicked,
                     [&] { selectedWhenClicked = button->selected; });
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_TRUE(selectedWhenClicked);
    EXPECT_TRUE(button->selected);
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_TRUE(button->selected) << "a second click keeps the selection";

    hover(*button, false);
    const QImage selected = picture(*button);
    button->selected = false;
    button->setDown(true);
    EXPECT_EQ(picture(*button), selected) << "selected is drawn as held down";
    button->setDown(false);
    EXPECT_EQ(picture(*button), normal) << "cleared by the owner: normal again";
}

// Columns left of the filled part are bright, those right of it dark.
TEST(SkinProgressTest, DrawsThePositionInsideTheRange)
{
    const struct {
        int lower, upper, pos;
        double filled; // part of the bar drawn filled
    } cases[] = {
        {0, 400, 0, 0.0},    {0, 400, 100, 0.25},  {0, 400, 400, 1.0},
        {0, 400, 1000, 1.0},                                       // beyond: full
        {0, 400, -50, 0.0},  {100, 200, 150, 0.5}, {5, 5, 5, 0.0}, // empty range
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.lower << ".." << c.upper << " at " << c.pos);
        CSkinProgressCtrl bar;
        bar.resize(400, 24);
        bar.SetRange(c.lower, c.upper);
        bar.SetPos(c.pos);
        EXPECT_EQ(bar.pos(), c.pos) << "the position is kept as given";
        const QImage image = picture(bar);
        const int edge = 3 + static_cast<int>((image.width() - 6) * c.filled);
        const int y = image.height() / 2;
        EXPECT_TRUE(c.filled == 0 || qGray(image.pixel((3 + edge) / 2, y)) > 60) << "filled";
        EXPECT_TRUE(c.filled == 1 || qGray(image.pixel((edge + image.width() - 3) / 2, y)) < 40)
            << "empty";
    }
}

TEST(SkinGroupStaticTest, ClickedOnlyOnLeftReleaseInside)
{
    QWidget owner;
    owner.resize(200, 60);
    auto* item = new CSkinGroupStatic(QStringLiteral("War3冰封王座"), &owner);
    item->setGeometry(20, 10, 115, 13);
    owner.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&owner));
    QSignalSpy clicks(item, &CSkinGroupStatic::clicked);

    QTest::mouseClick(item, Qt::LeftButton);
    EXPECT_EQ(clicks.count(), 1);
    QTest::mouseClick(item, Qt::RightButton);
    EXPECT_EQ(clicks.count(), 1) << "right button";
    QTest::mousePress(item, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(item, Qt::LeftButton, {}, QPoint(5, 40));
    EXPECT_EQ(clicks.count(), 1) << "released outside";
    EXPECT_FALSE(item->selected) << "the owner decides the selection";

    const QImage plain = picture(*item);
    item->selected = true;
    EXPECT_NE(picture(*item), plain);
}

} // namespace
} // namespace verdane
