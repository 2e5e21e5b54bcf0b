#pragma once

#include <QByteArray>
#include <QString>

#include <chrono>

namespace verdane {

struct ServerAndPath {
    QString server; // host, with ":port" when the address carries one
    QString path;
};

// Splits "host/path" or "http://host/path" the way the version check always
// has: the server is the text up to the first "/" after any "//", the path is
// the address with every occurrence of that server removed, and "http://" is
// then removed from the server. Without a "/" after the host the whole
// address is the server and the path is empty.
ServerAndPath splitServerAndPath(const QString& url);

// Fetches a small text with a plain GET (agent "My_Session") on the calling
// thread. The port is used unless the address names its own. Only http.
// Returns the body exactly as received for status 200 and the empty text for
// anything else: another status, no answer, a body over 1 MiB. Reports
// nothing. A dead or silent server costs at most a few seconds (connect 3 s,
// no data for 5 s, `limit` in all), so the start-up check cannot hang.
QByteArray httpGetText(const QString& url, quint16 port,
                       std::chrono::milliseconds limit = std::chrono::seconds(10));

} // namespace verdane
