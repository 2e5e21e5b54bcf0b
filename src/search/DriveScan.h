#pragma once

#include <QString>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace verdane {

// What a scan tells its owner; the values are those the search dialog expects.
enum class ScanReport {
    Found = 0,    // one file whose extension matches a filter; the full path comes with it
    Finished = 1, // every listed root was walked and no stop was requested; no path
};

// The scan context, shared by the search dialog (user-interface thread) and its
// worker thread. Filters and the notify callback are set before a worker starts
// and are only read while it runs; the stop request may be written by any thread.
class DriveScan {
public:
    static constexpr int MaxFilters = 16;

    // Called on the worker thread for every report; the walk waits until it returns.
    // The path is only valid during the call.
    using Notify = std::function<void(ScanReport report, const QString& path)>;

    // Adds an extension such as ".exe": a dot and up to three more bytes, with no
    // further dot, space or slash. Returns false (and adds nothing) when the
    // extension has another form or all 16 places are taken.
    bool addFilter(const QString& extension);
    int filterCount() const { return static_cast<int>(filters_.size()); }

    // Whether a file name has one of the extensions, letter case included:
    // "War3.exe" has ".exe", "WAR3.EXE" and "a.exe.bak" do not.
    bool matches(std::string_view fileName) const;

    void setNotify(Notify notify) { notify_ = std::move(notify); }
    void report(ScanReport report, const QString& path = {}) const;

    // Thread-safe; the worker ends at its next check and sends nothing more. A
    // held walk is released.
    void requestStop();
    void clearStop();
    bool stopRequested() const { return stop_.load(std::memory_order_acquire); }

    // A walk that must not go on before its owner has answered a report: the
    // worker calls hold() before it reports, then waitWhileHeld(), which
    // returns once the owner has called resume() or requestStop().
    void hold();
    void waitWhileHeld();
    void resume();

private:
    std::vector<std::string> filters_; // UTF-8 bytes, as file names come from the disk
    Notify notify_;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::condition_variable released_;
    bool held_ = false;
};

} // namespace verdane
