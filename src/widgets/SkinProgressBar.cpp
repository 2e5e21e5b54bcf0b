#include "widgets/SkinProgressBar.h"

#include <QLinearGradient>
#include <QPainter>

#include <algorithm>

namespace verdane {

SkinProgressBar::SkinProgressBar(QWidget* parent)
    : QWidget(parent)
{
    setMinimumHeight(8);
}

void SkinProgressBar::setRange(int lower, int upper)
{
    lower_ = lower;
    upper_ = upper;
    update();
}

void SkinProgressBar::setPos(int position)
{
    // Kept as given; only the drawing is held inside the range.
    pos_ = position;
    update();
}

void SkinProgressBar::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF groove = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const qreal radius = std::min(4.0, groove.height() / 3);

    QLinearGradient well(groove.topLeft(), groove.bottomLeft());
    well.setColorAt(0.0, QColor(4, 7, 12));
    well.setColorAt(1.0, QColor(18, 28, 40));
    painter.setBrush(well);
    painter.setPen(QPen(QColor(54, 88, 120), 1.0));
    painter.drawRoundedRect(groove, radius, radius);

    const qint64 span = qint64(upper_) - lower_;
    if (span <= 0) {
        return;
    }
    const qint64 done = std::clamp<qint64>(qint64(pos_) - lower_, 0, span);
    const QRectF track = groove.adjusted(2, 2, -2, -2);
    const qreal width = track.width() * static_cast<qreal>(done) / static_cast<qreal>(span);
    if (width < 1.0) {
        return;
    }
    const QRectF bar(track.left(), track.top(), width, track.height());
    QLinearGradient fill(bar.topLeft(), bar.bottomLeft());
    fill.setColorAt(0.0, QColor(170, 222, 250));
    fill.setColorAt(0.45, QColor(74, 150, 206));
    fill.setColorAt(1.0, QColor(24, 72, 124));
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(bar, radius - 1, radius - 1);

    // Gloss on the upper half and a bright leading edge.
    QLinearGradient gloss(bar.topLeft(), QPointF(bar.left(), bar.center().y()));
    gloss.setColorAt(0.0, QColor(255, 255, 255, 110));
    gloss.setColorAt(1.0, QColor(255, 255, 255, 0));
    painter.setBrush(gloss);
    painter.drawRoundedRect(QRectF(bar.left(), bar.top(), bar.width(), bar.height() / 2),
                            radius - 1, radius - 1);
    painter.setPen(QPen(QColor(226, 242, 252, 200), 1.0));
    painter.drawLine(QPointF(bar.right() - 0.5, bar.top() + 1),
                     QPointF(bar.right() - 0.5, bar.bottom() - 1));
}

} // namespace verdane
