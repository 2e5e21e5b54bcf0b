#include "ConsolePrompt.h"

#include <cstdio>

namespace verdane::tool {

bool ConsolePrompt::message(QObject*, const QString&, const QString& text, PromptButtons)
{
    shown_ = true;
    std::fprintf(stderr, "verdane-catalogue: %s\n", text.toUtf8().constData());
    return false;
}

} // namespace verdane::tool
