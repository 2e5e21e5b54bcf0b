#pragma once

#include <QMap>
#include <QString>

namespace verdane {

// The Wine build that runs the programs of one prefix, and what it needs in its
// environment besides WINEPREFIX (values replace those this process has).
struct WineRunner {
    QString program; // empty: there is no Wine to run them with
    QMap<QString, QString> environment;
};

} // namespace verdane
