#pragma once

#include <QLabel>

namespace verdane {

// A clickable item of a group (the path settings' left column): drawn framed
// while `selected`; the owner sets and clears the flag and repaints.
class SkinGroupItem : public QLabel {
    Q_OBJECT
public:
    explicit SkinGroupItem(const QString& text, QWidget* parent = nullptr);

    bool selected = false;

Q_SIGNALS:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void mousePressEvent(QMouseEvent* event) override;
};

} // namespace verdane
