// Importing, replacing and clearing a format's background, and the preview's fit.
#include "GuiApplication.h"
#include "ScriptedPrompter.h"
#include "images/BackgroundCommands.h"
#include "images/BackgroundImages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
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
    // A real picture of `format` ("PNG", "BMP", "TIFF", "JPG"): white with a black square.
    QString Scan(const QString& name, const char* format)
    {
        QImage scan(60, 40, QImage::Format_RGB32);
        scan.fill(Qt::white);
        for (int y = 10; y < 20; ++y)
            for (int x = 10; x < 20; ++x) scan.setPixel(x, y, qRgb(0, 0, 0));
        const QString path = QDir(mDir.path()).filePath(QStringLiteral("pictures/") + name);
        EXPECT_TRUE(scan.save(path, format));
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

TEST_F(BackgroundCommandsTest, AJpegFileIsImportedAsItIs)
{
    EXPECT_EQ(Import(mFormat, QString()), Result::NotChosen);
    EXPECT_EQ(Import(mFormat, QDir(mDir.path()).filePath(QStringLiteral("pictures/missing.jpg"))), Result::NotChosen);
    EXPECT_TRUE(mPrompter.shown.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(Background(mFormat)));

    // The name's case does not matter, and the bytes are kept.
    const QString upper = Scan(QStringLiteral("SCAN.JPG"), "JPG");
    EXPECT_EQ(Import(mFormat, upper), Result::Imported);
    EXPECT_TRUE(mPrompter.shown.isEmpty());
    EXPECT_EQ(Bytes(Background(mFormat)), Bytes(upper));
    EXPECT_TRUE(Background(mFormat).endsWith(QStringLiteral("转账支票.jpg")));
    EXPECT_TRUE(QFileInfo::exists(upper)); // copied, not moved
}

TEST_F(BackgroundCommandsTest, OtherPicturesAreConvertedToTheJpegBackground)
{
    test::EnsureGuiApplication();
    struct Case {
        const char* name;
        const char* format;
    };
    for (const Case& c : {Case{"scan.png", "PNG"}, Case{"scan.bmp", "BMP"}, Case{"scan.tif", "TIFF"},
                          Case{"misnamed.png", "JPG"}}) {
        SCOPED_TRACE(c.name);
        QFile::remove(Background(mFormat));
        ASSERT_EQ(Import(mFormat, Scan(QString::fromLatin1(c.name), c.format)), Result::Imported);
        QImageReader reader(Background(mFormat));
        reader.setDecideFormatFromContent(true);
        EXPECT_EQ(reader.format(), QByteArray("jpeg"));
        const QImage stored = reader.read();
        ASSERT_EQ(stored.size(), QSize(60, 40));
        EXPECT_LT(qGray(stored.pixel(15, 15)), 40);  // the square
        EXPECT_GT(qGray(stored.pixel(40, 30)), 215); // the paper
    }
    EXPECT_TRUE(mPrompter.shown.isEmpty());
}

TEST_F(BackgroundCommandsTest, AnUnreadablePictureIsRefusedAndChangesNothing)
{
    const QString kept = Scan(QStringLiteral("kept.jpg"), "JPG");
    ASSERT_EQ(Import(mFormat, kept), Result::Imported);
    for (const QString& bad : {Picture(QStringLiteral("scan.png"), "not a picture"),
                               Picture(QStringLiteral("broken.jpg"), "\xff\xd8\xff\xe0 cut off"),
                               Scan(QStringLiteral("scan.ppm"), "PPM")}) {
        SCOPED_TRACE(bad.toStdString());
        mPrompter.shown.clear();
        EXPECT_EQ(Import(mFormat, bad), Result::Unreadable);
        // Told before any question about replacing.
        EXPECT_EQ(mPrompter.shown, QStringList{QStringLiteral("无法读取图片文件“") + bad +
                                               QStringLiteral("”，背景图未更改。请选择 PNG、BMP、TIFF 或 JPEG 格式的图片。")});
        EXPECT_EQ(Bytes(Background(mFormat)), Bytes(kept));
    }
}

TEST_F(BackgroundCommandsTest, AnExistingBackgroundIsReplacedOnlyAfterAsking)
{
    const QString older = Scan(QStringLiteral("old.jpg"), "JPG");
    ASSERT_EQ(Import(mFormat, older), Result::Imported);
    const QString newer = Scan(QStringLiteral("new.png"), "PNG");

    mPrompter.QueueAsk(false);
    EXPECT_EQ(Import(mFormat, newer), Result::Declined);
    EXPECT_EQ(mPrompter.shown, QStringList{QStringLiteral("当前格式已有底图，是否要替换？")});
    EXPECT_EQ(Bytes(Background(mFormat)), Bytes(older));

    mPrompter.QueueAsk(true);
    EXPECT_EQ(Import(mFormat, newer), Result::Imported);
    EXPECT_EQ(mPrompter.shown.size(), 2);
    const QByteArray converted = Bytes(Background(mFormat));
    EXPECT_NE(converted, Bytes(older));
    // Nothing is left beside the background.
    EXPECT_EQ(QDir(AppFolder()).entryList(QDir::Files), QStringList{QFileInfo(Background(mFormat)).fileName()});

    // Choosing the background file itself keeps it.
    mPrompter.QueueAsk(true);
    EXPECT_EQ(Import(mFormat, Background(mFormat)), Result::Imported);
    EXPECT_EQ(Bytes(Background(mFormat)), converted);
}

TEST_F(BackgroundCommandsTest, TheImportDialogOffersTheFourFormats)
{
    const QString form = Scan(QStringLiteral("form.jpg"), "JPG");
    mPrompter.QueueFile(form);
    EXPECT_EQ(BackgroundCommands::ChooseAndImport(mPrompter, AppFolder(), mFormat), Result::Imported);
    EXPECT_EQ(mPrompter.shown, QStringList{BackgroundCommands::ImportTitle()});
    EXPECT_EQ(Bytes(Background(mFormat)), Bytes(form));
    for (const char* pattern : {"*.png", "*.bmp", "*.tif", "*.tiff", "*.jpg", "*.jpeg"})
        EXPECT_TRUE(BackgroundCommands::ImportFilter().contains(QLatin1String(pattern))) << pattern;

    // Cancelled: nothing asked, nothing changed.
    EXPECT_EQ(BackgroundCommands::ChooseAndImport(mPrompter, AppFolder(), mFormat), Result::NotChosen);
    EXPECT_EQ(mPrompter.shown.size(), 2);
    EXPECT_EQ(Bytes(Background(mFormat)), Bytes(form));
}

TEST_F(BackgroundCommandsTest, ClearingAsksAndDeletesTheFile)
{
    // No background: the question is still asked, and nothing is to be redrawn.
    mPrompter.QueueAsk(true);
    EXPECT_FALSE(BackgroundCommands::ClearBackground(mPrompter, AppFolder(), mFormat));
    EXPECT_EQ(mPrompter.shown, QStringList{QStringLiteral("您确定要清除背景图？")});

    ASSERT_EQ(Import(mFormat, Scan(QStringLiteral("a.jpg"), "JPG")), Result::Imported);
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
    ASSERT_EQ(Import(starred, Scan(QStringLiteral("s.jpg"), "JPG")), Result::Imported);
    EXPECT_EQ(Background(starred), Background(zeroed));
    EXPECT_TRUE(BackgroundImages::HasBackground(AppFolder(), zeroed));

    // Importing for the other name asks to replace the shared file.
    mPrompter.QueueAsk(false);
    EXPECT_EQ(Import(zeroed, Scan(QStringLiteral("z.jpg"), "JPG")), Result::Declined);

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
