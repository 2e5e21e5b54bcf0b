#include "ui/CWebPanel.h"

#include <QUrl>
#include <QWebEngineSettings>
#include <QWebEngineView>

namespace verdane {

CWebPanel::CWebPanel(int id, QWidget* parent)
    : QWidget(parent)
    , view_(new QWebEngineView(this))
{
    setObjectName(QString::number(id));
    view_->settings()->setAttribute(QWebEngineSettings::ShowScrollBars, false);
    view_->setContextMenuPolicy(Qt::NoContextMenu);
    placeBrowser();
}

void CWebPanel::SetPageUrl(const QString& url)
{
    url_ = url;
    if (active_)
        navigate();
}

bool CWebPanel::SetActive(bool active)
{
    if (active == active_)
        return active_;
    active_ = active;
    if (active_) {
        if (!url_.isEmpty())
            navigate();
    } else {
        url_.clear();
    }
    return active_;
}

void CWebPanel::MoveBrowser(int left, int top)
{
    browserOffset_ = QPoint(left, top);
    placeBrowser();
}

void CWebPanel::resizeEvent(QResizeEvent*)
{
    placeBrowser();
}

void CWebPanel::navigate()
{
    view_->load(QUrl::fromUserInput(url_));
}

void CWebPanel::placeBrowser()
{
    // The browser keeps the panel's size beyond its offset, so the panel is always covered.
    view_->setGeometry(browserOffset_.x(), browserOffset_.y(), width() - browserOffset_.x(),
                       height() - browserOffset_.y());
}

} // namespace verdane
