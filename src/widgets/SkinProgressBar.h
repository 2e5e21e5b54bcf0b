#pragma once

#include <QWidget>

namespace verdane {

// A skinned progress bar: shows the position within its range.
class SkinProgressBar : public QWidget {
    Q_OBJECT
public:
    explicit SkinProgressBar(QWidget* parent = nullptr);

    void setRange(int lower, int upper);
    void setPos(int position);
    int lower() const { return lower_; }
    int upper() const { return upper_; }
    int pos() const { return pos_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int lower_ = 0;
    int upper_ = 100;
    int pos_ = 0;
};

} // namespace verdane
