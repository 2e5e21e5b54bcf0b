#include "search/DriveScan.h"

namespace verdane {

bool DriveScan::addFilter(const QString& extension)
{
    if (filterCount() >= MaxFilters)
        return false;
    const QByteArray bytes = extension.toUtf8();
    if (bytes.isEmpty() || bytes.size() > 4 || bytes.front() != '.')
        return false;
    // With one dot at its front and no space, an extension is found at the end
    // of a name exactly when the name's last dot starts it, so matches() can
    // compare the tail of the name alone.
    for (qsizetype i = 1; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == '.' || c == ' ' || c == '/' || c == '\\' || static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    filters_.emplace_back(bytes.constData(), static_cast<size_t>(bytes.size()));
    return true;
}

bool DriveScan::matches(std::string_view fileName) const
{
    for (const std::string& filter : filters_) {
        if (fileName.size() >= filter.size() &&
            fileName.compare(fileName.size() - filter.size(), filter.size(), filter) == 0)
            return true;
    }
    return false;
}

void DriveScan::report(ScanReport report, const QString& path) const
{
    if (notify_)
        notify_(report, path);
}

void DriveScan::requestStop()
{
    {
        const std::lock_guard lock(mutex_);
        stop_.store(true, std::memory_order_release);
    }
    released_.notify_all();
}

void DriveScan::clearStop()
{
    const std::lock_guard lock(mutex_);
    held_ = false;
    stop_.store(false, std::memory_order_release);
}

void DriveScan::hold()
{
    const std::lock_guard lock(mutex_);
    held_ = true;
}

void DriveScan::waitWhileHeld()
{
    std::unique_lock lock(mutex_);
    released_.wait(lock, [this] { return !held_ || stopRequested(); });
}

void DriveScan::resume()
{
    {
        const std::lock_guard lock(mutex_);
        held_ = false;
    }
    released_.notify_all();
}

} // namespace verdane
