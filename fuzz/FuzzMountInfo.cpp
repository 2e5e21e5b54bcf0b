// The mountinfo parser on any /proc/<pid>/mountinfo text.

#include "FuzzCheck.h"

#include "search/FixedDrives.h"

#include <QSet>

using verdane::fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray mountInfo = verdane::fuzz::bytes(data, size);
    // Decided by the text alone, so that a run can be repeated.
    const auto removable = [](const QString& source, const QString& majorMinor) {
        return source.contains(QStringLiteral("sd")) && majorMinor.endsWith(u'1');
    };
    const QStringList roots = verdane::fixedDriveMounts(mountInfo, removable);
    const QSet<QString> distinct(roots.begin(), roots.end());
    require(distinct.size() == roots.size(), "each root once");
    for (const QString& root : roots)
        require(root.endsWith(u'/'), "roots end with a slash");
    require(verdane::fixedDriveMounts(mountInfo, removable) == roots, "the parse is a function");
    return 0;
}
