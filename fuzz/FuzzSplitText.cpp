// SplitText on any text, at "|", "/" and at the text's own first character.

#include "FuzzCheck.h"

#include "update/SplitText.h"

using verdane::fuzz::require;

namespace {

void splitAt(const QString& text, QChar separator)
{
    QStringList list{QStringLiteral("kept")};
    verdane::SplitText(text, separator, list);
    require(!list.isEmpty() && list.first() == QStringLiteral("kept"), "the list is not cleared");
    list.removeFirst();
    for (const QString& piece : list)
        require(!piece.contains(separator), "no piece holds the separator");
    if (text.isEmpty()) {
        require(list.isEmpty(), "the empty text gives nothing");
        return;
    }
    // Inner empty pieces are kept and one empty last piece is dropped: the
    // pieces give the text back, but for a separator at its end.
    const QString joined = list.join(separator);
    if (text.endsWith(separator))
        require(joined + separator == text, "the pieces make up the text");
    else
        require(joined == text, "the pieces make up the text");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = verdane::fuzz::text(data, size);
    splitAt(text, u'|');
    splitAt(text, u'/');
    if (!text.isEmpty())
        splitAt(text.mid(1), text.at(0));
    return 0;
}
