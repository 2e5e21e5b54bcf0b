#pragma once

#include "widgets/SkinButton.h"

namespace verdane {

// A category button: stays drawn selected after a click until its owner
// clears `selected` (and repaints it).
class SkinTabButton : public SkinButton {
    Q_OBJECT
public:
    explicit SkinTabButton(QWidget* parent = nullptr);

    bool selected = false;

protected:
    int currentFrame() const override;
    void nextCheckState() override;
};

} // namespace verdane
