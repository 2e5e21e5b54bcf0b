// The version comparison on any version file. The input's first line (up to the
// first newline) is the installed version, the rest is the fetched file.

#include "FuzzCheck.h"

#include "update/VersionDecision.h"

using verdane::fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray input = verdane::fuzz::bytes(data, size);
    const qsizetype newline = input.indexOf('\n');
    const QString installed = QString::fromUtf8(newline < 0 ? input : input.left(newline));
    const QByteArray fetched = newline < 0 ? QByteArray() : input.mid(newline + 1);

    const verdane::VersionDecision decision = verdane::CompareVersionText(installed, fetched);
    require(!decision.upToDate || (decision.hasVersion && decision.version == installed),
            "up to date only with exactly the installed version");
    require(!decision.hasUpdateType || decision.hasVersion, "an update type only after a version");
    require(decision.hasVersion || decision.version.isEmpty(), "no version without field 1");
    require(!decision.version.contains(u'|') && !decision.updateType.contains(u'|'),
            "fields are split at \"|\"");
    if (fetched.isEmpty())
        require(!decision.hasVersion, "a failed fetch has no version");
    return 0;
}
