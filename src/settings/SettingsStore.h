#pragma once

#include "settings/SettingsWrite.h"

#include <QString>

namespace verdane {

// The settings file: the user's ~/.config/NaloSoft/Verdane.conf, with the
// machine-wide /etc/xdg/NaloSoft/Verdane.conf as defaults. Keys are QSettings
// keys ("War3/ClientPath", "Curr_Version"); every value is stored as text.
// Callable from any thread: a download worker reads while the window writes.
class SettingsStore {
public:
    // The longest value that reads back, in code page 936 bytes.
    static constexpr qsizetype MaxValueBytes = 259;

    // Whether a text, once stored, would read back as itself.
    static bool wouldReadBack(const QString& text);

    // The stored text, or empty when it is not set, too long, not a text or unreadable.
    static QString value(const QString& key);
    // Stores the text in the user's file. A text that would not read back is
    // refused and nothing is written. A file that cannot be read is first kept
    // aside and replaced by a clean one that carries every value that did read
    // back; the result names the kept file.
    static SettingsWrite setValue(const QString& key, const QString& text);
};

} // namespace verdane
