// Formats travelling as .zhq files: the exact bytes written, the way back into the database,
// and every way a file or a disk can let the user down.
#include "TestApp.h"
#include "format/FormatExchange.h"
#include "format/TextFileIO.h"
#include "images/BackgroundImages.h"
#include "storage/SqlQuote.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <gtest/gtest.h>

#include <cstring>

namespace kestrio {
namespace {

const QString kSep = QStringLiteral("】★【");
const QString kCrLf = QStringLiteral("\r\n");
const QString kHeader = QStringLiteral("<Velmora格式专用>");
const QString kWhole = QStringLiteral("【§单据整体格式参数§】");

// One stored Fmt row; every column has a value a real format could hold.
struct Row {
    QString lbl;
    int clas = 0;
    QString dir = QStringLiteral("1");
    QString x = QStringLiteral("10"), y = QStringLiteral("20"), w = QStringLiteral("30"), h = QStringLiteral("5");
    QString s = QStringLiteral("0"), l = QStringLiteral("0"), color = QStringLiteral("0");
    QString fName = QStringLiteral("宋体"), fSize = QStringLiteral("10.5");
    QString bold = QStringLiteral("FALSE"), italic = QStringLiteral("FALSE"), underline = QStringLiteral("FALSE"),
            strike = QStringLiteral("FALSE");
    QString cash = QStringLiteral("0"), rctl = QStringLiteral("0"), sumId = QStringLiteral("0"),
            sumId1 = QStringLiteral("0"), rctl1 = QStringLiteral("0");
    QString mem;
};

// Records the indicator's calls, so that a test sees it closed on every way out.
class RecordingProgress final : public Progress {
public:
    void ShowProgress(const QString& caption, int totalSteps, int) override
    {
        calls << QStringLiteral("show ") + caption + QLatin1Char(' ') + QString::number(totalSteps);
    }
    void StepProgress(int steps, const QString&) override { calls << QStringLiteral("step ") + QString::number(steps); }
    void CloseProgress() override { calls << QStringLiteral("close"); }
    QStringList calls;
};

// Hands every answer over to a ScriptedPrompter and keeps the folder a file chooser opened in.
class DirRecordingPrompter final : public Prompter {
public:
    explicit DirRecordingPrompter(ScriptedPrompter& inner) : mInner(inner) {}
    void Message(const QString& text, Icon icon, const QString& title) override { mInner.Message(text, icon, title); }
    bool Ask(const QString& text, const QString& title) override { return mInner.Ask(text, title); }
    std::optional<QString> Input(const QString& prompt, const QString& preset, const QString& title) override
    {
        return mInner.Input(prompt, preset, title);
    }
    QString OpenFile(const QString& title, const QString& filter, const QString& dir) override
    {
        filters << filter;
        return mInner.OpenFile(title, filter, dir);
    }
    QString SaveFile(const QString& title, const QString& filter, const QString& dir) override
    {
        dirs << dir;
        filters << filter;
        return mInner.SaveFile(title, filter, dir);
    }
    QStringList dirs;
    QStringList filters;

private:
    ScriptedPrompter& mInner;
};

QByteArray Gb(const QString& text)
{
    return TextFileIO::Encode(text);
}

void WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    file.write(bytes);
}

QByteArray ReadBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// An element line of 22 fields with the usual values; references and texts as given.
QString Line(const QString& id, const QString& lbl, const QString& rctl = QStringLiteral("0"),
             const QString& sumId = QStringLiteral("0"), const QString& sumId1 = QStringLiteral("0"),
             const QString& mem = {})
{
    return QStringList{id,   QStringLiteral("0"), lbl,  QStringLiteral("1"), QStringLiteral("10"),
                       QStringLiteral("20"),      QStringLiteral("30"),      QStringLiteral("5"),
                       QStringLiteral("0"),       QStringLiteral("0"),       QStringLiteral("0"),
                       QStringLiteral("宋体"),    QStringLiteral("10.5"),    QStringLiteral("True"),
                       QStringLiteral("False"),   QStringLiteral("False"),   QStringLiteral("TRUE"),
                       QStringLiteral("103"),     rctl,                      mem,
                       sumId,                     sumId1}
        .join(kSep);
}

// A whole file: a format always has its whole-format row (a writer puts it last), so one is
// added when the lines hold none.
QString FileText(const QString& nameLine, const QStringList& lines)
{
    QStringList all{kHeader, nameLine};
    all << lines;
    if (!lines.join(kCrLf).contains(kWhole)) all << Line(QStringLiteral("999"), kWhole);
    return all.join(kCrLf);
}

class FormatExchangeTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(mApp.Open()); }

    DbOperate& Db() { return mApp.app->DbOp(); }
    ScriptedPrompter& Prompts() { return mApp.prompter; }
    QString Folder() const { return mApp.Folder(); }
    QString Work(const QString& name) const { return QDir(mWork.path()).filePath(name); }
    FormatExchange Exchange() { return FormatExchange(Folder(), Db(), mApp.prompter, mProgress); }

    qint64 AddRow(const QString& format, const Row& r)
    {
        const QString sql =
            QStringLiteral("INSERT INTO Fmt(Fmt,LBL,Clas,Dir,X,Y,W,H,S,L,Color,fName,fSize,fBold,fItalic,fUnderline,"
                           "fStrikethru,Cash,RCtl,SumID,SumID1,RCtl1,Mem) VALUES(") +
            QStringList{SqlQuote(format), SqlQuote(r.lbl), QString::number(r.clas), r.dir, r.x, r.y, r.w, r.h, r.s, r.l,
                        r.color, SqlQuote(r.fName), r.fSize, r.bold, r.italic, r.underline, r.strike, r.cash, r.rctl,
                        r.sumId, r.sumId1, r.rctl1, SqlQuote(r.mem)}
                .join(QLatin1Char(',')) +
            QLatin1Char(')');
        EXPECT_TRUE(Db().ExecuteSql(sql)) << sql.toStdString();
        return mApp.app->Db().LastInsertRowId();
    }

    int FmtRows() { return mApp.app->Db().ScalarNative(QStringLiteral("SELECT count(*) FROM Fmt")).toInt(); }

    // Every stored row of a format, ordered by ID, as column → text.
    QList<QHash<QString, QString>> Rows(const QString& format)
    {
        QList<QHash<QString, QString>> rows;
        Recordset rs = Db().OpenQuery(QStringLiteral("SELECT * FROM Fmt WHERE Fmt=") + SqlQuote(format) +
                                      QStringLiteral(" ORDER BY ID"));
        for (; !rs.Eof(); rs.MoveNext()) {
            QHash<QString, QString> row;
            for (int i = 0; i < rs.FieldCount(); ++i) row.insert(rs.FieldAt(i).name, rs.Text(i));
            rows << row;
        }
        return rows;
    }

    test::TestApp mApp;
    QTemporaryDir mWork;
    RecordingProgress mProgress;
};

