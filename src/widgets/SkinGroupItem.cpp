#include "widgets/SkinGroupItem.h"

#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>

namespace verdane {

SkinGroupItem::SkinGroupItem(const QString& text, QWidget* parent)
    : QLabel(text, parent)
{
    setAlignment(Qt::AlignCenter);
    setAutoFillBackground(false);
}

void SkinGroupItem::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    QColor ink =
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, foregroundRole());
    if (selected) {
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF plate = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        QLinearGradient fill(plate.topLeft(), plate.bottomLeft());
        fill.setColorAt(0.0, QColor(86, 148, 198));
        fill.setColorAt(1.0, QColor(24, 62, 102));
        painter.setBrush(fill);
        painter.setPen(QPen(QColor(16, 36, 60), 1.0));
        painter.drawRoundedRect(plate, 3, 3);
        painter.setPen(QPen(QColor(246, 206, 104), 1.0));
        painter.drawLine(QPointF(plate.left() + 1.5, plate.top() + 3),
                         QPointF(plate.left() + 1.5, plate.bottom() - 3));
        ink = QColor(255, 255, 255);
    }
    painter.setFont(font());
    painter.setPen(ink);
    painter.drawText(contentsRect(), static_cast<int>(alignment()), text());
}

void SkinGroupItem::mousePressEvent(QMouseEvent* event)
{
    // The press belongs to this item's click; the parent must not act on it (drag).
    event->setAccepted(event->button() == Qt::LeftButton);
}

void SkinGroupItem::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        event->accept();
        Q_EMIT clicked();
        return;
    }
    QLabel::mouseReleaseEvent(event);
}

} // namespace verdane
