// `kestrio export-format` and `kestrio import-format`: nobody answers on the command line, so
// every question the windows would ask is an option or an error here.
#include "TestApp.h"
#include "format/TextFileIO.h"
#include "images/BackgroundImages.h"
#include "startup/FormatCommands.h"
#include "storage/SqlQuote.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <gtest/gtest.h>

namespace kestrio {
namespace {

struct Outcome {
    int code = -1;
    QString out;
    QString err;
};

const QString kSep = QStringLiteral("】★【");

QByteArray ReadBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

const QString kWhole = QStringLiteral("【§单据整体格式参数§】");

class FormatCommandsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(mApp.Open());
        AddBox(QStringLiteral("工资单"), QStringLiteral("金额"), QStringLiteral("0"));
    }

    QString Work(const QString& name) const { return QDir(mWork.path()).filePath(name); }

    qint64 AddBox(const QString& format, const QString& lbl, const QString& sumId)
    {
        EXPECT_TRUE(mApp.app->DbOp().ExecuteSql(
            QStringLiteral("INSERT INTO Fmt(Fmt,LBL,Clas,X,Y,W,H,fName,fSize,SumID) VALUES(") + SqlQuote(format) +
            QLatin1Char(',') + SqlQuote(lbl) + QStringLiteral(",0,10,20,30,5,'宋体',10.5,") + sumId + QLatin1Char(')')));
        return mApp.app->Db().LastInsertRowId();
    }

    int FmtRows() { return mApp.app->Db().ScalarNative(QStringLiteral("SELECT count(*) FROM Fmt")).toInt(); }

    QStringList Labels(const QString& format)
    {
        QStringList labels;
        Recordset rs = mApp.app->DbOp().OpenQuery(QStringLiteral("SELECT * FROM Fmt WHERE Fmt=") + SqlQuote(format) +
                                                  QStringLiteral(" AND LBL<>") + SqlQuote(kWhole) +
                                                  QStringLiteral(" ORDER BY ID"));
        for (; !rs.Eof(); rs.MoveNext()) labels << rs.Text(QStringLiteral("LBL"));
        return labels;
    }

    Outcome Export(const QStringList& args) { return Call(&FormatCommands::ExportFormat, args); }
    Outcome Import(const QStringList& args) { return Call(&FormatCommands::ImportFormat, args); }

    template <typename Command>
    Outcome Call(Command command, const QStringList& args)
    {
        Outcome run;
        QTextStream out(&run.out);
        QTextStream err(&run.err);
        run.code = command(*mApp.app, args, out, err);
        out.flush();
        err.flush();
        return run;
    }

    test::TestApp mApp;
    QTemporaryDir mWork;
};

TEST_F(FormatCommandsTest, ExportWritesTheFileAndTheImage)
{
    WriteBytes(BackgroundImages::BackgroundPath(mApp.Folder(), QStringLiteral("工资单")), "bg");
    const Outcome run = Export({QStringLiteral("工资单"), Work(QStringLiteral("出"))});
    EXPECT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QStringLiteral("格式：“工资单”导出完成！\n"));
    EXPECT_EQ(run.err, QString());
    const QString text = TextFileIO::Decode(ReadBytes(Work(QStringLiteral("出.zhq"))));
    EXPECT_TRUE(text.startsWith(QStringLiteral("<Velmora格式专用>\r\n支票_工资单\r\n"))) << text.toStdString();
    EXPECT_EQ(text.count(kSep), 21);
    EXPECT_EQ(ReadBytes(Work(QStringLiteral("出.jpg"))), QByteArray("bg"));
}

TEST_F(FormatCommandsTest, ExportReplacesAFileOnlyWhenForced)
{
    const QString path = Work(QStringLiteral("旧.zhq"));
    WriteBytes(path, "old");
    Outcome run = Export({QStringLiteral("工资单"), path});
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(run.out, QString());
    EXPECT_EQ(run.err, QStringLiteral("文件：“") + path + QStringLiteral("”已经存在；加 --force 覆盖。\n"));
    EXPECT_EQ(ReadBytes(path), QByteArray("old"));

    run = Export({QStringLiteral("--force"), QStringLiteral("工资单"), path});
    EXPECT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_TRUE(ReadBytes(path).startsWith(TextFileIO::Encode(QStringLiteral("<Velmora格式专用>"))));
}

