#pragma once

#include <QString>
#include <QWidget>

class QWebEngineLoadingInfo;
class QWebEngineNewWindowRequest;
class QWebEngineView;

namespace verdane {

// A web page inside a child window. The browser may sit at an offset inside
// the panel (the panel clips it), which cuts off the page's top left margin.
// Pages come through the program's web profile (its disk cache); a page that
// cannot load shows a quiet local placeholder, and a link the user clicks that
// asks for a new window goes to the browser program; a page's script opens none.
class WebPanel : public QWidget {
    Q_OBJECT
public:
    WebPanel(int id, QWidget* parent);

    // Remembers the address; loads it at once while the panel is active.
    void setPageUrl(const QString& url);
    // Activating loads the remembered address; deactivating forgets it.
    bool setActive(bool active);
    void moveBrowser(int left, int top);
    // The line the placeholder shows; without one it is a bare dark tile.
    void setPlaceholderText(const QString& text);

    bool active() const { return active_; }
    QString url() const { return url_; }
    QWebEngineView* view() const { return view_; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void navigate();
    void placeBrowser();
    void showPlaceholderOnFailure(const QWebEngineLoadingInfo& loading);
    static void openNewWindow(QWebEngineNewWindowRequest& request);

    bool active_ = false;
    QString url_;
    QString placeholderText_;
    QPoint browserOffset_;
    QWebEngineView* view_;
};

} // namespace verdane
