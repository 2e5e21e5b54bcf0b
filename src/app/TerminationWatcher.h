#pragma once

#include <QObject>

class QSocketNotifier;

namespace verdane {

// Turns SIGTERM, SIGINT and SIGHUP (logout, kill, Ctrl+C) into an ordinary
// close of the window, so the tray icon goes and the process ends cleanly.
class TerminationWatcher : public QObject {
    Q_OBJECT
public:
    explicit TerminationWatcher(QObject* parent = nullptr);
    ~TerminationWatcher() override;

Q_SIGNALS:
    void terminationRequested();

private:
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace verdane
