// `kestrio edit-format NAME --set-box LABEL key=value...` against a real data folder.
#include "TestApp.h"
#include "startup/EditFormatCommand.h"
#include "storage/SqlQuote.h"

#include <gtest/gtest.h>

namespace kestrio {
namespace {

class SetBoxCommandTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(mApp.Open());
        mAmount = AddBox(QStringLiteral("小写"));
        mCapital = AddBox(QStringLiteral("大写"));
    }

    qint64 AddBox(const QString& lbl)
    {
        EXPECT_TRUE(mApp.app->DbOp().ExecuteSql(
            QStringLiteral("INSERT INTO Fmt(Fmt,LBL,Clas,X,Y,W,H,fName,fSize) VALUES('试单',") + SqlQuote(lbl) +
            QStringLiteral(",0,10,20,30,5,'宋体',10.5)")));
        return mApp.app->Db().LastInsertRowId();
    }

    double Column(qint64 id, const QString& column)
    {
        return mApp.app->Db()
            .ScalarNative(QStringLiteral("SELECT ") + column + QStringLiteral(" FROM Fmt WHERE ID=") + QString::number(id))
            .toDouble();
    }

    int Run(const QStringList& args, QString* message)
    {
        QString shown;
        QTextStream out(&shown);
        QTextStream err(message);
        const int status = EditFormatCommand::Run(*mApp.app, args, out, err);
        err.flush();
        return status;
    }

    test::TestApp mApp;
    qint64 mAmount = 0;
    qint64 mCapital = 0;
};

TEST_F(SetBoxCommandTest, TypesAndRelationsAreStored)
{
    QString message;
    ASSERT_EQ(Run({QStringLiteral("试单"), QStringLiteral("--set-box"), QStringLiteral("小写"), QStringLiteral("cells=12"),
                   QStringLiteral("type=311"), QStringLiteral("--set-box"), QStringLiteral("大写"), QStringLiteral("type=103"),
                   QStringLiteral("same-as=小写"), QStringLiteral("add-to=小写"), QStringLiteral("negate=yes"),
                   QStringLiteral("align=centre"), QStringLiteral("line-spacing=4"), QStringLiteral("w=45")},
                  &message),
              0)
        << message.toStdString();
    EXPECT_EQ(Column(mAmount, QStringLiteral("Cash")), 312);
    EXPECT_EQ(Column(mCapital, QStringLiteral("Cash")), 103);
    EXPECT_EQ(Column(mCapital, QStringLiteral("RCtl")), mAmount);
    EXPECT_NEAR(Column(mCapital, QStringLiteral("SumID")), mAmount + 0.1, 1e-9);
    EXPECT_EQ(Column(mCapital, QStringLiteral("L")), 2004);
    EXPECT_EQ(Column(mCapital, QStringLiteral("W")), 45);
    EXPECT_EQ(Column(mAmount, QStringLiteral("W")), 30);
}

TEST_F(SetBoxCommandTest, RefusalsLeaveTheFormatAlone)
{
    struct Case {
        QStringList settings;
        QString message;
    };
    const Case cases[] = {
        {{QStringLiteral("小写"), QStringLiteral("x=5"), QStringLiteral("w=3O")}, QStringLiteral("“宽：”请输入数字！")},
        {{QStringLiteral("小写"), QStringLiteral("type=999")}, QStringLiteral("“type”的值“999”不可用。")},
        {{QStringLiteral("小写"), QStringLiteral("type=103"), QStringLiteral("cells=8")}, QStringLiteral("这种数据类型没有格数或位数。")},
        {{QStringLiteral("小写"), QStringLiteral("same-as=小写")}, QStringLiteral("没有可关联的输入框：小写")},
        {{QStringLiteral("没有"), QStringLiteral("x=5")}, QStringLiteral("没有这个元素：没有")},
    };
    for (const Case& c : cases) {
        QString message;
        EXPECT_EQ(Run(QStringList{QStringLiteral("试单"), QStringLiteral("--set-box")} + c.settings, &message), 1);
        EXPECT_TRUE(message.contains(c.message)) << message.toStdString();
        EXPECT_TRUE(message.trimmed().endsWith(QStringLiteral("格式未修改。"))) << message.toStdString();
        EXPECT_EQ(Column(mAmount, QStringLiteral("X")), 10);
        EXPECT_EQ(Column(mAmount, QStringLiteral("Cash")), 0);
    }
}

} // namespace
} // namespace kestrio