TEST(FormatExchangeNames, NameLineFileNamesAndImageBeside)
{
    EXPECT_EQ(FormatExchange::NameLine(QStringLiteral("工资单")), QStringLiteral("支票_工资单"));
    EXPECT_EQ(FormatExchange::NameLine(QStringLiteral("建行支票")), QStringLiteral("建行支票"));
    EXPECT_EQ(FormatExchange::ExchangePath(QStringLiteral("/d/工资单")), QStringLiteral("/d/工资单.zhq"));
    EXPECT_EQ(FormatExchange::ExchangePath(QStringLiteral("/d/A.ZHQ")), QStringLiteral("/d/A.ZHQ"));
    EXPECT_EQ(FormatExchange::ExchangePath(QStringLiteral("/d/A.txt")), QStringLiteral("/d/A.txt.zhq"));
    EXPECT_EQ(FormatExchange::ImagePathBeside(QStringLiteral("/d/A.ZHQ")), QStringLiteral("/d/A.jpg"));
    EXPECT_EQ(FormatExchange::ImagePathBeside(QStringLiteral("/d.x/A")), QStringLiteral("/d.x/A.jpg"));
    EXPECT_EQ(FormatExchange::ImportName(QStringLiteral("D:\\x\\发票A.zhq"), QStringLiteral("支票_其他")),
              QStringLiteral("发票A"));
    EXPECT_EQ(FormatExchange::ImportName(QStringLiteral("/a.b/c.d.zhq"), QStringLiteral("支票")), QStringLiteral("c.d"));
    EXPECT_EQ(FormatExchange::ImportName(QStringLiteral("/a.b/.zhq"), QStringLiteral("支票_其他")),
              QStringLiteral("支票_其他"));
}

TEST_F(FormatExchangeTest, ExportWritesTheExactBytes)
{
    Row whole;
    whole.lbl = kWhole;
    whole.dir = QStringLiteral("0");
    whole.x = QStringLiteral("7.5");
    whole.y = QStringLiteral("10");
    whole.w = QStringLiteral("175");
    whole.h = QStringLiteral("80");
    whole.color = QStringLiteral("15360");
    whole.fName.clear();
    whole.fSize = QStringLiteral("0");
    whole.mem = QStringLiteral("True|False|1|0|0|0|1|False|");
    const qint64 wholeId = AddRow(QStringLiteral("工资单"), whole);
    Row box;
    box.lbl = QStringLiteral("金额\r\n(小写)");
    box.x = QStringLiteral("12.5");
    box.w = QStringLiteral("40.25");
    box.s = QStringLiteral("0.5");
    box.l = QStringLiteral("1002.5");
    box.color = QStringLiteral("255");
    box.bold = QStringLiteral("TRUE");
    box.underline = QStringLiteral("TRUE");
    box.cash = QStringLiteral("114.08");
    box.sumId = QString::number(-wholeId);
    box.sumId1 = QStringLiteral("NULL");
    box.rctl1 = QStringLiteral("5");
    box.mem = QStringLiteral("一\r\n二");
    const qint64 boxId = AddRow(QStringLiteral("工资单"), box);

    const QString path = Work(QStringLiteral("工资单.zhq"));
    ASSERT_TRUE(Exchange().ExportFmtFileTo(QStringLiteral("工资单"), path));

    const QString expected =
        QStringLiteral("<Velmora格式专用>\r\n支票_工资单\r\n") + QString::number(wholeId) +
        QStringLiteral("】★【0】★【【§单据整体格式参数§】】★【0】★【7.5】★【10】★【175】★【80】★【0】★【0】★【15360】★【】★【0"
                       "】★【False】★【False】★【False】★【False】★【0】★【0】★【True|False|1|0|0|0|1|False|】★【0】★【0\r\n") +
        QString::number(boxId) +
        QStringLiteral("】★【0】★【金额‖‖‖(小写)】★【1】★【12.5】★【20】★【40.25】★【5】★【0.5】★【1002.5】★【255】★【宋体"
                       "】★【10.5】★【True】★【False】★【True】★【False】★【114.08】★【0】★【一♂♂二】★【") +
        QString::number(-wholeId) + QStringLiteral("】★【");
    const QByteArray bytes = ReadBytes(path);
    EXPECT_EQ(bytes, Gb(expected));
    // GB18030 as the old GBK readers know it, no byte-order mark, CR LF, no line end at the end.
    EXPECT_TRUE(bytes.startsWith(QByteArray::fromHex("3c56656c6d6f7261b8f1cabdd7a8d3c33e0d0ad6a7c6b15fb9a4d7cab5a50d0a")));
    EXPECT_TRUE(bytes.contains(QByteArray::fromHex("a1bfa1efa1be")));
    EXPECT_FALSE(bytes.endsWith("\r\n"));
    EXPECT_TRUE(Prompts().shown.isEmpty()) << Prompts().shown.join(QLatin1Char('|')).toStdString();
    EXPECT_FALSE(QFileInfo::exists(Work(QStringLiteral("工资单.jpg"))));
    // Only the file itself: the temporary file of the write is gone.
    EXPECT_EQ(QDir(mWork.path()).entryList(QDir::Files), QStringList{QStringLiteral("工资单.zhq")});
}

