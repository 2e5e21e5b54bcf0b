#pragma once

#include <QString>

#include <array>

namespace verdane {

// One of the five programs the main window starts: a fixed row of the table
// below, never changed at run time.
struct LaunchTarget {
    int index;
    QString displayName;
    // The file name a stored path must contain, and the file the search looks for.
    QString executableName;
    // Button of the main window; the buttons do not follow the table order.
    int launchButtonId;
    // Pairs of "display text|pattern|", the list ended by one more "|".
    QString fileFilter;
    QString fileDialogTitle;

    // A stored path is usable when it holds the executable name anywhere,
    // letter case included (war3.exe is not War3.exe).
    bool isUsablePath(const QString& path) const;
};

inline constexpr int LaunchTargetCount = 5;

// The table in index order.
const std::array<LaunchTarget, LaunchTargetCount>& launchTargets();
// nullptr for any id but the five launch buttons.
const LaunchTarget* launchTargetForButton(int buttonId);

} // namespace verdane
