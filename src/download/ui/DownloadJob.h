#pragma once

#include <QString>

#include <atomic>

namespace verdane {

class CLoadDown;
class CVerdaneDlg;

// One download of a catalogue entry, on a worker thread of its own: works out
// the local path, asks the user to confirm it, shows the download dialog,
// fetches the file and reports the result. The entry is taken when the job is
// made, so paging meanwhile cannot change what is downloaded or marked.
class DownloadJob {
public:
    struct Entry {
        int category = 0;
        qsizetype index = 0;
        QString downLink;
        QString sha256; // Down_Sha256 of the entry, empty: not checked
    };

    // cancel: set when the main window goes; the job then ends without a word.
    DownloadJob(CVerdaneDlg& mainWindow, CLoadDown& dialog, Entry entry, std::atomic<bool>& busy,
                const std::atomic<bool>& cancel);

    // Runs on the worker thread. Clears the busy flag when it ends.
    void run();

private:
    QString localPath() const;
    void finish(bool downloaded);

    // Both outlive the worker: the main window waits for it before it goes.
    CVerdaneDlg* mainWindow_;
    CLoadDown* dialog_;
    Entry entry_;
    std::atomic<bool>& busy_;
    const std::atomic<bool>& cancel_;
};

} // namespace verdane
