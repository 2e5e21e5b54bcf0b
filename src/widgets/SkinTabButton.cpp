#include "widgets/SkinTabButton.h"

namespace verdane {

namespace {
constexpr int PressedFrame = 2; // a checked tab is drawn held down
} // namespace

SkinTabButton::SkinTabButton(QWidget* parent)
    : SkinButton(parent)
{
    setCheckable(true);
}

int SkinTabButton::currentFrame() const
{
    if (isChecked() && isEnabled()) {
        return PressedFrame;
    }
    return SkinButton::currentFrame();
}

} // namespace verdane
