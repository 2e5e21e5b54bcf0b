#pragma once

#include "settings/SettingsStore.h"

#include <QString>

#include <utility>

namespace verdane {

// How a value of type T is kept as text in the settings file: texts as they
// are, a yes/no as "1" or "0" (anything else, also not set, reads as no).
template <typename T> struct SettingText;

template <> struct SettingText<QString> {
    static QString toText(const QString& value) { return value; }
    static QString fromText(const QString& text) { return text; }
};

template <> struct SettingText<bool> {
    static QString toText(bool value) { return value ? QStringLiteral("1") : QStringLiteral("0"); }
    static bool fromText(const QString& text) { return text == QLatin1String("1"); }
};

// One value of the settings file by its key, typed.
template <typename T> class SettingValue {
public:
    explicit SettingValue(QString key)
        : key_(std::move(key))
    {
    }

    T get() const { return SettingText<T>::fromText(SettingsStore::value(key_)); }
    SettingsWrite set(const T& value) const
    {
        return SettingsStore::setValue(key_, SettingText<T>::toText(value));
    }
    const QString& key() const { return key_; }

private:
    QString key_;
};

} // namespace verdane
