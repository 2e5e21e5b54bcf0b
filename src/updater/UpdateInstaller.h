#pragma once

#include "updater/UpdateManifest.h"

#include <QString>

#include <atomic>
#include <functional>

namespace verdane {

struct UpdateResult {
    enum Outcome { Installed, Failed, Busy };
    Outcome outcome = Failed;
    // One line for the window and the log, in the user's language.
    QString message;
};

// Installs what the content server publishes for the version it offers, for
// this user (see CatalogueLocation): after the user accepted an update
// (Update = "1", UpdateType "full"), fetches the version file and the
// publication's manifest, downloads each file with the program's download
// engine into userFolder()/incoming (where a broken-off download resumes),
// checks each one's size and SHA-256 and that the catalogue opens, then puts
// the new catalogue in place with one rename, writes Curr_Version and clears
// Update. Any failure before that rename leaves the catalogue in use, the
// settings and the offer as they were. Blocks the calling thread (a worker).
class UpdateInstaller {
public:
    // The file being fetched and the share of all bytes that have arrived.
    using Progress = std::function<void(const QString& file, int percent)>;

    explicit UpdateInstaller(Progress progress = {}, const std::atomic<bool>* cancel = nullptr);

    UpdateResult run();

private:
    UpdateResult install();
    QString fetchAll(const QString& folderUrl, const UpdateManifest& manifest);
    QString putInPlace(const QString& version, const UpdateManifest& manifest);

    Progress progress_;
    const std::atomic<bool>* cancel_;
};

} // namespace verdane
