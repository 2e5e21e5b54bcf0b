#include "ui/skin/CSkinMusicButton.h"

namespace verdane {

namespace {
constexpr int PressedFrame = 2; // a selected tab is drawn held down
} // namespace

CSkinMusicButton::CSkinMusicButton(QWidget* parent)
    : CSkinButton(parent)
{
}

int CSkinMusicButton::currentFrame() const
{
    if (selected && isEnabled()) {
        return PressedFrame;
    }
    return CSkinButton::currentFrame();
}

void CSkinMusicButton::nextCheckState()
{
    // Runs on every click just before clicked() goes out, so the owner already
    // sees this button selected when it clears the others.
    selected = true;
    update();
}

} // namespace verdane
