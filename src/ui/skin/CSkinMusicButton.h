#pragma once

#include "ui/skin/CSkinButton.h"

namespace verdane {

// A category button: stays drawn selected after a click until its owner
// clears `selected` (and repaints it).
class CSkinMusicButton : public CSkinButton {
    Q_OBJECT
public:
    explicit CSkinMusicButton(QWidget* parent = nullptr);

    bool selected = false;

protected:
    int currentFrame() const override;
    void nextCheckState() override;
};

} // namespace verdane