TEST_F(FormatCommandsTest, ExportFailuresAreErrors)
{
    Outcome run = Export({QStringLiteral("无此格式"), Work(QStringLiteral("无"))});
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(run.err, QStringLiteral("没有格式：“无此格式”\n"));
    EXPECT_FALSE(QFileInfo::exists(Work(QStringLiteral("无.zhq"))));

    const QString blocker = Work(QStringLiteral("是文件"));
    WriteBytes(blocker, "x");
    run = Export({QStringLiteral("工资单"), blocker + QStringLiteral("/出.zhq")});
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(run.out, QString());
    EXPECT_EQ(run.err, QStringLiteral("文件写入失败：") + blocker + QStringLiteral("/出.zhq\n"));

    for (const QStringList& wrong : {QStringList{}, QStringList{QStringLiteral("工资单")},
                                     QStringList{QStringLiteral("工资单"), QStringLiteral("a"), QStringLiteral("b")}}) {
        run = Export(wrong);
        EXPECT_EQ(run.code, 2);
        EXPECT_TRUE(run.err.startsWith(QStringLiteral("export-format 命令需要格式名和文件名。\n"))) << run.err.toStdString();
    }
}

TEST_F(FormatCommandsTest, ImportStoresUnderTheFileNameOrTheGivenOne)
{
    const qint64 first = AddBox(QStringLiteral("源's"), QStringLiteral("甲"), QStringLiteral("0"));
    AddBox(QStringLiteral("源's"), QStringLiteral("乙"), QString::number(-first));
    AddBox(QStringLiteral("源's"), kWhole, QStringLiteral("0")); // a whole format has one
    const QString path = Work(QStringLiteral("新格式.zhq"));
    ASSERT_EQ(Export({QStringLiteral("源's"), path}).code, 0);
    WriteBytes(Work(QStringLiteral("新格式.jpg")), "bg");
    const int before = FmtRows();

    Outcome run = Import({path});
    EXPECT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QStringLiteral("格式“新格式”导入成功\n"));
    EXPECT_EQ(run.err, QString());
    EXPECT_EQ(Labels(QStringLiteral("新格式")), (QStringList{QStringLiteral("甲"), QStringLiteral("乙")}));
    EXPECT_EQ(ReadBytes(BackgroundImages::BackgroundPath(mApp.Folder(), QStringLiteral("新格式"))), QByteArray("bg"));

    // The name is taken now: an error without --as, nothing stored.
    run = Import({path});
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(run.out, QString());
    EXPECT_EQ(run.err, QStringLiteral("格式：“新格式”已存在，请另取格式名！\n"));
    run = Import({path, QStringLiteral("--as"), QStringLiteral("工资单")});
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(run.err, QStringLiteral("格式：“工资单”已存在，请另取格式名！\n"));
    EXPECT_EQ(FmtRows(), before + 3);

    run = Import({QStringLiteral("--as"), QStringLiteral(" 第二's "), path});
    EXPECT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QStringLiteral("格式“第二's”导入成功\n"));
    EXPECT_EQ(Labels(QStringLiteral("第二's")), (QStringList{QStringLiteral("甲"), QStringLiteral("乙")}));
    EXPECT_EQ(FmtRows(), before + 6);
}

TEST_F(FormatCommandsTest, ImportFailuresAreErrors)
{
    const int before = FmtRows();
    const QString missing = Work(QStringLiteral("没有.zhq"));
    Outcome run = Import({missing});
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(run.err, QStringLiteral("无法打开下载文档：\r\n") + missing + QLatin1Char('\n'));

    const QString wrong = Work(QStringLiteral("乱.zhq"));
    WriteBytes(wrong, "not a format file\r\n\r\n\r\n");
    run = Import({wrong});
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(run.err, QStringLiteral("无法识别此文件，请确认文件：“") + wrong + QStringLiteral("”为支票格式文件！\n"));
    EXPECT_EQ(run.out, QString());
    EXPECT_EQ(FmtRows(), before);

    for (const QStringList& bad : {QStringList{}, QStringList{wrong, QStringLiteral("--as")},
                                   QStringList{wrong, QStringLiteral("--as"), QStringLiteral("  ")},
                                   QStringList{wrong, QStringLiteral("extra")}}) {
        run = Import(bad);
        EXPECT_EQ(run.code, 2);
        EXPECT_TRUE(run.err.startsWith(QStringLiteral("import-format 命令需要一个格式文件，可加 --as 格式名。\n")))
            << run.err.toStdString();
    }
}

