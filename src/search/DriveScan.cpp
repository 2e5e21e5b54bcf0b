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

} // namespace verdane