TEST_F(FormatExchangeTest, InteractiveExportAsksForTheFileAndCopiesTheImage)
{
    Row box;
    box.lbl = QStringLiteral("日期");
    AddRow(QStringLiteral("建行支票"), box);
    WriteBytes(BackgroundImages::BackgroundPath(Folder(), QStringLiteral("建行支票")), QByteArray("\xff\xd8jpeg", 6));

    DirRecordingPrompter prompter(mApp.prompter);
    FormatExchange exchange(Folder(), Db(), prompter, mProgress);
    Prompts().QueueFile(Work(QStringLiteral("out")));
    ASSERT_TRUE(exchange.ExportFmtFile(QStringLiteral("建行支票")));
    EXPECT_EQ(prompter.dirs, QStringList{QDir(Folder()).filePath(QStringLiteral("建行支票"))});
    EXPECT_EQ(prompter.filters, QStringList{QStringLiteral("支票格式(*.zhq)")});
    EXPECT_EQ(Prompts().shown, (QStringList{QStringLiteral("导出格式"), QStringLiteral("格式：“建行支票”导出完成！")}));
    EXPECT_TRUE(ReadBytes(Work(QStringLiteral("out.zhq"))).startsWith(Gb(kHeader + kCrLf + QStringLiteral("建行支票\r\n"))));
    EXPECT_EQ(ReadBytes(Work(QStringLiteral("out.jpg"))), QByteArray("\xff\xd8jpeg", 6));

    // A typed extension in capitals is kept, and the image goes beside it.
    Prompts().shown.clear();
    Prompts().QueueFile(Work(QStringLiteral("A.ZHQ")));
    ASSERT_TRUE(exchange.ExportFmtFile(QStringLiteral("建行支票")));
    EXPECT_TRUE(QFileInfo::exists(Work(QStringLiteral("A.ZHQ"))));
    EXPECT_FALSE(QFileInfo::exists(Work(QStringLiteral("A.ZHQ.zhq"))));
    EXPECT_EQ(ReadBytes(Work(QStringLiteral("A.jpg"))), QByteArray("\xff\xd8jpeg", 6));

    // Cancelling the dialog, or having no name and no chooser, does nothing at all.
    Prompts().shown.clear();
    EXPECT_FALSE(exchange.ExportFmtFile(QStringLiteral("建行支票")));
    EXPECT_EQ(Prompts().shown, QStringList{QStringLiteral("导出格式")});
    Prompts().shown.clear();
    EXPECT_FALSE(exchange.ExportFmtFile(QString()));
    EXPECT_TRUE(Prompts().shown.isEmpty());
    // With a chooser the chosen name is exported; an empty choice ends silently.
    exchange.SetFormatChooser([] { return QString(); });
    EXPECT_FALSE(exchange.ExportFmtFile(QString()));
    EXPECT_TRUE(Prompts().shown.isEmpty());
    exchange.SetFormatChooser([] { return QStringLiteral("建行支票"); });
    Prompts().QueueFile(Work(QStringLiteral("chosen")));
    EXPECT_TRUE(exchange.ExportFmtFile(QString()));
    EXPECT_TRUE(QFileInfo::exists(Work(QStringLiteral("chosen.zhq"))));
}

TEST_F(FormatExchangeTest, ExportAsksBeforeReplacingAFile)
{
    Row box;
    box.lbl = QStringLiteral("日期");
    AddRow(QStringLiteral("工资单"), box);
    const QString path = Work(QStringLiteral("旧.zhq"));
    WriteBytes(path, "old");

    Prompts().QueueFile(path);
    Prompts().QueueAsk(false);
    EXPECT_FALSE(Exchange().ExportFmtFile(QStringLiteral("工资单")));
    EXPECT_EQ(Prompts().shown, (QStringList{QStringLiteral("导出格式"), QStringLiteral("文件：“") + path +
                                                                              QStringLiteral("”已经存在，是否覆盖？")}));
    EXPECT_EQ(ReadBytes(path), QByteArray("old"));

    Prompts().QueueFile(path);
    Prompts().QueueAsk(true);
    EXPECT_TRUE(Exchange().ExportFmtFile(QStringLiteral("工资单")));
    EXPECT_TRUE(ReadBytes(path).startsWith(Gb(kHeader)));
    EXPECT_EQ(Prompts().shown.last(), QStringLiteral("格式：“工资单”导出完成！"));
}

TEST_F(FormatExchangeTest, AFormatWithoutRowsGivesTwoLinesThatImportRejects)
{
    const QString path = Work(QStringLiteral("空.zhq"));
    Prompts().QueueFile(path);
    EXPECT_TRUE(Exchange().ExportFmtFile(QStringLiteral("空")));
    EXPECT_EQ(ReadBytes(path), Gb(QStringLiteral("<Velmora格式专用>\r\n支票_空")));
    EXPECT_FALSE(Exchange().ImportFmtFileAs(path).stored);
    EXPECT_EQ(Prompts().shown.last(), QStringLiteral("无法识别此文件，请确认文件：“") + path + QStringLiteral("”为支票格式文件！"));
}

