// The demo cheque printed through QPrinter to a real CUPS queue (cups-pdf), read back from the
// spooled PDF, must put its ink where `kestrio print --pdf` puts it: measured from the paper's
// edge with "自动设置纸张" on and off, and moved by exactly the print offsets. The test runs a
// cupsd of its own, configured in a temporary folder, and skips where none can start.
#include "GuiApplication.h"
#include "TestApp.h"
#include "print/ui/PrinterDestination.h"
#include "format/FormatStore.h"
#include "format/Workspace.h"
#include "print/BillPrinter.h"
#include "entry/EntryKit.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPageSize>
#include <QPrinter>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <optional>

#include <unistd.h>

namespace kestrio {
namespace {

const QString kQueue = QStringLiteral("KestrioSpool");
const QString kCheque = QStringLiteral("转账支票");
constexpr int kDpi = 300;

int Run(const QString& program, const QStringList& arguments, QString* output = nullptr)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(60000)) return -1;
    if (output) *output = QString::fromUtf8(process.readAll());
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

// A cupsd with its configuration, spool and socket in a temporary folder. Job files are kept,
// so the PDF Qt handed to the spooler can be read back.
class Spooler {
public:
    ~Spooler()
    {
        if (mCupsd.state() == QProcess::NotRunning) return;
        mCupsd.terminate();
        if (!mCupsd.waitForFinished(5000)) mCupsd.kill();
    }

    // Empty when the spooler runs with the queue, else why it could not start.
    QString Start()
    {
        if (::geteuid() != 0) return QStringLiteral("cupsd and the cups-pdf backend need root");
        for (const char* needed : {"/usr/sbin/cupsd", "/usr/sbin/lpadmin", "/usr/bin/lpstat",
                                   "/usr/lib/cups/backend/cups-pdf", "/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd",
                                   "/usr/bin/pdftoppm"})
            if (!QFileInfo::exists(QString::fromLatin1(needed))) return QStringLiteral("missing ") + QString::fromLatin1(needed);
        if (!mDir.isValid()) return QStringLiteral("no temporary folder");
        for (const char* sub : {"spool", "tmp", "cache", "state", "log", "ppd"}) QDir(mDir.path()).mkpath(QString::fromLatin1(sub));
        const QString d = mDir.path();
        Write(QStringLiteral("cupsd.conf"), QStringLiteral("Listen %1/cups.sock\nLogLevel warn\nWebInterface No\n"
                                                          "Browsing No\nDefaultAuthType None\nPreserveJobFiles Yes\n"
                                                          "PreserveJobHistory Yes\nMaxJobs 0\n"
                                                          "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                                                          "<Policy default>\n  <Limit All>\n    Order allow,deny\n"
                                                          "    Allow all\n  </Limit>\n</Policy>\n")
                                                .arg(d));
        Write(QStringLiteral("cups-files.conf"),
              QStringLiteral("ServerRoot %1\nRequestRoot %1/spool\nTempDir %1/tmp\nCacheDir %1/cache\n"
                             "StateDir %1/state\nErrorLog %1/log/error_log\nAccessLog %1/log/access_log\n"
                             "PageLog %1/log/page_log\nSystemGroup root\n")
                  .arg(d));
        // In the foreground, as a child of the test, so that it ends with the test.
        mCupsd.setProcessChannelMode(QProcess::MergedChannels);
        mCupsd.start(QStringLiteral("/usr/sbin/cupsd"), {QStringLiteral("-f"), QStringLiteral("-c"),
                                                        mDir.filePath(QStringLiteral("cupsd.conf")), QStringLiteral("-s"),
                                                        mDir.filePath(QStringLiteral("cups-files.conf"))});
        if (!mCupsd.waitForStarted(10000)) return QStringLiteral("cupsd did not start");
        QString output;
        bool running = false;
        for (int i = 0; i < 100 && !running; ++i) {
            Run(QStringLiteral("lpstat"), {QStringLiteral("-h"), Socket(), QStringLiteral("-r")}, &output);
            running = output.trimmed() == QStringLiteral("scheduler is running");
            if (!running) QThread::msleep(100);
        }
        if (!running) return QStringLiteral("cupsd does not answer: ") + QString::fromUtf8(mCupsd.readAll());
        if (Run(QStringLiteral("lpadmin"), {QStringLiteral("-h"), Socket(), QStringLiteral("-p"), kQueue, QStringLiteral("-E"),
                                            QStringLiteral("-v"), QStringLiteral("cups-pdf:/"), QStringLiteral("-P"),
                                            QStringLiteral("/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd"),
                                            // Jobs are held: the spooled file is all the test reads,
                                            // and the backend writes into nobody's home folder.
                                            QStringLiteral("-o"), QStringLiteral("job-hold-until-default=indefinite")},
                &output) != 0)
            return QStringLiteral("lpadmin failed: ") + output;
        return {};
    }

