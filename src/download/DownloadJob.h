#pragma once

#include <QString>

#include <atomic>
#include <functional>

class QObject;

namespace verdane {

// One download of a catalogue entry, run on a worker thread: works out the
// local path, asks the user to confirm it, shows the download dialog, fetches
// the file and reports the result. The entry is taken when the job is made, so
// paging meanwhile cannot change what is downloaded or marked.
class DownloadJob {
public:
    struct Entry {
        int category = 0;
        qsizetype index = 0;
        QString downLink;
        QString sha256; // Down_Sha256 of the entry, empty: not checked
    };

    // What the job drives on the screen; both are called on the worker thread.
    struct Screen {
        // Shows the download dialog and returns once it shows; false when the
        // window is going and the job should end.
        std::function<bool()> showDialog;
        // The dialog's downloadFile: 0 when the file arrived whole.
        std::function<int(const QString& url, const QString& localPath, const QByteArray& sha256,
                          const std::atomic<bool>* cancel)>
            downloadFile;
    };

    // owner: the window the job's messages belong to. cancel: set when it
    // goes; the job then ends without a word.
    DownloadJob(QObject* owner, Entry entry, const std::atomic<bool>& cancel);

    // Worker thread. True when the file arrived and the user was told so.
    bool run(const Screen& screen) const;

    const Entry& entry() const { return entry_; }

private:
    QString localPath() const;

    QObject* owner_;
    Entry entry_;
    const std::atomic<bool>& cancel_;
};

} // namespace verdane
