#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

namespace verdane {

// Where the program's catalogue comes from. The working folder's ZarnREZ.dat
// (for an installation the package's own, never written) unless an update has
// been installed for this user in its place: then the copy in
// $XDG_DATA_HOME/NaloSoft/Verdane/catalogue/, as long as the working folder's
// file is still the very one the update replaced. A package upgrade brings a
// new file (another inode, size or time), and from then on the package's
// catalogue is read again and the stale update is retired.
class CatalogueLocation {
public:
    // What tells one file from another without reading it: a new file renamed
    // over the old one has another inode; a rewrite in place another time.
    struct Stamp {
        bool exists = false;
        quint64 device = 0;
        quint64 inode = 0;
        qint64 size = 0;
        qint64 modifiedNs = 0;

        static Stamp of(const QString& path);
        bool operator==(const Stamp&) const = default;
    };

    // Kept as "installed" beside an installed update's catalogue.
    struct Record {
        QString version; // what Curr_Version became
        QString source;  // the working folder's catalogue it takes the place of
        Stamp sourceStamp;

        QByteArray toText() const;
        static std::optional<Record> fromText(const QByteArray& text);
    };

    static QString fileName() { return QStringLiteral("ZarnREZ.dat"); }
    static QString recordName() { return QStringLiteral("installed"); }
    // $XDG_DATA_HOME/NaloSoft/Verdane (~/.local/share/NaloSoft/Verdane).
    static QString userFolder();
    // userFolder()/catalogue: a symbolic link to the folder of the installed
    // update, replaced in one rename by the next one.
    static QString installedLink();
    // The working folder's catalogue, as an absolute path.
    static QString workingCatalogue();

    // The file the program opens: the installed update's catalogue when it
    // belongs to the working folder's catalogue as it is now, else
    // ".//ZarnREZ.dat". An update whose working-folder file has changed since is
    // removed, and with it the user's Curr_Version it wrote, so that the
    // machine-wide one of the installation counts again.
    static QString catalogueFile();

    // The record of the installed update and the folder it is in.
    static std::optional<Record> installed(QString* folder = nullptr);
};

} // namespace verdane
