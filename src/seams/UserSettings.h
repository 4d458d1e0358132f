#pragma once

#include <QString>

namespace kestrio {

// Per-user settings addressed by application key, section and name. A setting that is
// missing, empty or unreadable reads as the caller's default; a failed write is ignored.
class UserSettings {
public:
    virtual ~UserSettings() = default;
    virtual QString ReadUserSetting(const QString& application, const QString& section,
                                    const QString& name, const QString& defaultValue) = 0;
    // False when the value could not be stored.
    virtual bool WriteUserSetting(const QString& application, const QString& section,
                                  const QString& name, const QString& value) = 0;
};

} // namespace kestrio
