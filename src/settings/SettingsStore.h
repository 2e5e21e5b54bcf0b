#pragma once

#include <QString>

namespace verdane {

// The root hive the settings live under; the program only ever uses one.
enum class SettingsRoot { LocalMachine };

// "Software\NaloSoft\Verdane": the program key every setting lives under.
QString programKey();
// The program key followed by "\" and a subkey, e.g. "...\Verdane\War3".
QString programSubkey(const QString& subkey);

// Access to the stored settings: the user's settings file, with machine-wide
// values as defaults. One store per user action or per worker job.
class SettingsStore {
public:
    // The stored text, or empty when it is not set, too long, not a text or unreadable.
    QString ReadSetting(SettingsRoot root, const QString& key, const QString& valueName);
    // True only when the value reached the settings file.
    bool WriteSetting(SettingsRoot root, const QString& key, const QString& valueName,
                      const QString& text);
};

} // namespace verdane
