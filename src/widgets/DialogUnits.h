#pragma once

#include <QFont>
#include <QRect>

namespace verdane {

// Dialog templates are laid out in dialog units; these turn them into pixels
// for the two fonts the program's dialogs use.
QRect dluRect9pt(int x, int y, int width, int height); // main window, About box
QRect dluRect8pt(int x, int y, int width, int height); // download, settings, search

// The 8-point font of the dialogs laid out with dluRect8pt (the CJK sans serif).
QFont dialogFont8pt();
// The 9-point CJK serif of the text the settings and search dialogs draw.
QFont serifFont9pt();

// Rectangles given as left, top, right, bottom client pixels.
QRect pixelRect(int left, int top, int right, int bottom);

} // namespace verdane