TEST_F(FormatExchangeTest, RoundTripKeepsEveryColumnAndRenumbersReferences)
{
    const QString source = QStringLiteral("O'Brien's 工资");
    Row whole;
    whole.lbl = kWhole;
    whole.mem = QStringLiteral("True|False|1|0|0|0|1|False|");
    whole.color = QStringLiteral("19200");
    const qint64 wholeId = AddRow(source, whole);
    Row line;
    line.clas = 3;
    line.lbl = QStringLiteral("线条");
    line.cash = QStringLiteral("2");
    line.fSize = QStringLiteral("1.5");
    const qint64 lineId = AddRow(source, line);
    Row label;
    label.clas = 4;
    label.lbl = QStringLiteral("收款人's 印章】★ 与 ★【 不是分隔符");
    label.rctl1 = QStringLiteral("7");
    label.italic = QStringLiteral("TRUE");
    label.strike = QStringLiteral("TRUE");
    const qint64 labelId = AddRow(source, label);
    Row box;
    box.lbl = QStringLiteral("第一行\r\n第二行's");
    box.mem = QStringLiteral("一\r\n二\r\n三 '‖'");
    box.fName = QStringLiteral("楷体'");
    box.x = QStringLiteral("12.345");
    box.l = QStringLiteral("-2001.5");
    box.color = QStringLiteral("16777215");
    box.cash = QStringLiteral("121.08");
    box.rctl = QString::number(lineId);
    box.sumId = QString::number(-labelId);
    box.sumId1 = QStringLiteral("999999"); // points at no row of the file: kept
    const qint64 boxId = AddRow(source, box);
    Row check;
    check.clas = 1;
    check.rctl = QString::number(-boxId);
    check.sumId1 = QString::number(wholeId);
    check.bold = QStringLiteral("TRUE");
    AddRow(source, check);

    const QString path = Work(QStringLiteral("往返.zhq"));
    ASSERT_TRUE(Exchange().ExportFmtFileTo(source, path));
    const QString copy = QStringLiteral("副本's");
    const int before = FmtRows();
    const FormatExchange::ImportResult result = Exchange().ImportFmtFileAs(path, QStringLiteral("  ") + copy + QStringLiteral(" "));
    ASSERT_TRUE(result.stored);
    EXPECT_EQ(result.name, copy);
    EXPECT_FALSE(result.openNow);
    EXPECT_EQ(FmtRows(), before + 5);
    EXPECT_TRUE(Prompts().shown.isEmpty()) << Prompts().shown.join(QLatin1Char('|')).toStdString();

    const auto from = Rows(source);
    const auto to = Rows(copy);
    ASSERT_EQ(to.size(), from.size());
    QHash<QString, QString> newId;
    for (int i = 0; i < from.size(); ++i) newId.insert(from[i][QStringLiteral("ID")], to[i][QStringLiteral("ID")]);
    const auto moved = [&](const QString& ref) {
        const bool negative = ref.startsWith(QLatin1Char('-'));
        const QString target = newId.value(negative ? ref.mid(1) : ref);
        return target.isEmpty() ? ref : (negative ? QStringLiteral("-") : QString()) + target;
    };
    for (int i = 0; i < from.size(); ++i) {
        for (auto it = from[i].cbegin(); it != from[i].cend(); ++it) {
            const QString& column = it.key();
            if (column == QLatin1String("ID")) continue;
            QString expected = it.value();
            if (column == QLatin1String("Fmt")) expected = copy;
            if (column == QLatin1String("RCtl1")) expected = QStringLiteral("0"); // never written
            if (column == QLatin1String("RCtl") || column.startsWith(QLatin1String("SumID"))) expected = moved(expected);
            EXPECT_EQ(to[i][column], expected) << "row " << i << " column " << column.toStdString();
        }
    }
    // Spelled out for the box: its references now point at the new rows, signs kept.
    EXPECT_EQ(to[3][QStringLiteral("RCtl")], to[1][QStringLiteral("ID")]);
    EXPECT_EQ(to[3][QStringLiteral("SumID")], QStringLiteral("-") + to[2][QStringLiteral("ID")]);
    EXPECT_EQ(to[3][QStringLiteral("SumID1")], QStringLiteral("999999"));
    EXPECT_EQ(to[3][QStringLiteral("Mem")], QStringLiteral("一\r\n二\r\n三 '‖'"));
    EXPECT_EQ(to[3][QStringLiteral("LBL")], QStringLiteral("第一行\r\n第二行's"));
    EXPECT_EQ(to[4][QStringLiteral("RCtl")], QStringLiteral("-") + to[3][QStringLiteral("ID")]);
    EXPECT_EQ(to[2][QStringLiteral("RCtl1")], QStringLiteral("0"));
    // The source format is untouched.
    EXPECT_EQ(from[3][QStringLiteral("RCtl")], QString::number(lineId));
}

TEST_F(FormatExchangeTest, ImportUnderTheFileNameAsksWhileTheNameIsTakenAndOffersToOpen)
{
    Row box;
    box.lbl = QStringLiteral("日期");
    AddRow(QStringLiteral("发票A"), box);
    AddRow(QStringLiteral("发票B"), box);
    // The file's own name decides, whatever the name line says; "\" separates folders too.
    const QString path = Work(QStringLiteral("D:\\x\\发票A.zhq"));
    WriteBytes(path, Gb(FileText(QStringLiteral("支票_其他"), {Line(QStringLiteral("17"), QStringLiteral("甲"))})));
    WriteBytes(Work(QStringLiteral("D:\\x\\发票A.jpg")), "picture");
    const int before = FmtRows();

    Prompts().QueueInput(QStringLiteral("  发票B "));
    Prompts().QueueInput(QStringLiteral("  发票C\t"));
    Prompts().QueueAsk(true);
    const FormatExchange::ImportResult result = Exchange().ImportFmtFile(QStringLiteral("  ") + path + QStringLiteral(" "));
    EXPECT_TRUE(result.stored);
    EXPECT_EQ(result.name, QStringLiteral("发票C"));
    EXPECT_TRUE(result.openNow);
    EXPECT_EQ(Prompts().shown, (QStringList{QStringLiteral("格式：“发票A”已存在，请另取格式名！"),
                                            QStringLiteral("格式：“发票B”已存在，请另取格式名！"),
                                            QStringLiteral("格式“发票C”导入成功,立即调用此格式？")}));
    EXPECT_EQ(Prompts().presets, (QStringList{QStringLiteral("发票A"), QStringLiteral("发票B")}));
    EXPECT_EQ(FmtRows(), before + 2);
    EXPECT_EQ(Rows(QStringLiteral("发票C")).value(0).value(QStringLiteral("LBL")), QStringLiteral("甲"));
    EXPECT_EQ(ReadBytes(BackgroundImages::BackgroundPath(Folder(), QStringLiteral("发票C"))), QByteArray("picture"));
    // The indicator shows only while the format is written, never while a name is asked for,
    // and is closed before the last question.
    EXPECT_EQ(mProgress.calls,
              (QStringList{QStringLiteral("show 正在导入格式... 3"), QStringLiteral("step 1"), QStringLiteral("step 1"),
                           QStringLiteral("close"), QStringLiteral("close")}));

    // Cancelling, or answering blanks, stores nothing.
    Prompts().shown.clear();
    Prompts().QueueInput(QStringLiteral("   "));
    EXPECT_FALSE(Exchange().ImportFmtFile(path).stored);
    EXPECT_FALSE(Exchange().ImportFmtFile(path).stored);
    EXPECT_EQ(Prompts().shown.size(), 2);
    EXPECT_EQ(FmtRows(), before + 2);
    EXPECT_EQ(mProgress.calls.last(), QStringLiteral("close"));

    // Without questions a taken name is told and nothing is stored.
    Prompts().shown.clear();
    EXPECT_FALSE(Exchange().ImportFmtFileAs(path).stored);
    EXPECT_FALSE(Exchange().ImportFmtFileAs(path, QStringLiteral("发票B")).stored);
    EXPECT_EQ(Prompts().shown, (QStringList{QStringLiteral("格式：“发票A”已存在，请另取格式名！"),
                                            QStringLiteral("格式：“发票B”已存在，请另取格式名！")}));
    EXPECT_EQ(FmtRows(), before + 2);
}

