#pragma once

#include <QString>

namespace verdane::tool {

// Lays out a publication of a catalogue for the updater under a folder that a
// static HTTP server serves as the content server's root:
//
//   zarn/plexa/ZarnMapVersion.txt        "<version>|<type>"
//   zarn/plexa/update/<version>/manifest.txt
//   zarn/plexa/update/<version>/ZarnREZ.dat
//
// The version's folder is written aside and renamed into place, then the
// version file is replaced by a rename: a client sees the old publication or
// the whole new one, never half of one.
class Publisher {
public:
    Publisher(QString catalogue, QString version, QString type, QString out);

    // False with error() when nothing was published.
    bool publish();
    const QString& error() const { return error_; }

private:
    bool fail(const QString& why);
    bool writeFolder(const QString& staging);

    QString catalogue_;
    QString version_;
    QString type_;
    QString out_;
    QString error_;
};

} // namespace verdane::tool
