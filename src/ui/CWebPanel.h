#pragma once

#include <QString>
#include <QWidget>

class QWebEngineView;

namespace verdane {

// A web page inside a child window. The browser may sit at an offset inside
// the panel (the panel clips it), which cuts off the page's top left margin.
class CWebPanel : public QWidget {
    Q_OBJECT
public:
    CWebPanel(int id, QWidget* parent);

    // Remembers the address; loads it at once while the panel is active.
    void SetPageUrl(const QString& url);
    // Activating loads the remembered address; deactivating forgets it.
    bool SetActive(bool active);
    void MoveBrowser(int left, int top);

    bool active() const { return active_; }
    QString url() const { return url_; }
    QWebEngineView* view() const { return view_; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void navigate();
    void placeBrowser();

    bool active_ = false;
    QString url_;
    QPoint browserOffset_;
    QWebEngineView* view_;
};

} // namespace verdane
