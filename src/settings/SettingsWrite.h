#pragma once

#include <QString>

namespace verdane {

// What a write to the settings file came to.
struct [[nodiscard]] SettingsWrite {
    // The value reached the file; false when refused or not stored.
    bool stored = false;
    // Where this write kept the unreadable settings file it replaced; empty
    // when it replaced none. The window that made the write tells the user.
    QString keptFile;

    explicit operator bool() const { return stored; }
    // "原配置文件无法读取，已保留为 <file>", or empty when no file was kept.
    QString repairNotice() const;
};

} // namespace verdane
