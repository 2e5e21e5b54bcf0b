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
    // The longest value that reads back, in code page 936 bytes.
    static constexpr qsizetype MaxValueBytes = 259;

    // Whether a text, once stored, would read back as itself.
    static bool wouldReadBack(const QString& text);

    // The stored text, or empty when it is not set, too long, not a text or unreadable.
    QString readSetting(SettingsRoot root, const QString& key, const QString& valueName);
    // True only when the value reached the settings file. A text that would
    // not read back is refused and nothing is written. A settings file that
    // cannot be read is first kept aside (see keptUnreadableFile) and replaced
    // by a clean one that carries over the program's settings that did read.
    bool writeSetting(SettingsRoot root, const QString& key, const QString& valueName,
                      const QString& text);
    // Where the last writeSetting kept the unreadable file it replaced; empty
    // when it replaced none.
    const QString& keptUnreadableFile() const { return keptFile_; }

private:
    QString keptFile_;
};

} // namespace verdane
