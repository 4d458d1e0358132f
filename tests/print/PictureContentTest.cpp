// What a picture box shows on the canvas: a picture stretched, or its barcode read back by a
// real decoder.
#include "ScannedText.h"
#include "GuiApplication.h"
#include "ScriptedPrompter.h"
#include "format/Workspace.h"
#include "print/PictureContent.h"


#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace kestrio {
namespace {


class PictureBox : public ::testing::Test {
protected:
    PictureBox()
    {
        test::EnsureGuiApplication();
        row = ws.table.AddElementRow(ElementTable::PictureBox);
        ws.table.SetText(row, ElementTable::ColId, QStringLiteral("7"));
        ws.table.SetText(row, ElementTable::ColFontName, QStringLiteral("宋体"));
    }

    PictureContent::View Set(const QString& content, Barcode::Standard standard = Barcode::Standard::Code39)
    {
        return PictureContent::SetPictureContent(ws, row, content, QSize(480, 120), 96, 9, standard, &prompter);
    }

    Workspace ws;
    int row = 0;
    ScriptedPrompter prompter;
};

TEST_F(PictureBox, ABarcodeIsDrawnIntoTheBoxAndReadsBack)
{
    auto view = Set(QStringLiteral("ABC-123"));
    EXPECT_EQ(test::ScannedText(view.image), "ABC-123");
    EXPECT_EQ(view.image.size(), QSize(480, 120));
    EXPECT_EQ(view.toolTip, QStringLiteral("当前条码：ABC-123"));
    EXPECT_EQ(ws.GetBoxContent(row), QStringLiteral("ABC-123"));

    view = Set(QStringLiteral("690123456789"), Barcode::Standard::Ean13);
    EXPECT_EQ(test::ScannedText(view.image), "6901234567892");
    EXPECT_TRUE(prompter.shown.isEmpty());
}

TEST_F(PictureBox, PicturesAreKeptOnlyWhenTheFileExists)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("logo.png"));
    QImage logo(10, 10, QImage::Format_RGB32);
    logo.fill(Qt::blue);
    ASSERT_TRUE(logo.save(path));

    auto view = Set(path);
    EXPECT_EQ(ws.GetBoxContent(row), path);
    EXPECT_EQ(view.toolTip, PictureContent::EmptyToolTip());
    ASSERT_FALSE(view.image.isNull());
    EXPECT_EQ(view.image.pixelColor(240, 60), QColor(Qt::blue)); // stretched over the box

    view = Set(dir.filePath(QStringLiteral("gone.png")));
    EXPECT_TRUE(view.image.isNull());
    EXPECT_EQ(ws.GetBoxContent(row), QString()) << "a missing picture leaves the box empty";
}

TEST_F(PictureBox, TheBarcodeCommandAsksAndAnEmptyAnswerClears)
{
    Set(QStringLiteral("OLD1"));
    prompter.QueueInput(QStringLiteral("  NEW2  "));
    auto view = PictureContent::AskBarcode(ws, row, prompter, QSize(480, 120), 96, 9, Barcode::Standard::Code39);
    EXPECT_EQ(prompter.shown.value(0), PictureContent::BarcodePrompt());
    EXPECT_EQ(prompter.presets.value(0), QStringLiteral("OLD1"));
    EXPECT_EQ(ws.GetBoxContent(row), QStringLiteral("NEW2"));
    EXPECT_EQ(test::ScannedText(view.image), "NEW2");

    prompter.QueueInput(std::nullopt); // cancel
    view = PictureContent::AskBarcode(ws, row, prompter, QSize(480, 120), 96, 9, Barcode::Standard::Code39);
    EXPECT_EQ(ws.GetBoxContent(row), QString());
    EXPECT_TRUE(view.image.isNull());
    EXPECT_EQ(view.toolTip, PictureContent::EmptyToolTip());
}

TEST_F(PictureBox, AnUnprintableCharacterIsReported)
{
    Set(QStringLiteral("12#3"));
    EXPECT_EQ(prompter.shown, QStringList{Barcode::Code39InvalidMessage()});
    EXPECT_EQ(ws.GetBoxContent(row), QStringLiteral("12#3"));
}

} // namespace
} // namespace kestrio
