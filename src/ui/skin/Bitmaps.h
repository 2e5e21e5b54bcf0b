#pragma once

#include <QCursor>
#include <QIcon>
#include <QPixmap>

namespace verdane {

// The program's pictures, each named by its resource number.
QPixmap loadBitmap(unsigned int resourceId);
QIcon programIcon();  // icon 128
QCursor linkCursor(); // cursor 150

} // namespace verdane
