#include "widgets/SkinButton.h"

#include "widgets/Bitmaps.h"

#include <QPainter>

#include <algorithm>

namespace verdane {

namespace {

constexpr int Frames = 5;
enum Frame { Normal = 0, Hover = 1, Pressed = 2, Focus = 3, Disabled = 4 };

QColor captionColour(int frame)
{
    switch (frame) {
    case Hover:
        return QColor(255, 255, 255);
    case Pressed:
        return QColor(246, 206, 104);
    case Disabled:
        return QColor(112, 114, 118);
    default:
        return QColor(229, 228, 225);
    }
}

} // namespace

SkinButton::SkinButton(QWidget* parent)
    : QAbstractButton(parent)
{
}

bool SkinButton::pressFocused(const QWidget* window)
{
    auto* button = qobject_cast<SkinButton*>(window->focusWidget());
    if (button == nullptr)
        return false;
    if (button->isEnabled())
        button->click();
    return true;
}

bool SkinButton::setButtonImage(unsigned int resourceId)
{
    QPixmap strip = loadBitmap(resourceId);
    if (strip.isNull() || strip.width() < Frames) {
        return false;
    }
    strip_ = std::move(strip);
    updateGeometry();
    update();
    return true;
}

QSize SkinButton::sizeHint() const
{
    if (!strip_.isNull()) {
        return {strip_.width() / Frames, strip_.height()};
    }
    const QSize text = fontMetrics().size(Qt::TextShowMnemonic, this->text());
    return text + QSize(16, 8);
}

void SkinButton::paintEvent(QPaintEvent* /*event*/)
{
    paintFrame(currentFrame());
}

void SkinButton::enterEvent(QEnterEvent* event)
{
    hovered_ = true;
    update();
    QAbstractButton::enterEvent(event);
}

void SkinButton::leaveEvent(QEvent* event)
{
    hovered_ = false;
    update();
    QAbstractButton::leaveEvent(event);
}

int SkinButton::currentFrame() const
{
    if (!isEnabled()) {
        return Disabled;
    }
    if (isDown()) {
        return Pressed;
    }
    if (hovered_) {
        return Hover;
    }
    // Like the style's focus rectangle: only once the keyboard has moved the focus.
    if (hasFocus() && window()->testAttribute(Qt::WA_KeyboardFocusChange)) {
        return Focus;
    }
    return Normal;
}

void SkinButton::paintFrame(int frame)
{
    QPainter painter(this);
    if (strip_.isNull()) {
        painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled,
                                       QPalette::ButtonText));
        painter.drawText(rect(), Qt::AlignCenter | Qt::TextShowMnemonic, text());
        return;
    }
    frame = std::clamp(frame, 0, Frames - 1);
    const int frameWidth = strip_.width() / Frames;
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(rect(), strip_, QRect(frame * frameWidth, 0, frameWidth, strip_.height()));
    if (!text().isEmpty()) {
        // Dialog buttons share one plain strip; their captions go on top.
        const QRect area = frame == Pressed ? rect().translated(1, 1) : rect();
        painter.setPen(QColor(0, 0, 0, 170));
        painter.drawText(area.translated(1, 1), Qt::AlignCenter | Qt::TextShowMnemonic, text());
        painter.setPen(captionColour(frame));
        painter.drawText(area, Qt::AlignCenter | Qt::TextShowMnemonic, text());
    }
}

} // namespace verdane
