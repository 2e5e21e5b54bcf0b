#include "widgets/Bitmaps.h"

#include <QImage>
#include <QImageReader>

namespace verdane {

QPixmap loadBitmap(unsigned int resourceId)
{
    return QPixmap(QStringLiteral(":/bitmaps/%1.png").arg(resourceId));
}

QIcon programIcon()
{
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256}) {
        icon.addFile(QStringLiteral(":/icons/128-%1.png").arg(size), QSize(size, size));
    }
    return icon;
}

QCursor linkCursor()
{
    // The picture carries its hot spot (the finger tip) as the text "HotSpot" = "x,y".
    QImageReader reader(QStringLiteral(":/cursors/150.png"));
    const QImage image = reader.read();
    if (image.isNull()) {
        return QCursor(Qt::PointingHandCursor);
    }
    int hotX = 0;
    int hotY = 0;
    const QStringList hotSpot = image.text(QStringLiteral("HotSpot")).split(QLatin1Char(','));
    if (hotSpot.size() == 2) {
        hotX = hotSpot.at(0).trimmed().toInt();
        hotY = hotSpot.at(1).trimmed().toInt();
    }
    return QCursor(QPixmap::fromImage(image), hotX, hotY);
}

} // namespace verdane