TEST(FormatCommandsStart, OpensTheDataFirst)
{
    test::TestApp app; // no database yet
    QTemporaryDir work;
    const QString path = QDir(work.path()).filePath(QStringLiteral("首次.zhq"));
    QStringList fields(22, QStringLiteral("0"));
    fields[0] = QStringLiteral("1");
    fields[2] = kWhole; // the one row a format cannot do without
    WriteBytes(path, TextFileIO::Encode(QStringLiteral("<Velmora格式专用>\r\n支票\r\n") + fields.join(kSep)));
    QString outText;
    QString errText;
    QTextStream out(&outText);
    QTextStream err(&errText);
    EXPECT_EQ(FormatCommands::ImportFormat(*app.app, {path}, out, err), 0);
    err.flush();
    EXPECT_EQ(errText, QString());
    EXPECT_TRUE(QFileInfo::exists(app.DatabasePath()));
    EXPECT_EQ(app.app->DbOp().FieldWhere(QStringLiteral("Fmt"), QStringLiteral("Fmt='首次'"), QStringLiteral("X")),
              QStringLiteral("0"));
}

// The real program, as a user runs it.
TEST(FormatCommandsProcess, ExportAndImportThroughTheProgram)
{
    QTemporaryDir dir;
    const QString data = QDir(dir.path()).filePath(QStringLiteral("数据"));
    const QString file = QDir(dir.path()).filePath(QStringLiteral("交换"));
    const auto kestrio = [&](const QStringList& args) {
        QProcess process;
        process.start(QStringLiteral(KESTRIO_BINARY), QStringList{QStringLiteral("--data-dir"), data} + args);
        process.waitForFinished(60000);
        return Outcome{process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                   QString::fromUtf8(process.readAllStandardError())};
    };
    Outcome run = kestrio({QStringLiteral("sql"),
                       QStringLiteral("INSERT INTO Fmt(Fmt,LBL,Clas,X) VALUES('O''Brien支票','收款人',0,12.5)")});
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    run = kestrio({QStringLiteral("sql"), QStringLiteral("INSERT INTO Fmt(Fmt,LBL) VALUES('O''Brien支票','") + kWhole +
                                              QStringLiteral("')")});
    ASSERT_EQ(run.code, 0) << run.err.toStdString();

    run = kestrio({QStringLiteral("export-format"), QStringLiteral("O'Brien支票"), file});
    EXPECT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QStringLiteral("格式：“O'Brien支票”导出完成！\n"));
    EXPECT_TRUE(TextFileIO::Decode(ReadBytes(file + QStringLiteral(".zhq")))
                    .startsWith(QStringLiteral("<Velmora格式专用>\r\nO'Brien支票\r\n")));

    run = kestrio({QStringLiteral("import-format"), file + QStringLiteral(".zhq")});
    EXPECT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QStringLiteral("格式“交换”导入成功\n"));
    run = kestrio({QStringLiteral("import-format"), file + QStringLiteral(".zhq")});
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(run.err, QStringLiteral("格式：“交换”已存在，请另取格式名！\n"));
    run = kestrio({QStringLiteral("sql"), QStringLiteral("SELECT Fmt,LBL,X FROM Fmt WHERE LBL='收款人' AND X=12.5 ORDER BY ID")});
    EXPECT_EQ(run.out, QStringLiteral("Fmt\tLBL\tX\nO'Brien支票\t收款人\t12.5\n交换\t收款人\t12.5\n"));
}

} // namespace
} // namespace kestrio
