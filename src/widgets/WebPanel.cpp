#include "widgets/WebPanel.h"

#include "common/ControlIds.h"
#include "common/Shell.h"
#include "common/WebAddress.h"
#include "widgets/WebProfile.h"

#include <QUrl>
#include <QWebEngineLoadingInfo>
#include <QWebEngineNewWindowRequest>
#include <QWebEnginePage>
#include <QWebEngineSettings>
#include <QWebEngineView>

namespace verdane {

namespace {

// Drawn in the skin's colours: the dark well of its controls and the ink of its labels.
QString placeholderPage(const QString& text)
{
    return QStringLiteral("<!DOCTYPE html><html><head><meta charset=\"utf-8\"></head>"
                          "<body style=\"margin:0;height:100vh;display:flex;align-items:center;"
                          "justify-content:center;background:#121c28;color:#e5e4e1;"
                          "font:9pt 'Noto Sans CJK SC',sans-serif\">%1</body></html>")
        .arg(text.toHtmlEscaped());
}

} // namespace

WebPanel::WebPanel(int id, QWidget* parent)
    : QWidget(parent)
    , view_(new QWebEngineView(this))
{
    setObjectName(controlName(id));
    auto* page = new QWebEnginePage(webProfile(), view_);
    view_->setPage(page);
    connect(page, &QWebEnginePage::loadingChanged, this, &WebPanel::showPlaceholderOnFailure);
    connect(page, &QWebEnginePage::newWindowRequested, this, &WebPanel::openNewWindow);
    view_->settings()->setAttribute(QWebEngineSettings::ShowScrollBars, false);
    view_->setContextMenuPolicy(Qt::NoContextMenu);
    placeBrowser();
}

void WebPanel::setPageUrl(const QString& url)
{
    url_ = url;
    if (active_)
        navigate();
}

bool WebPanel::setActive(bool active)
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

void WebPanel::moveBrowser(int left, int top)
{
    browserOffset_ = QPoint(left, top);
    placeBrowser();
}

void WebPanel::setPlaceholderText(const QString& text)
{
    placeholderText_ = text;
}

void WebPanel::resizeEvent(QResizeEvent*)
{
    placeBrowser();
}

void WebPanel::navigate()
{
    // A picture that is no web page (a local file, another scheme) shows as an
    // entry without a picture does.
    const QUrl url = QUrl::fromUserInput(url_);
    view_->load(isWebUrl(url) ? url : QUrl());
}

void WebPanel::showPlaceholderOnFailure(const QWebEngineLoadingInfo& loading)
{
    // A load given up for a newer one is no failure; the server's own error
    // page (an HTTP status) is shown as it came.
    constexpr int Aborted = -3;
    if (loading.status() != QWebEngineLoadingInfo::LoadFailedStatus ||
        loading.errorCode() == Aborted ||
        loading.errorDomain() == QWebEngineLoadingInfo::HttpStatusCodeDomain)
        return;
    view_->setHtml(placeholderPage(placeholderText_), loading.url());
}

void WebPanel::openNewWindow(QWebEngineNewWindowRequest& request)
{
    // Only the user's click sends an address on; a page's script opens nothing.
    const QUrl url = request.requestedUrl();
    if (request.isUserInitiated() && isWebUrl(url))
        shell().openWebPage(url.toString());
}

void WebPanel::placeBrowser()
{
    // The browser keeps the panel's size beyond its offset, so the panel is always covered.
    view_->setGeometry(browserOffset_.x(), browserOffset_.y(), width() - browserOffset_.x(),
                       height() - browserOffset_.y());
}

} // namespace verdane
