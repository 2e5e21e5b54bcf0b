#pragma once

#include <QRect>

namespace verdane {

// Dialog templates are laid out in dialog units; these turn them into pixels
// for the two fonts the program's dialogs use.
QRect dluRect9pt(int x, int y, int width, int height); // main window, About box
QRect dluRect8pt(int x, int y, int width, int height); // download, settings, search

// Rectangles given as left, top, right, bottom client pixels.
QRect pixelRect(int left, int top, int right, int bottom);

} // namespace verdane