TEST_F(FormatExchangeTest, ImportAsksForTheFileWhenGivenNone)
{
    DirRecordingPrompter prompter(mApp.prompter);
    FormatExchange exchange(Folder(), Db(), prompter, mProgress);
    EXPECT_FALSE(exchange.ImportFmtFile(QString()).stored);
    EXPECT_EQ(prompter.filters, QStringList{QStringLiteral("支票格式(*.zhq)")});
    // A chosen file that does not exist ends the import before anything is shown.
    Prompts().QueueFile(Work(QStringLiteral("没有.zhq")));
    EXPECT_FALSE(exchange.ImportFmtFile(QStringLiteral("   ")).stored);
    EXPECT_EQ(Prompts().shown, (QStringList{QStringLiteral("导入格式"), QStringLiteral("导入格式")}));
    EXPECT_TRUE(mProgress.calls.isEmpty());

    const QString path = Work(QStringLiteral("选中.zhq"));
    WriteBytes(path, Gb(FileText(QStringLiteral("支票"), {Line(QStringLiteral("1"), QStringLiteral("甲"))})));
    Prompts().QueueFile(path);
    const FormatExchange::ImportResult result = exchange.ImportFmtFile(QString());
    EXPECT_TRUE(result.stored);
    EXPECT_EQ(result.name, QStringLiteral("选中"));
    EXPECT_FALSE(result.openNow); // the question was answered No
}

TEST_F(FormatExchangeTest, EveryBadFileIsToldAndStoresNothing)
{
    struct Case {
        const char* file;
        QByteArray bytes;
        QString message; // %1 = the path
    };
    const QString unknown = QStringLiteral("无法识别此文件，请确认文件：“%1”为支票格式文件！");
    const QString good = Line(QStringLiteral("1"), QStringLiteral("甲"));
    QByteArray garbage(10 * 1024 * 1024, '\0');
    QRandomGenerator random(2026);
    for (qsizetype i = 0; i < garbage.size(); i += 4) {
        const quint32 word = random.generate();
        memcpy(garbage.data() + i, &word, 4);
    }
    const std::vector<Case> cases = {
        {"header.zhq", Gb(FileText(QStringLiteral("支票"), {good}).replace(0, 1, QStringLiteral("["))), unknown},
        {"bom.zhq", "\xef\xbb\xbf" + Gb(FileText(QStringLiteral("支票"), {good})), unknown},
        {"utf8.zhq", FileText(QStringLiteral("支票"), {good}).toUtf8(), unknown},
        {"lf.zhq", Gb(FileText(QStringLiteral("支票"), {good}).replace(kCrLf, QStringLiteral("\n"))), unknown},
        {"two.zhq", Gb(kHeader + kCrLf + QStringLiteral("支票")), unknown},
        {"onlyheader.zhq", Gb(kHeader), unknown},
        {"garbage.zhq", garbage, unknown},
        {"name.zhq", Gb(FileText(QStringLiteral("发票"), {good})), QStringLiteral("此格式不属于支票，无法导入！")},
        {"short.zhq", Gb(FileText(QStringLiteral("支票"), {QStringLiteral("1】★【2】★【3")})), QStringLiteral("格式文件有错！")},
        {"empty2.zhq", Gb(FileText(QStringLiteral("支票"), {QString()})), QStringLiteral("格式文件有错！")},
        // Line 2 is never joined to the name line, so a short line 2 stays short.
        {"short2.zhq", Gb(FileText(QStringLiteral("支票"), {QStringLiteral("甲"), good})), QStringLiteral("格式文件有错！")},
        {"empty.zhq", QByteArray(), QStringLiteral("无法打开下载文档：\r\n%1")},
    };
    const int before = FmtRows();
    for (const Case& c : cases) {
        const QString path = Work(QString::fromUtf8(c.file));
        WriteBytes(path, c.bytes);
        Prompts().shown.clear();
        mProgress.calls.clear();
        FormatExchange exchange(Folder(), Db(), mApp.prompter, mProgress);
        const FormatExchange::ImportResult result = exchange.ImportFmtFile(path);
        EXPECT_FALSE(result.stored) << c.file;
        EXPECT_EQ(Prompts().shown, QStringList{QString(c.message).replace(QStringLiteral("%1"), path)}) << c.file;
        // Refused before anything is written: no progress window ever stood over the message.
        EXPECT_EQ(mProgress.calls, QStringList()) << c.file;
        EXPECT_EQ(FmtRows(), before) << c.file;
    }
    const QString missing = Work(QStringLiteral("没有.zhq"));
    Prompts().shown.clear();
    EXPECT_FALSE(Exchange().ImportFmtFile(missing).stored);
    EXPECT_EQ(Prompts().shown, QStringList{QStringLiteral("无法打开下载文档：\r\n") + missing});
    EXPECT_EQ(FmtRows(), before);
}

