// Importing, replacing and clearing a format's background, and the preview's fit.
#include "GuiApplication.h"
#include "ScriptedPrompter.h"
#include "images/BackgroundCommands.h"
#include "images/BackgroundImages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace kestrio {
namespace {

using Result = BackgroundCommands::ImportResult;

class BackgroundCommandsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(mDir.isValid());
        QDir(mDir.path()).mkpath(QStringLiteral("app"));
        QDir(mDir.path()).mkpath(QStringLiteral("pictures"));
    }

    QString AppFolder() const { return QDir(mDir.path()).filePath(QStringLiteral("app")); }
    // A file among the user's pictures with the given bytes.
    QString Picture(const QString& name, const QByteArray& bytes)
    {
        const QString path = QDir(mDir.path()).filePath(QStringLiteral("pictures/") + name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }
    static QByteArray Bytes(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QString Background(const QString& format) const { return BackgroundImages::BackgroundPath(AppFolder(), format); }
    Result Import(const QString& format, const QString& file)
    {
        return BackgroundCommands::ImportBackground(mPrompter, AppFolder(), format, file);
    }

    QTemporaryDir mDir;
    ScriptedPrompter mPrompter;
    const QString mFormat = QStringLiteral("转账支票");
};

TEST_F(BackgroundCommandsTest, OnlyAnExistingJpgFileIsImported)
{
    EXPECT_EQ(Import(mFormat, QString()), Result::NotChosen);
    EXPECT_EQ(Import(mFormat, Picture(QStringLiteral("scan.png"), "png")), Result::NotChosen);
    EXPECT_EQ(Import(mFormat, Picture(QStringLiteral("scan.jpeg"), "jpeg")), Result::NotChosen);
    EXPECT_EQ(Import(mFormat, QDir(mDir.path()).filePath(QStringLiteral("pictures/missing.jpg"))), Result::NotChosen);
    EXPECT_TRUE(mPrompter.shown.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(Background(mFormat)));

    // The test of the name's end is made in lower case.
    const QString upper = Picture(QStringLiteral("SCAN.JPG"), "upper-case picture");
    EXPECT_EQ(Import(mFormat, upper), Result::Imported);
    EXPECT_TRUE(mPrompter.shown.isEmpty());
    EXPECT_EQ(Bytes(Background(mFormat)), QByteArray("upper-case picture"));
    EXPECT_TRUE(Background(mFormat).endsWith(QStringLiteral("转账支票.jpg")));
    EXPECT_TRUE(QFileInfo::exists(upper)); // copied, not moved
}

TEST_F(BackgroundCommandsTest, AnExistingBackgroundIsReplacedOnlyAfterAsking)
{
    ASSERT_EQ(Import(mFormat, Picture(QStringLiteral("old.jpg"), "old")), Result::Imported);
    const QString newer = Picture(QStringLiteral("new.jpg"), "new");

    mPrompter.QueueAsk(false);
    EXPECT_EQ(Import(mFormat, newer), Result::Declined);
    EXPECT_EQ(mPrompter.shown, QStringList{QStringLiteral("当前格式已有底图，是否要替换？")});
    EXPECT_EQ(Bytes(Background(mFormat)), QByteArray("old"));

    mPrompter.QueueAsk(true);
    EXPECT_EQ(Import(mFormat, newer), Result::Imported);
    EXPECT_EQ(mPrompter.shown.size(), 2);
    EXPECT_EQ(Bytes(Background(mFormat)), QByteArray("new"));
    // Nothing is left beside the background.
    EXPECT_EQ(QDir(AppFolder()).entryList(QDir::Files), QStringList{QFileInfo(Background(mFormat)).fileName()});

    // Choosing the background file itself keeps it.
    mPrompter.QueueAsk(true);
    EXPECT_EQ(Import(mFormat, Background(mFormat)), Result::Imported);
    EXPECT_EQ(Bytes(Background(mFormat)), QByteArray("new"));
}

TEST_F(BackgroundCommandsTest, TheImportDialogOffersJpegFiles)
{
    mPrompter.QueueFile(Picture(QStringLiteral("form.jpg"), "form"));
    EXPECT_EQ(BackgroundCommands::ChooseAndImport(mPrompter, AppFolder(), mFormat), Result::Imported);
    EXPECT_EQ(mPrompter.shown, QStringList{BackgroundCommands::ImportTitle()});
    EXPECT_EQ(Bytes(Background(mFormat)), QByteArray("form"));
    EXPECT_EQ(BackgroundCommands::ImportFilter(), QStringLiteral("JPEG格式(*.jpg)"));

    // Cancelled: nothing asked, nothing changed.
    EXPECT_EQ(BackgroundCommands::ChooseAndImport(mPrompter, AppFolder(), mFormat), Result::NotChosen);
    EXPECT_EQ(mPrompter.shown.size(), 2);
    EXPECT_EQ(Bytes(Background(mFormat)), QByteArray("form"));
}

TEST_F(BackgroundCommandsTest, ClearingAsksAndDeletesTheFile)
{
    // No background: the question is still asked, and nothing is to be redrawn.
    mPrompter.QueueAsk(true);
    EXPECT_FALSE(BackgroundCommands::ClearBackground(mPrompter, AppFolder(), mFormat));
    EXPECT_EQ(mPrompter.shown, QStringList{QStringLiteral("您确定要清除背景图？")});

    ASSERT_EQ(Import(mFormat, Picture(QStringLiteral("a.jpg"), "a")), Result::Imported);
    mPrompter.QueueAsk(false);
    EXPECT_FALSE(BackgroundCommands::ClearBackground(mPrompter, AppFolder(), mFormat));
    EXPECT_TRUE(QFileInfo::exists(Background(mFormat)));

    mPrompter.QueueAsk(true);
    EXPECT_TRUE(BackgroundCommands::ClearBackground(mPrompter, AppFolder(), mFormat));
    EXPECT_FALSE(QFileInfo::exists(Background(mFormat)));
    EXPECT_EQ(mPrompter.shown.size(), 3);
}

TEST_F(BackgroundCommandsTest, NamesDifferingInReplacedCharactersShareOneBackground)
{
    const QString starred = QStringLiteral("支票*A");
    const QString zeroed = QStringLiteral("支票0A");
    ASSERT_EQ(Import(starred, Picture(QStringLiteral("s.jpg"), "s")), Result::Imported);
    EXPECT_EQ(Background(starred), Background(zeroed));
    EXPECT_TRUE(BackgroundImages::HasBackground(AppFolder(), zeroed));

    // Importing for the other name asks to replace the shared file.
    mPrompter.QueueAsk(false);
    EXPECT_EQ(Import(zeroed, Picture(QStringLiteral("z.jpg"), "z")), Result::Declined);

    // Clearing one clears the other's.
    mPrompter.QueueAsk(true);
    EXPECT_TRUE(BackgroundCommands::ClearBackground(mPrompter, AppFolder(), zeroed));
    EXPECT_FALSE(BackgroundImages::HasBackground(AppFolder(), starred));
}

TEST_F(BackgroundCommandsTest, TheCanvasLoadsTheImportedPicture)
{
    test::EnsureGuiApplication();
    EXPECT_TRUE(BackgroundCommands::BackgroundPicture(AppFolder(), mFormat).isNull());
    QImage scan(120, 40, QImage::Format_RGB32);
    scan.fill(Qt::white);
    const QString path = QDir(mDir.path()).filePath(QStringLiteral("pictures/scan.jpg"));
    ASSERT_TRUE(scan.save(path, "JPG", 80));
    ASSERT_EQ(Import(mFormat, path), Result::Imported);
    const QImage shown = BackgroundCommands::BackgroundPicture(AppFolder(), mFormat);
    EXPECT_EQ(shown.size(), QSize(120, 40));
}

TEST_F(BackgroundCommandsTest, APreviewTakesAFileOrAFormatsBackground)
{
    const QString file = Picture(QStringLiteral("web.jpg"), "w");
    EXPECT_EQ(BackgroundCommands::PreviewPath(AppFolder(), file), file);
    EXPECT_EQ(BackgroundCommands::PreviewPath(AppFolder(), mFormat), Background(mFormat));
    EXPECT_EQ(BackgroundCommands::PreviewPath(AppFolder(), QStringLiteral("a|b")),
              QDir(AppFolder()).filePath(QStringLiteral("a7b.jpg")));
}

TEST_F(BackgroundCommandsTest, ATallPictureTurnsTheScrollBarOn)
{
    // 200 × 500 picture in an image 100 wide: 250 high in a container of 100.
    BackgroundCommands::PreviewFit fit = BackgroundCommands::FitPreview(QSize(200, 500), 100, 100);
    EXPECT_TRUE(fit.hasPicture);
    EXPECT_DOUBLE_EQ(fit.imageHeight, 250);
    EXPECT_TRUE(fit.scrollEnabled);
    EXPECT_EQ(fit.scrollMax, 25);
    EXPECT_EQ(fit.smallChange, 1);
    EXPECT_EQ(fit.largeChange, 10);

    // Rounded to the nearest integer: 31.25 → 31, 52.5 → 52, 57.5 → 58.
    EXPECT_EQ(BackgroundCommands::FitPreview(QSize(100, 125), 100, 40).scrollMax, 31);
    EXPECT_EQ(BackgroundCommands::FitPreview(QSize(100, 105), 100, 20).scrollMax, 52);
    EXPECT_EQ(BackgroundCommands::FitPreview(QSize(100, 115), 100, 20).scrollMax, 58);
    EXPECT_EQ(BackgroundCommands::FitPreview(QSize(100, 119), 100, 20).scrollMax, 60);
}

TEST_F(BackgroundCommandsTest, AShortPictureTurnsTheScrollBarOff)
{
    BackgroundCommands::PreviewFit fit = BackgroundCommands::FitPreview(QSize(400, 100), 200, 80);
    EXPECT_TRUE(fit.hasPicture);
    EXPECT_DOUBLE_EQ(fit.imageHeight, 50);
    EXPECT_FALSE(fit.scrollEnabled);
    // Exactly as tall as the container: still off.
    EXPECT_FALSE(BackgroundCommands::FitPreview(QSize(100, 80), 100, 80).scrollEnabled);

    // No picture: the image fills the container.
    fit = BackgroundCommands::FitPreview(QSize(), 200, 80);
    EXPECT_FALSE(fit.hasPicture);
    EXPECT_DOUBLE_EQ(fit.imageHeight, 80);
    EXPECT_FALSE(fit.scrollEnabled);
}

} // namespace
} // namespace kestrio