    QString Socket() const { return mDir.filePath(QStringLiteral("cups.sock")); }

    // The newest job file in the spool.
    QString LastSpooledFile() const
    {
        const QFileInfoList files = QDir(mDir.filePath(QStringLiteral("spool")))
                                        .entryInfoList({QStringLiteral("d*-001")}, QDir::Files, QDir::Name);
        return files.isEmpty() ? QString() : files.last().filePath();
    }

    QString Folder() const { return mDir.path(); }

private:
    void Write(const QString& name, const QString& text)
    {
        QFile file(mDir.filePath(name));
        if (file.open(QIODevice::WriteOnly)) file.write(text.toUtf8());
    }

    QTemporaryDir mDir;
    QProcess mCupsd;
};

// The first page of a PDF at 300 dpi, grey.
QImage Rasterise(const QString& pdf, const QString& folder, const QString& name)
{
    const QString prefix = QDir(folder).filePath(name);
    if (Run(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QString::number(kDpi), QStringLiteral("-gray"),
                                         QStringLiteral("-png"), QStringLiteral("-singlefile"), pdf, prefix}) != 0)
        return {};
    return QImage(prefix + QStringLiteral(".png"));
}

// The top-left corner (mm) of the ink inside a rectangle given in millimetres.
std::optional<QPointF> InkCorner(const QImage& page, const QRectF& mm)
{
    const auto px = [](double v) { return int(v / 25.4 * kDpi); };
    const QRect area = QRect(px(mm.left()), px(mm.top()), px(mm.width()), px(mm.height())).intersected(page.rect());
    int left = INT_MAX;
    int top = INT_MAX;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (qGray(page.pixel(x, y)) < 128) {
                left = std::min(left, x);
                top = std::min(top, y);
            }
    if (left == INT_MAX) return std::nullopt;
    return QPointF(left * 25.4 / kDpi, top * 25.4 / kDpi);
}

class SpoolerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        sSpooler = new Spooler;
        sWhy = sSpooler->Start();
        // Before Qt's CUPS support first asks for printers.
        if (sWhy.isEmpty()) qputenv("CUPS_SERVER", sSpooler->Socket().toLocal8Bit());
        test::EnsureGuiApplication();
    }
    static void TearDownTestSuite()
    {
        delete sSpooler;
        sSpooler = nullptr;
    }

    void SetUp() override
    {
        if (!sWhy.isEmpty()) GTEST_SKIP() << "no print spooler here: " << sWhy.toStdString();
        ASSERT_TRUE(t.Open());
        // No offsets stored: the reference and the spooled prints start from the same place.
        ASSERT_TRUE(t.app->DbOp().ExecuteSql(QStringLiteral("UPDATE Fmt SET X=10, Y=10 WHERE Fmt='转账支票'")));
        FormatStore(t.app->DbOp(), t.progress, t.screen).LoadFormat(ws, kCheque);
        // Typed as on the command line: dates filled, each box left, so the capital follows.
        ws.ClearContents();
        EntryKit kit(*t.app);
        kit.entry.FillDateBoxes(ws);
        for (const auto& [label, value] : kBill) {
            ws.SetBoxContent(Row(label), value);
            kit.entry.LeaveBox(ws, Row(label));
        }
    }

    int Row(const QString& label) const
    {
        for (int row = ElementTable::kFirstRow; row < ws.table.RowCount(); ++row)
            if (ws.table.KindOf(row) == ElementTable::TextBox && ws.table.Text(row, ElementTable::ColLbl) == label)
                return row;
        return -1;
    }

    // The box's rectangle in millimetres, grown by 2 mm on every side.
    QRectF Around(const QString& label) const
    {
        const int row = Row(label);
        const auto n = [&](int col) { return ws.table.Number(row, col); };
        return QRectF(n(ElementTable::ColX) - 2, n(ElementTable::ColY) - 2, n(ElementTable::ColW) + 4,
                      n(ElementTable::ColH) + 4);
    }

    // The same bill from the command line, as a picture of the format's page.
    QImage Reference()
    {
        QTemporaryDir data;
        const QString pdf = data.filePath(QStringLiteral("reference.pdf"));
        QStringList arguments{QStringLiteral("--data-dir"), data.path(), QStringLiteral("sql"),
                              QStringLiteral("UPDATE Fmt SET X=10, Y=10 WHERE Fmt='转账支票'")};
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(KESTRIO_BINARY), arguments);
        EXPECT_TRUE(process.waitForFinished(60000));
        arguments = QStringList{QStringLiteral("--data-dir"), data.path(), QStringLiteral("print"),
                                QStringLiteral("--format"), kCheque, QStringLiteral("--pdf"), pdf};
        for (const auto& [label, value] : kBill) arguments << QStringLiteral("--set") << label + QLatin1Char('=') + value;
        process.start(QStringLiteral(KESTRIO_BINARY), arguments);
        EXPECT_TRUE(process.waitForFinished(60000));
        EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
        return Rasterise(pdf, data.path(), QStringLiteral("reference"));
    }

    // The bill through QPrinter to the queue; the page as the spooler got it.
    QImage Spooled(const QString& name)
    {
        const QString before = sSpooler->LastSpooledFile();
        PrinterDestination destination(t.prompter, t.settings);
        destination.Printer().setPrinterName(kQueue);
        destination.Printer().setPageSize(QPageSize(QPageSize::A3));
        destination.SetDialogRunner([](QPrinter&) { return true; });
        BillPrinter printer(destination, BillPrinter::EnvironmentFor(*t.app, ws, 0), nullptr, t.prompter, t.progress);
        EXPECT_TRUE(printer.PrintBill(ws, true, false)) << t.prompter.shown.join(QLatin1Char('|')).toStdString();
        QString spooled;
        for (int i = 0; i < 50 && (spooled.isEmpty() || spooled == before); ++i) {
            QThread::msleep(100);
            spooled = sSpooler->LastSpooledFile();
        }
        EXPECT_NE(spooled, before) << "nothing reached the spooler";
        return Rasterise(spooled, sSpooler->Folder(), name);
    }

    inline static Spooler* sSpooler = nullptr;
    inline static QString sWhy;
    const QList<QPair<QString, QString>> kBill{{QStringLiteral("收款人"), QStringLiteral("测试公司")},
                                               {QStringLiteral("用途"), QStringLiteral("货款")},
                                               {QStringLiteral("小写金额"), QStringLiteral("1234.5")}};
    test::TestApp t;
    Workspace ws;
};

TEST_F(SpoolerTest, TheSpooledBillLandsWhereThePdfPutsItAndMovesByTheOffsets)
{
    const QImage reference = Reference();
    ASSERT_FALSE(reference.isNull());
    struct Case {
        const char* what;
        bool setPaper;
        double offsetX, offsetY;
    };
    const Case cases[] = {
        {"tick off, on A3", false, 0, 0},
        {"tick on, the cheque's paper", true, 0, 0},
        {"tick on, offsets 2.5 right and 1.5 up", true, 2.5, -1.5},
        {"tick off, offsets 3 right and 2 down", false, 3, 2},
    };
    int n = 0;
    for (const Case& c : cases) {
        ws.setPaper = c.setPaper;
        ws.offsetXText = QString::number(c.offsetX);
        ws.offsetYText = QString::number(c.offsetY);
        const QImage page = Spooled(QStringLiteral("spooled%1").arg(++n));
        ASSERT_FALSE(page.isNull()) << c.what;
        for (const auto& [label, value] : kBill) {
            const std::optional<QPointF> expected = InkCorner(reference, Around(label));
            const std::optional<QPointF> got =
                InkCorner(page, Around(label).translated(c.offsetX, c.offsetY));
            ASSERT_TRUE(expected && got) << c.what << " " << label.toStdString();
            EXPECT_NEAR(got->x() - expected->x(), c.offsetX, 0.3) << c.what << " " << label.toStdString();
            EXPECT_NEAR(got->y() - expected->y(), c.offsetY, 0.3) << c.what << " " << label.toStdString();
        }
    }
}

} // namespace
} // namespace kestrio
