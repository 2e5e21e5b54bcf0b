#include "common/SplitText.h"

namespace verdane {

void splitText(const QString& text, QChar separator, QStringList& list)
{
    qsizetype start = 0;
    for (qsizetype found = text.indexOf(separator); found >= 0;
         found = text.indexOf(separator, start)) {
        list.append(text.mid(start, found - start));
        start = found + 1;
    }
    if (start < text.size())
        list.append(text.mid(start));
}

} // namespace verdane
