// `kestrio edit-format`: a format laid out from nothing, operations in order, one transaction.
#include "TestApp.h"
#include "format/Element.h"
#include "images/BackgroundImages.h"
#include "format/FormatStore.h"
#include "format/Workspace.h"
#include "startup/EditFormatCommand.h"

#include <QDir>
#include <QFile>
#include <QImage>

#include <gtest/gtest.h>

namespace kestrio {
namespace {

class EditFormatCommandTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(mApp.Open()); }

    int Run(const QStringList& args)
    {
        mOut.clear();
        mErr.clear();
        QTextStream out(&mOut), err(&mErr);
        const int code = EditFormatCommand::Run(*mApp.app, args, out, err);
        out.flush();
        err.flush();
        return code;
    }

    Workspace Load(const QString& name)
    {
        Workspace ws;
        FormatStore(mApp.app->DbOp(), mApp.app->Indicator(), mApp.app->Screen()).LoadFormat(ws, name);
        return ws;
    }

    // label → "kind x y w h" of a loaded format.
    QStringList Layout(const QString& name)
    {
        const Workspace ws = Load(name);
        QStringList rows;
        for (int row = ElementTable::kFirstRow; row < ws.table.RowCount(); ++row) {
            const Element e = Element::FromRow(ws.table, row);
            rows << QStringLiteral("%1 %2 %3 %4 %5 %6").arg(e.label).arg(e.kind).arg(e.x).arg(e.y).arg(e.width).arg(e.height);
        }
        return rows;
    }

    test::TestApp mApp;
    QString mOut, mErr;
};

TEST_F(EditFormatCommandTest, BuildsANewFormatInOrder)
{
    const QString name = QStringLiteral("新支票");
    ASSERT_EQ(Run({name, QStringLiteral("--page"), QStringLiteral("100,50"),
                   QStringLiteral("--add"), QStringLiteral("text"), QStringLiteral("--label"), QStringLiteral("No.9"),
                   QStringLiteral("--at"), QStringLiteral("30,20"), QStringLiteral("--size"), QStringLiteral("20,6"),
                   QStringLiteral("--add"), QStringLiteral("check"), QStringLiteral("--label"), QStringLiteral("勾"),
                   QStringLiteral("--at"), QStringLiteral("12,40"),
                   QStringLiteral("--copy"), QStringLiteral("No.9"), QStringLiteral("--times"), QStringLiteral("2"),
                   QStringLiteral("--move"), QStringLiteral("勾"), QStringLiteral("--by"), QStringLiteral("-20,0"),
                   QStringLiteral("--align"), QStringLiteral("left"), QStringLiteral("No.9"), QStringLiteral("No.10"),
                   QStringLiteral("--table"), QStringLiteral("10,10,70,40,3,2")}),
              0)
        << mErr.toStdString();
    const QStringList layout = Layout(name);
    ASSERT_EQ(layout.size(), 4 + 7) << layout.join(u'|').toStdString();
    // A loaded format lists its elements kind by kind.
    EXPECT_EQ(layout[0], QStringLiteral("No.9 0 26.47 20 20 6")); // left edge of the pair, to 0.01 mm
    EXPECT_EQ(layout[3], QStringLiteral("勾 1 0 40 3.351 3.351")); // clamped at the left edge
    EXPECT_EQ(layout[1], QStringLiteral("No.10 0 26.47 16.472 20 6")); // 200 twips up and left
    EXPECT_EQ(layout[2], QStringLiteral("No.11 0 22.944 12.944 20 6"));
    EXPECT_EQ(layout[6], QStringLiteral("线条 3 10 30 70 30"));
    EXPECT_TRUE(mOut.contains(QStringLiteral("No.11"))) << mOut.toStdString();
}

TEST_F(EditFormatCommandTest, AFailingOperationChangesNothing)
{
    const QString name = QStringLiteral("新支票");
    ASSERT_EQ(Run({name, QStringLiteral("--add"), QStringLiteral("text"), QStringLiteral("--label"), QStringLiteral("甲")}), 0);
    struct Case { QStringList args; int code; const char16_t* message; };
    const Case cases[] = {
        {{QStringLiteral("--delete"), QStringLiteral("乙")}, 1, u"没有标签为“乙”的输入框"},
        {{QStringLiteral("--table"), QStringLiteral("10,10,70,40,0,2")}, 1, u"行数和列数必须大于0！"},
        {{QStringLiteral("--table"), QStringLiteral("10,x,70,40,3,2")}, 1, u"需要6个以逗号分隔的数字"},
        {{QStringLiteral("--frobnicate")}, 2, u"未知的操作：--frobnicate"},
    };
    for (const Case& c : cases) {
        const QStringList before = Layout(name);
        QStringList args{name, QStringLiteral("--delete"), QStringLiteral("甲")};
        args << c.args;
        EXPECT_EQ(Run(args), c.code);
        EXPECT_TRUE(mErr.contains(QString::fromUtf16(c.message))) << mErr.toStdString();
        EXPECT_EQ(Layout(name), before);
    }
}

TEST_F(EditFormatCommandTest, SetsAndClearsTheBackgroundWithTheLayout)
{
    const QString name = QStringLiteral("扫描单");
    const QString background = BackgroundImages::BackgroundPath(mApp.Folder(), name);
    QImage scan(80, 40, QImage::Format_RGB32);
    scan.fill(Qt::black);
    const QString tiff = QDir(mApp.Folder()).filePath(QStringLiteral("scan.tiff"));
    ASSERT_TRUE(scan.save(tiff, "TIFF"));
    const QStringList add{QStringLiteral("--add"), QStringLiteral("text"), QStringLiteral("--label"), QStringLiteral("甲")};

    // An unreadable picture fails the whole edit: no format, no background.
    const QString broken = QDir(mApp.Folder()).filePath(QStringLiteral("broken.png"));
    QFile file(broken);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a picture");
    file.close();
    EXPECT_EQ(Run(QStringList{name} + add + QStringList{QStringLiteral("--background"), broken}), 1);
    EXPECT_TRUE(mErr.contains(QStringLiteral("无法读取图片文件"))) << mErr.toStdString();
    EXPECT_FALSE(FormatStore(mApp.app->DbOp(), mApp.app->Indicator(), mApp.app->Screen()).FormatExists(name));
    EXPECT_FALSE(QFile::exists(background));

    ASSERT_EQ(Run(QStringList{name} + add + QStringList{QStringLiteral("--background"), tiff}), 0) << mErr.toStdString();
    const QImage stored(background);
    EXPECT_EQ(stored.size(), scan.size());
    EXPECT_EQ(Layout(name).size(), 1);
    // Replaced without asking: the command is the user's answer.
    ASSERT_TRUE(scan.scaled(40, 20).save(tiff, "TIFF"));
    EXPECT_EQ(Run({name, QStringLiteral("--background"), tiff}), 0);
    EXPECT_EQ(QImage(background).size(), QSize(40, 20));

    ASSERT_EQ(Run({name, QStringLiteral("--clear-background")}), 0);
    EXPECT_FALSE(QFile::exists(background));
    EXPECT_EQ(Layout(name).size(), 1);
}

} // namespace
} // namespace kestrio
