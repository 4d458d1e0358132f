// Where the program finds its user guide: installed beside it under share/, or in the source
// tree it was built in.
#include "app/UserGuide.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace kestrio {
namespace {

void Touch(const QString& path)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
}

TEST(UserGuideTest, TheInstalledGuideComesFirstThenTheSourceTree)
{
    QTemporaryDir root;
    const QString bin = root.filePath(QStringLiteral("usr/bin"));
    QDir().mkpath(bin);
    EXPECT_EQ(UserGuide::Find(bin), QString());

    const QString beside = root.filePath(QStringLiteral("usr/docs/user-guide.md"));
    Touch(beside);
    EXPECT_EQ(UserGuide::Find(bin), beside);

    const QString installed = root.filePath(QStringLiteral("usr/share/kestrio/doc/user-guide.md"));
    Touch(installed);
    EXPECT_EQ(UserGuide::Find(bin), installed);
}

TEST(UserGuideTest, TheBuiltProgramFindsTheGuideOfItsSourceTree)
{
    const QString found = UserGuide::Find(QFileInfo(QStringLiteral(KESTRIO_BINARY)).path());
    ASSERT_FALSE(found.isEmpty());
    QFile guide(found);
    ASSERT_TRUE(guide.open(QIODevice::ReadOnly));
    EXPECT_TRUE(QString::fromUtf8(guide.readAll()).contains(QStringLiteral("使用说明")));
}

} // namespace
} // namespace kestrio