TEST_F(FormatExchangeTest, BrokenLinesAreRejoinedAndShortLinesReadDefaults)
{
    // An empty last line (the file ends in CR LF) and an unencoded line break inside Mem.
    const QString broken = Line(QStringLiteral("5"), QStringLiteral("乙"), QStringLiteral("0"), QStringLiteral("0"),
                                QStringLiteral("0"), QStringLiteral("上\r\n下"));
    QStringList twentyOne = Line(QStringLiteral("6"), QStringLiteral("丙"), QStringLiteral("-5")).split(kSep);
    twentyOne.removeLast();
    QStringList twentyThree = Line(QStringLiteral("7"), QStringLiteral("丁"), QStringLiteral("0"), QStringLiteral(" -6 ")).split(kSep);
    twentyThree << QStringLiteral(" 42x");
    const QString path = Work(QStringLiteral("修补.zhq"));
    WriteBytes(path, Gb(FileText(QStringLiteral("支票"), {Line(QStringLiteral("4"), QStringLiteral("甲")), broken,
                                                         twentyOne.join(kSep), twentyThree.join(kSep)}) +
                        kCrLf));
    const FormatExchange::ImportResult result = Exchange().ImportFmtFileAs(path);
    ASSERT_TRUE(result.stored);
    const auto rows = Rows(QStringLiteral("修补"));
    ASSERT_EQ(rows.size(), 5);
    EXPECT_EQ(rows[1][QStringLiteral("Mem")], QStringLiteral("上\r\n下"));
    EXPECT_EQ(rows[2][QStringLiteral("SumID1")], QStringLiteral("0"));
    EXPECT_EQ(rows[2][QStringLiteral("RCtl")], QStringLiteral("-") + rows[1][QStringLiteral("ID")]);
    EXPECT_EQ(rows[3][QStringLiteral("SumID")], QStringLiteral("-") + rows[2][QStringLiteral("ID")]);
    // Field 22 is read when a file carries it and stored as read.
    EXPECT_EQ(rows[3][QStringLiteral("RCtl1")], QStringLiteral("42"));
    EXPECT_EQ(rows[0][QStringLiteral("RCtl1")], QStringLiteral("0"));
    EXPECT_EQ(rows[0][QStringLiteral("fBold")], QStringLiteral("1"));
    EXPECT_EQ(rows[0][QStringLiteral("fStrikethru")], QStringLiteral("1"));
    EXPECT_EQ(rows[0][QStringLiteral("fItalic")], QStringLiteral("0"));
    EXPECT_EQ(rows[0][QStringLiteral("Cash")], QStringLiteral("103"));
    EXPECT_EQ(rows[0][QStringLiteral("fSize")], QStringLiteral("10.5"));
}

TEST_F(FormatExchangeTest, NumbersReadAsTheirLeadingNumber)
{
    QStringList fields = Line(QStringLiteral("9"), QStringLiteral("甲")).split(kSep);
    fields[4] = QStringLiteral(" 1 2.5mm"); // blanks ignored
    fields[5] = QStringLiteral("abc");
    fields[6] = QString();
    fields[7] = QStringLiteral("1e999");    // no column holds it
    fields[10] = QStringLiteral("-255");
    fields[13] = QStringLiteral("yes");     // only "true" is true
    fields[20] = QStringLiteral("-17");     // the line with old ID 17 below
    QStringList target = Line(QStringLiteral("17"), QStringLiteral("乙")).split(kSep);
    const QString path = Work(QStringLiteral("数字.zhq"));
    WriteBytes(path, Gb(FileText(QStringLiteral("支票"), {fields.join(kSep), target.join(kSep)})));
    ASSERT_TRUE(Exchange().ImportFmtFileAs(path).stored);
    const auto rows = Rows(QStringLiteral("数字"));
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows[0][QStringLiteral("X")], QStringLiteral("12.5"));
    EXPECT_EQ(rows[0][QStringLiteral("Y")], QStringLiteral("0"));
    EXPECT_EQ(rows[0][QStringLiteral("W")], QStringLiteral("0"));
    EXPECT_EQ(rows[0][QStringLiteral("H")], QStringLiteral("0"));
    EXPECT_EQ(rows[0][QStringLiteral("Color")], QStringLiteral("-255"));
    EXPECT_EQ(rows[0][QStringLiteral("fBold")], QStringLiteral("0"));
    EXPECT_EQ(rows[0][QStringLiteral("SumID")], QStringLiteral("-") + rows[1][QStringLiteral("ID")]);
}

TEST_F(FormatExchangeTest, HostileNamesTravelIntact)
{
    const QString name = QStringLiteral("引'号\"斜/反\\冒:星*问?<小>竖|");
    Row box;
    box.lbl = QStringLiteral("'; DROP TABLE Fmt; --");
    AddRow(name, box);
    Row whole;
    whole.lbl = kWhole;
    AddRow(name, whole);
    const QString background = BackgroundImages::BackgroundPath(Folder(), name);
    EXPECT_EQ(QFileInfo(background).fileName(), QStringLiteral("引'号8斜4反5冒6星0问12小3竖7.jpg"));
    WriteBytes(background, "bg");

    DirRecordingPrompter prompter(mApp.prompter);
    FormatExchange exchange(Folder(), Db(), prompter, mProgress);
    Prompts().QueueFile(Work(QStringLiteral("敌意")));
    ASSERT_TRUE(exchange.ExportFmtFile(name));
    EXPECT_EQ(prompter.dirs, QStringList{background.chopped(4)});
    EXPECT_EQ(Prompts().shown.last(), QStringLiteral("格式：“") + name + QStringLiteral("”导出完成！"));
    EXPECT_EQ(ReadBytes(Work(QStringLiteral("敌意.jpg"))), QByteArray("bg"));

    // Back under a hostile name of its own; the SQL text stays text.
    const QString copy = name + QStringLiteral("'2");
    const FormatExchange::ImportResult result = exchange.ImportFmtFileAs(Work(QStringLiteral("敌意.zhq")), copy);
    ASSERT_TRUE(result.stored);
    EXPECT_EQ(Rows(copy).value(0).value(QStringLiteral("LBL")), QStringLiteral("'; DROP TABLE Fmt; --"));
    EXPECT_EQ(ReadBytes(BackgroundImages::BackgroundPath(Folder(), copy)), QByteArray("bg"));

    // A file whose base name holds what a file name on this system can hold.
    const QString fileName = QStringLiteral("a'b\"c:d*e?f<g>h|i");
    const QString path = Work(fileName + QStringLiteral(".zhq"));
    ASSERT_TRUE(QFile::copy(Work(QStringLiteral("敌意.zhq")), path));
    ASSERT_TRUE(exchange.ImportFmtFileAs(path).stored);
    EXPECT_EQ(Rows(fileName).size(), 2); // the box and the whole-format row
}

