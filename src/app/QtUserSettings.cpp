#include "QtUserSettings.h"

#include <QSettings>
#include <QStandardPaths>

#include <memory>

namespace kestrio {

namespace {

std::unique_ptr<QSettings> OpenStore(const QString& iniPath, const QString& application)
{
    if (!iniPath.isEmpty()) return std::make_unique<QSettings>(iniPath, QSettings::IniFormat);
#ifdef Q_OS_WIN
    return std::make_unique<QSettings>(QStringLiteral("HKEY_CURRENT_USER\\") + application, QSettings::NativeFormat);
#else
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, application, application);
#endif
}

QString KeyOf(const QString& application, const QString& section, const QString& name, bool ini)
{
#ifdef Q_OS_WIN
    if (!ini) return section + QLatin1Char('/') + name + QStringLiteral("/Default");
#endif
    // In an INI file the application becomes part of the group, so one file can hold several.
    Q_UNUSED(ini);
    return application + QLatin1Char('-') + section + QLatin1Char('/') + name;
}

} // namespace

QtUserSettings::QtUserSettings() = default;

QtUserSettings::QtUserSettings(QString iniPath) : mIniPath(std::move(iniPath)) {}

QString QtUserSettings::ReadUserSetting(const QString& application, const QString& section, const QString& name,
                                        const QString& defaultValue)
{
    const auto store = OpenStore(mIniPath, application);
    if (store->status() != QSettings::NoError) return defaultValue;
    const QString value = store->value(KeyOf(application, section, name, !mIniPath.isEmpty())).toString();
    return value.isEmpty() ? defaultValue : value;
}

bool QtUserSettings::WriteUserSetting(const QString& application, const QString& section, const QString& name,
                                      const QString& value)
{
    const auto store = OpenStore(mIniPath, application);
    store->setValue(KeyOf(application, section, name, !mIniPath.isEmpty()), value);
    store->sync();
    return store->status() == QSettings::NoError && store->isWritable();
}

} // namespace kestrio
