// Per-user settings and the line-break marker kept in them.
#include "TestApp.h"
#include "app/QtUserSettings.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace kestrio {
namespace {

TEST(UserSettings, MissingOrEmptySettingsReadAsTheDefault)
{
    QTemporaryDir dir;
    const QString ini = QDir(dir.path()).filePath(QStringLiteral("u.ini"));
    QtUserSettings settings(ini);
    EXPECT_EQ(settings.ReadUserSetting(QStringLiteral("RUR_U"), QStringLiteral("Para"), QStringLiteral("CrlfChr"),
                                       QStringLiteral("//")),
              QStringLiteral("//"));
    settings.WriteUserSetting(QStringLiteral("RUR_U"), QStringLiteral("位置"), QStringLiteral("统计_分界线"), QStringLiteral("3000"));
    settings.WriteUserSetting(QStringLiteral("RUR_U"), QStringLiteral("Validate"), QStringLiteral("Printer"), QString());

    QtUserSettings again(ini); // another run of the program
    EXPECT_EQ(again.ReadUserSetting(QStringLiteral("RUR_U"), QStringLiteral("位置"), QStringLiteral("统计_分界线"), QString()),
              QStringLiteral("3000"));
    EXPECT_EQ(again.ReadUserSetting(QStringLiteral("RUR_U"), QStringLiteral("Validate"), QStringLiteral("Printer"),
                                    QStringLiteral("默认")),
              QStringLiteral("默认"));
    // Sections of one application do not see each other's names.
    EXPECT_EQ(again.ReadUserSetting(QStringLiteral("RUR_U"), QStringLiteral("Para"), QStringLiteral("统计_分界线"), QStringLiteral("d")),
              QStringLiteral("d"));
}

TEST(LineBreakMarker, DefaultsToTwoSlashesAndAChangeIsKept)
{
    test::TestApp t;
    EXPECT_EQ(t.app->ReadLineBreakMarker(), QStringLiteral("//"));
    t.app->SetLineBreakMarker(QStringLiteral("##"));
    EXPECT_EQ(t.app->LineBreakMarker(), QStringLiteral("##"));
    t.app->SetLineBreakMarker(QString()); // an empty marker changes nothing
    EXPECT_EQ(t.app->ReadLineBreakMarker(), QStringLiteral("##"));
    EXPECT_EQ(t.settings.ReadUserSetting(QStringLiteral("RUR_U"), QStringLiteral("Para"), QStringLiteral("CrlfChr"), {}),
              QStringLiteral("##"));
}

} // namespace
} // namespace kestrio