TEST_F(FormatExchangeTest, TextsThatCannotTravelAreRefusedNotWrittenWrong)
{
    struct Case {
        const char* name;
        QString column;
        QString value;
    };
    const std::vector<Case> cases = {
        {"甲", QStringLiteral("LBL"), QStringLiteral("左】★【右")},
        {"乙", QStringLiteral("Mem"), QStringLiteral("左】★【右")},
        {"丙", QStringLiteral("fName"), QStringLiteral("宋】★【体")},
        {"丁", QStringLiteral("LBL"), QStringLiteral("本来就有‖‖‖")},
        {"戊", QStringLiteral("Mem"), QStringLiteral("本来就有♂♂")},
        {"己", QStringLiteral("LBL"), QStringLiteral("‖\r\n")}, // would read back as CR LF + "‖"
        {"庚", QStringLiteral("fName"), QStringLiteral("宋体\r\n") + QStringList(21, QStringLiteral("x")).join(kSep)},
    };
    for (const Case& c : cases) {
        const QString name = QString::fromUtf8(c.name);
        Row row;
        if (c.column == QLatin1String("LBL")) row.lbl = c.value;
        if (c.column == QLatin1String("Mem")) row.mem = c.value;
        if (c.column == QLatin1String("fName")) row.fName = c.value;
        AddRow(name, row);
        Prompts().shown.clear();
        const QString path = Work(name + QStringLiteral(".zhq"));
        EXPECT_FALSE(Exchange().ExportFmtFileTo(name, path)) << c.name;
        EXPECT_EQ(Prompts().shown, QStringList{QStringLiteral("格式：“") + name +
                                               QStringLiteral("”中有文字含有格式文件的分隔符“】★【”“‖‖‖”“♂♂”或换行，无法导出！")})
            << c.name;
        EXPECT_FALSE(QFileInfo::exists(path)) << c.name;
    }
    // A name that breaks the name line is refused too.
    Row row;
    AddRow(QStringLiteral("两\r\n行"), row);
    EXPECT_FALSE(Exchange().ExportFmtFileTo(QStringLiteral("两\r\n行"), Work(QStringLiteral("两行.zhq"))));
    EXPECT_FALSE(QFileInfo::exists(Work(QStringLiteral("两行.zhq"))));
}

TEST_F(FormatExchangeTest, AFailedWriteIsToldAndNotCalledDone)
{
    Row box;
    box.lbl = QStringLiteral("日期");
    AddRow(QStringLiteral("工资单"), box);
    const QString blocker = Work(QStringLiteral("是文件"));
    WriteBytes(blocker, "x");
    const QString path = blocker + QStringLiteral("/工资单.zhq");

    Prompts().QueueFile(blocker + QStringLiteral("/工资单"));
    EXPECT_FALSE(Exchange().ExportFmtFile(QStringLiteral("工资单")));
    EXPECT_EQ(Prompts().shown, (QStringList{QStringLiteral("导出格式"), QStringLiteral("文件写入失败：") + path}));
    Prompts().shown.clear();
    EXPECT_FALSE(Exchange().ExportFmtFileTo(QStringLiteral("工资单"), QStringLiteral("/proc/kestrio-无此处/工资单")));
    EXPECT_EQ(Prompts().shown, QStringList{QStringLiteral("文件写入失败：/proc/kestrio-无此处/工资单.zhq")});

    // The image beside cannot be written: told as well, and the export is not reported done.
    WriteBytes(BackgroundImages::BackgroundPath(Folder(), QStringLiteral("工资单")), "bg");
    ASSERT_TRUE(QDir().mkpath(Work(QStringLiteral("图.jpg"))));
    Prompts().shown.clear();
    Prompts().QueueFile(Work(QStringLiteral("图")));
    EXPECT_FALSE(Exchange().ExportFmtFile(QStringLiteral("工资单")));
    EXPECT_EQ(Prompts().shown,
              (QStringList{QStringLiteral("导出格式"), QStringLiteral("文件写入失败：") + Work(QStringLiteral("图.jpg"))}));
}

TEST_F(FormatExchangeTest, AFailureHalfWayLeavesNoHalfFormat)
{
    ASSERT_TRUE(mApp.app->Db().ExecuteNative(
        QStringLiteral("CREATE TRIGGER kx_test_boom BEFORE INSERT ON Fmt WHEN NEW.LBL='炸' "
                       "BEGIN SELECT RAISE(ABORT,'炸了'); END")));
    const QString path = Work(QStringLiteral("半途.zhq"));
    WriteBytes(path, Gb(FileText(QStringLiteral("支票"), {Line(QStringLiteral("1"), QStringLiteral("甲")),
                                                         Line(QStringLiteral("2"), QStringLiteral("乙")),
                                                         Line(QStringLiteral("3"), QStringLiteral("炸"))})));
    const int before = FmtRows();
    EXPECT_FALSE(Exchange().ImportFmtFile(path).stored);
    EXPECT_EQ(FmtRows(), before);
    ASSERT_EQ(Prompts().shown.size(), 1);
    EXPECT_TRUE(Prompts().shown[0].startsWith(QStringLiteral("格式：“半途”导入失败！\r\n"))) << Prompts().shown[0].toStdString();
    EXPECT_TRUE(Prompts().shown[0].contains(QStringLiteral("炸了")));
    EXPECT_EQ(mProgress.calls.last(), QStringLiteral("close"));
}

