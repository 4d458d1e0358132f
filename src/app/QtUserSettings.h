#pragma once

#include "seams/UserSettings.h"

#include <QString>

namespace kestrio {

// Per-user settings on QSettings. On Windows every setting is its own registry key
// HKEY_CURRENT_USER\<application>\<section>\<name> holding the text in the key's default
// value; elsewhere an INI file per user, one [section] per application and section.
class QtUserSettings final : public UserSettings {
public:
    // The platform's place for the current user.
    QtUserSettings();
    // An INI file at `iniPath` (tests, or a portable installation).
    explicit QtUserSettings(QString iniPath);

    QString ReadUserSetting(const QString& application, const QString& section, const QString& name,
                            const QString& defaultValue) override;
    bool WriteUserSetting(const QString& application, const QString& section, const QString& name,
                          const QString& value) override;

private:
    QString mIniPath;
};

} // namespace kestrio
