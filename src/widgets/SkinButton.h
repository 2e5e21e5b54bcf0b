#pragma once

#include <QAbstractButton>
#include <QPixmap>

namespace verdane {

// A button drawn from a strip of five equal frames side by side
// (normal, hover, pressed, focus, disabled). Clicks reach the owner as clicked().
class SkinButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit SkinButton(QWidget* parent = nullptr);

    // The strip is the bitmap resource with this number; returns whether it loaded.
    bool setButtonImage(unsigned int resourceId);

    // Enter in a window of skin buttons: the focused one is pressed (when it is
    // enabled). False when no skin button has the window's focus.
    static bool pressFocused(const QWidget* window);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    // Which of the five frames stands for the current state.
    virtual int currentFrame() const;
    void paintFrame(int frame);

private:
    QPixmap strip_;
    bool hovered_ = false;
};

} // namespace verdane