TEST_F(FormatExchangeTest, NoDatabaseMeansNothingStored)
{
    const QString path = Work(QStringLiteral("x'y.zhq"));
    WriteBytes(path, Gb(FileText(QStringLiteral("支票"), {Line(QStringLiteral("1"), QStringLiteral("甲"))})));
    mApp.app->Db().Close();
    EXPECT_FALSE(Exchange().ImportFmtFile(path).stored);
    EXPECT_EQ(Prompts().shown, QStringList{QStringLiteral("数据库打开错误(SELECT * FROM Fmt WHERE Fmt='x''y')！")});
    ASSERT_TRUE(Db().OpenDatabase());
    EXPECT_TRUE(Rows(QStringLiteral("x'y")).isEmpty());
}

// ---- whole-file text ----

TEST(TextFileIOTest, WritesGb18030AtomicallyAndTellsFailure)
{
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath(QStringLiteral("文.txt"));
    WriteBytes(path, "old contents that are longer");
    ASSERT_TRUE(TextFileIO::WriteTextFile(QStringLiteral("甲\r\n乙"), path));
    EXPECT_EQ(ReadBytes(path), QByteArray::fromHex("bcd70d0ad2d2"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("文.txt")});

    QString error;
    EXPECT_FALSE(TextFileIO::WriteTextFile(QStringLiteral("x"), path + QStringLiteral("/under-a-file"), &error));
    EXPECT_FALSE(error.isEmpty());
    // A folder in the way is left as it is.
    EXPECT_FALSE(TextFileIO::WriteTextFile(QStringLiteral("x"), dir.path()));
    EXPECT_TRUE(QFileInfo(dir.path()).isDir());
    EXPECT_EQ(ReadBytes(path), QByteArray::fromHex("bcd70d0ad2d2"));
}

TEST(TextFileIOTest, ReadsWholeFilesAndGivesUpAtOnce)
{
    QTemporaryDir dir;
    ScriptedPrompter prompter;
    TextFileIO files(prompter);
    const QString path = QDir(dir.path()).filePath(QStringLiteral("下载.zhq"));
    WriteBytes(path, QByteArray::fromHex("bcd70d0ad2d2"));
    EXPECT_EQ(files.ReadTextFile(path, false), QStringLiteral("甲\r\n乙"));
    EXPECT_TRUE(QFileInfo::exists(path));
    EXPECT_EQ(files.ReadTextFile(path, true), QStringLiteral("甲\r\n乙"));
    EXPECT_FALSE(QFileInfo::exists(path));
    EXPECT_TRUE(prompter.shown.isEmpty());

    // A missing file is told straight away, an empty one after a short wait, never after
    // minutes of retries.
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(files.ReadTextFile(path, true), QString());
    WriteBytes(path, QByteArray());
    EXPECT_EQ(files.ReadTextFile(path, true), QString());
    EXPECT_LT(timer.elapsed(), 10000);
    EXPECT_TRUE(QFileInfo::exists(path)); // nothing read, nothing deleted
    EXPECT_EQ(prompter.shown, (QStringList{QStringLiteral("无法打开下载文档：\r\n") + path,
                                           QStringLiteral("无法打开下载文档：\r\n") + path}));
}

} // namespace
} // namespace kestrio

namespace kestrio {
namespace {

// A progress window that knows whether it is open, and a prompter that notes every text
// shown while it is.
struct WatchedProgress final : Progress {
    void ShowProgress(const QString&, int, int) override { open = true; }
    void StepProgress(int, const QString&) override {}
    void CloseProgress() override { open = false; }
    bool open = false;
};

struct CoverWatchingPrompter final : Prompter {
    explicit CoverWatchingPrompter(const WatchedProgress& progress) : mProgress(progress) {}
    void Message(const QString& text, Icon icon, const QString& title) override
    {
        Note(text);
        answers.Message(text, icon, title);
    }
    bool Ask(const QString& text, const QString& title) override { return Note(text), answers.Ask(text, title); }
    std::optional<QString> Input(const QString& prompt, const QString& preset, const QString& title) override
    {
        return Note(prompt), answers.Input(prompt, preset, title);
    }
    QString OpenFile(const QString& title, const QString& filter, const QString& dir) override
    {
        return answers.OpenFile(title, filter, dir);
    }
    QString SaveFile(const QString& title, const QString& filter, const QString& dir) override
    {
        return answers.SaveFile(title, filter, dir);
    }
    void Note(const QString& text)
    {
        if (mProgress.open) covered << text;
    }

    ScriptedPrompter answers;
    QStringList covered;

private:
    const WatchedProgress& mProgress;
};

TEST(FormatExchangeProgress, NoQuestionOrMessageIsShownUnderTheProgressWindow)
{
    test::TestApp app;
    ASSERT_TRUE(app.Open());
    const QString zhq = QDir(app.dir.path()).filePath(QStringLiteral("送货单.zhq"));
    ASSERT_TRUE(FormatExchange(app.app->Paths().Folder(), app.app->DbOp(), app.prompter, app.progress)
                    .ExportFmtFileTo(QStringLiteral("送货单"), zhq));
    WatchedProgress progress;
    CoverWatchingPrompter prompter(progress);
    FormatExchange exchange(app.app->Paths().Folder(), app.app->DbOp(), prompter, progress);
    // The name is taken: asked for another, then asked whether to open it.
    prompter.answers.QueueInput(QStringLiteral("送货单二"));
    prompter.answers.QueueAsk(true);
    ASSERT_TRUE(exchange.ImportFmtFile(QStringLiteral("  ") + zhq).stored);
    EXPECT_EQ(prompter.answers.shown.size(), 2) << prompter.answers.shown.join(u'|').toStdString();
    EXPECT_EQ(prompter.covered, QStringList());
    // A broken file is told, and not under the window either.
    QFile broken(zhq);
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("not a format");
    broken.close();
    EXPECT_FALSE(exchange.ImportFmtFile(zhq).stored);
    EXPECT_EQ(prompter.covered, QStringList());
}

} // namespace
} // namespace kestrio
