#pragma once

#include <QString>
#include <QUrl>

namespace verdane {

// Web pages come from the catalogue and the server: only http and https
// addresses with a host are ever shown or handed to the browser, never a local
// file, another scheme or a text a program would read as an option.
bool isWebUrl(const QUrl& url);
// The text itself must begin with "http://" or "https://".
bool isWebAddress(const QString& address);

} // namespace verdane
