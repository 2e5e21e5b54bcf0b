// The server/path split of the version check's address (HttpGetText) on any address.

#include "FuzzCheck.h"

#include "update/HttpGetText.h"

using verdane::fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString url = verdane::fuzz::text(data, size);
    const verdane::ServerAndPath split = verdane::SplitServerAndPath(url);
    require(!split.server.contains(QStringLiteral("http://")), "\"http://\" leaves the server");
    require(split.path.size() <= url.size(), "the path is cut from the address");
    if (!url.contains(u'/'))
        require(split.server == url && split.path.isEmpty(),
                "without a slash the address is the server");
    // Twice the same answer: nothing depends on earlier calls.
    const verdane::ServerAndPath again = verdane::SplitServerAndPath(url);
    require(again.server == split.server && again.path == split.path, "the split is a function");
    return 0;
}
