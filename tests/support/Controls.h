#pragma once

#include "common/ControlIds.h"

#include <QWidget>

namespace verdane::test {

// The control of a window with this number (its objectName), as the end-to-end layer names it.
template <typename T = QWidget> T* control(const QWidget* window, int id)
{
    return window->findChild<T*>(controlName(id));
}

} // namespace verdane::test
