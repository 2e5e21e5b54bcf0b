#pragma once

#include "widgets/SkinButton.h"

namespace verdane {

// A category button: checkable, and drawn held down while checked. In an
// exclusive group, a click checks it and unchecks the one checked before.
class SkinTabButton : public SkinButton {
    Q_OBJECT
public:
    explicit SkinTabButton(QWidget* parent = nullptr);

protected:
    int currentFrame() const override;
};

} // namespace verdane
