// Saving a picture as a file: the ".jpg" rule, the overwrite question, atomic writes.
#include "GuiApplication.h"
#include "ScriptedPrompter.h"
#include "images/PictureFile.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace kestrio {
namespace {

using Result = PictureFile::SaveResult;

class PictureFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::EnsureGuiApplication();
        mPicture.fill(Qt::red);
    }

    QString Path(const char* name) const { return QDir(mDir.path()).filePath(QString::fromUtf8(name)); }

    QTemporaryDir mDir;
    QImage mPicture{321, 123, QImage::Format_ARGB32};
    ScriptedPrompter mPrompter;
};

TEST_F(PictureFileTest, JpegNameNeedsExactlyLowerCaseJpg)
{
    const std::pair<const char*, const char*> names[] = {
        {"图表.jpg", "图表.jpg"}, {"图表.JPG", "图表.JPG.jpg"}, {"图表", "图表.jpg"}, {"图表.jpeg", "图表.jpeg.jpg"}};
    for (const auto& [chosen, saved] : names)
        EXPECT_EQ(PictureFile::JpegName(QString::fromUtf8(chosen)), QString::fromUtf8(saved)) << chosen;
}

TEST_F(PictureFileTest, SavesJpegAtThePictureSizeAfterAsking)
{
    mPrompter.QueueFile(Path("统计.JPG"));
    EXPECT_EQ(PictureFile::SaveAsJpeg(mPrompter, mPicture), Result::Saved);
    QImageReader reader(Path("统计.JPG.jpg"));
    EXPECT_EQ(reader.format(), QByteArray("jpeg"));
    const QImage back = reader.read();
    EXPECT_EQ(back.size(), mPicture.size());
    EXPECT_GT(qRed(back.pixel(10, 10)), 200); // transparent-free red, not black

    // An existing file is kept unless the user agrees.
    mPrompter.QueueFile(Path("统计.JPG.jpg"));
    const QImage other(50, 50, QImage::Format_RGB32);
    EXPECT_EQ(PictureFile::SaveAsJpeg(mPrompter, other), Result::Declined);
    EXPECT_EQ(mPrompter.shown.last(), QStringLiteral("文件“") + Path("统计.JPG.jpg") + QStringLiteral("”已存在，是否覆盖？"));
    EXPECT_EQ(QImage(Path("统计.JPG.jpg")).size(), mPicture.size());
    EXPECT_EQ(PictureFile::SaveAsJpeg(mPrompter, other), Result::Cancelled);
}

TEST_F(PictureFileTest, FailureLeavesNoFileAndSaysSo)
{
    QFile(Path("old.jpg")).open(QIODevice::WriteOnly);
    mPrompter.QueueFile(Path("没有的目录/图.jpg"));
    EXPECT_EQ(PictureFile::SaveAsJpeg(mPrompter, mPicture), Result::Failed);
    EXPECT_EQ(mPrompter.shown.last(), QStringLiteral("保存图片出错！"));
    // A picture that cannot be written leaves the file that was there as it was.
    mPrompter.QueueAsk(true);
    mPrompter.QueueFile(Path("old.jpg"));
    EXPECT_EQ(PictureFile::SaveAsJpeg(mPrompter, QImage()), Result::Failed);
    EXPECT_EQ(QFile(Path("old.jpg")).size(), 0);
    EXPECT_EQ(QDir(mDir.path()).entryList(QDir::Files), QStringList{QStringLiteral("old.jpg")});

    EXPECT_TRUE(PictureFile::Write(mPicture, Path("图.PNG")));
    EXPECT_EQ(QImageReader(Path("图.PNG")).format(), QByteArray("png"));
}

} // namespace
} // namespace kestrio
