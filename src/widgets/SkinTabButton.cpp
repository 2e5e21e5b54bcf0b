#include "widgets/SkinTabButton.h"

namespace verdane {

namespace {
constexpr int PressedFrame = 2; // a selected tab is drawn held down
} // namespace

SkinTabButton::SkinTabButton(QWidget* parent)
    : SkinButton(parent)
{
}

int SkinTabButton::currentFrame() const
{
    if (selected && isEnabled()) {
        return PressedFrame;
    }
    return SkinButton::currentFrame();
}

void SkinTabButton::nextCheckState()
{
    // Runs on every click just before clicked() goes out, so the owner already
    // sees this button selected when it clears the others.
    selected = true;
    update();
}

} // namespace verdane
