#pragma once

class QWidget;

namespace verdane {

// A press of a launch button of the window (3000..3004; any other id does
// nothing): starts the target from its stored path, or tells the user that
// there is none usable, asks for the file, stores it and starts it. The boxes
// belong to the window.
void startTarget(QWidget* window, int buttonId);

} // namespace verdane
