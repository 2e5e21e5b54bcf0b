#include "widgets/DialogUnits.h"

#include <QStringList>

#include <cmath>

namespace verdane {

namespace {

int scaled(int units, int numerator, int denominator)
{
    return static_cast<int>(std::lround(units * numerator / static_cast<double>(denominator)));
}

} // namespace

QFont dialogFont8pt()
{
    return QFont(QStringList{QStringLiteral("Noto Sans CJK SC"), QStringLiteral("sans-serif")}, 8);
}

QFont serifFont9pt()
{
    return QFont(QStringList{QStringLiteral("Noto Serif CJK SC"), QStringLiteral("serif")}, 9);
}

QRect dluRect9pt(int x, int y, int width, int height)
{
    return {scaled(x, 7, 4), scaled(y, 14, 8), scaled(width, 7, 4), scaled(height, 14, 8)};
}

QRect dluRect8pt(int x, int y, int width, int height)
{
    return {scaled(x, 6, 4), scaled(y, 13, 8), scaled(width, 6, 4), scaled(height, 13, 8)};
}

QRect pixelRect(int left, int top, int right, int bottom)
{
    return {QPoint(left, top), QPoint(right - 1, bottom - 1)};
}

} // namespace verdane
