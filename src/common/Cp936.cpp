#include "common/Cp936.h"

#include <iconv.h>

#include <cerrno>

namespace verdane {

namespace {

QByteArray convert(const char* to, const char* from, const QByteArray& input)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return {};
    QByteArray output;
    output.resize(input.size() * 4 + 16);
    char* in = const_cast<char*>(input.constData());
    size_t inLeft = static_cast<size_t>(input.size());
    char* out = output.data();
    size_t outLeft = static_cast<size_t>(output.size());
    while (inLeft > 0) {
        if (iconv(cd, &in, &inLeft, &out, &outLeft) != static_cast<size_t>(-1))
            continue;
        if (errno != EILSEQ && errno != EINVAL)
            break;
        // An invalid or cut-off sequence: keep going past the offending byte.
        ++in;
        --inLeft;
    }
    iconv_close(cd);
    output.truncate(output.size() - static_cast<qsizetype>(outLeft));
    return output;
}

} // namespace

QByteArray encodeCp936(const QString& text)
{
    return convert("GB18030", "UTF-8", text.toUtf8());
}

QString decodeCp936(const QByteArray& bytes)
{
    return QString::fromUtf8(convert("UTF-8", "GB18030", bytes));
}

qsizetype cp936Length(const QString& text)
{
    return encodeCp936(text).size();
}

} // namespace verdane
