#include "ui/CWebPanel.h"

#include "common/WebAddress.h"

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
    // A picture that is no web page (a local file, another scheme) shows as an
    // entry without a picture does.
    const QUrl url = QUrl::fromUserInput(url_);
    view_->load(isWebUrl(url) ? url : QUrl());
}

void CWebPanel::placeBrowser()
{
    // The browser keeps the panel's size beyond its offset, so the panel is always covered.
    view_->setGeometry(browserOffset_.x(), browserOffset_.y(), width() - browserOffset_.x(),
                       height() - browserOffset_.y());
}

} // namespace verdane
