// The Debian package of this build (scripts/package), unpacked into a scratch root the way
// dpkg would install it, and the program started from there.
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>

namespace {

struct Outcome {
    int code = -1;
    QString out;
    QString err;
};

Outcome RunProgram(const QString& program, const QStringList& arguments, const QStringList& environment = {})
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString& variable : environment)
        env.insert(variable.section(QLatin1Char('='), 0, 0), variable.section(QLatin1Char('='), 1));
    process.setProcessEnvironment(env);
    process.start(program, arguments);
    if (!process.waitForFinished(60000)) return {-1, {}, program + QStringLiteral(" did not finish")};
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
}

const QString kAppId = QStringLiteral(KESTRIO_APP_ID);
const QString kMimeType = QStringLiteral("application/x-kestrio-format");

// The package made from the current program; empty when there is none or it is older.
QString CurrentPackage()
{
    const QDir build(QStringLiteral(KESTRIO_BUILD_DIR));
    const QFileInfoList debs = build.entryInfoList({QStringLiteral("kestrio_*.deb")}, QDir::Files, QDir::Time);
    if (debs.isEmpty()) return {};
    const QFileInfo program(build.filePath(QStringLiteral("kestrio")));
    return debs.first().lastModified() >= program.lastModified() ? debs.first().absoluteFilePath() : QString();
}

class Package : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        sDeb = CurrentPackage();
        if (sDeb.isEmpty()) return;
        sRoot = std::make_unique<QTemporaryDir>();
        sUnpacked = RunProgram(QStringLiteral("dpkg"), {QStringLiteral("-x"), sDeb, sRoot->path()});
    }
    static void TearDownTestSuite() { sRoot.reset(); }

    void SetUp() override
    {
        if (sDeb.isEmpty()) {
            if (!qEnvironmentVariableIsEmpty("KESTRIO_PACKAGE_REQUIRED"))
                FAIL() << "no package of the current build in " KESTRIO_BUILD_DIR;
            GTEST_SKIP() << "no package of the current build: run scripts/package";
        }
        ASSERT_EQ(sUnpacked.code, 0) << sUnpacked.err.toStdString();
    }

    static QString Installed(const QString& path) { return QDir(sRoot->path()).filePath(path); }

    static inline QString sDeb;
    static inline std::unique_ptr<QTemporaryDir> sRoot;
    static inline Outcome sUnpacked;
};

TEST_F(Package, PutsEveryFileWhereTheDesktopLooks)
{
    const QStringList files = {
        QStringLiteral("usr/share/applications/") + kAppId + QStringLiteral(".desktop"),
        QStringLiteral("usr/share/metainfo/") + kAppId + QStringLiteral(".metainfo.xml"),
        QStringLiteral("usr/share/mime/packages/kestrio.xml"),
        QStringLiteral("usr/share/icons/hicolor/scalable/apps/kestrio.svg"),
        QStringLiteral("usr/share/man/man1/kestrio.1.gz"),
        QStringLiteral("usr/share/kestrio/doc/user-guide.md"),
        QStringLiteral("usr/share/kestrio/doc/images/main-window.png"),
    };
    for (const QString& file : files) EXPECT_GT(QFileInfo(Installed(file)).size(), 0) << file.toStdString();
    EXPECT_TRUE(QFileInfo(Installed(QStringLiteral("usr/bin/kestrio"))).isExecutable());

    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString icon = QStringLiteral("usr/share/icons/hicolor/%1x%1/apps/kestrio.png").arg(size);
        const QImage image(Installed(icon));
        EXPECT_EQ(image.size(), QSize(size, size)) << icon.toStdString();
    }
}

TEST_F(Package, TheUnpackedProgramRunsOnItsOwnData)
{
    QTemporaryDir data;
    const Outcome unpacked = RunProgram(Installed(QStringLiteral("usr/bin/kestrio")),
                                 {QStringLiteral("--data-dir"), data.path(), QStringLiteral("formats")});
    ASSERT_EQ(unpacked.code, 0) << unpacked.err.toStdString();
    QTemporaryDir reference;
    const Outcome built = RunProgram(QStringLiteral(KESTRIO_BUILD_DIR "/kestrio"),
                              {QStringLiteral("--data-dir"), reference.path(), QStringLiteral("formats")});
    EXPECT_EQ(unpacked.out, built.out);
    EXPECT_TRUE(unpacked.out.split(QLatin1Char('\n')).contains(QStringLiteral("转账支票"))) << unpacked.out.toStdString();
    EXPECT_TRUE(QFileInfo::exists(QDir(data.path()).filePath(QStringLiteral("DATA.mdb"))));
}

TEST_F(Package, DesktopEntryAndSoftwareCentreTextPassTheirValidators)
{
    const struct {
        QString program;
        QStringList arguments;
    } checks[] = {
        {QStringLiteral("desktop-file-validate"),
         {Installed(QStringLiteral("usr/share/applications/") + kAppId + QStringLiteral(".desktop"))}},
        {QStringLiteral("appstreamcli"),
         {QStringLiteral("validate"), QStringLiteral("--no-net"), QStringLiteral("--no-color"),
          Installed(QStringLiteral("usr/share/metainfo/") + kAppId + QStringLiteral(".metainfo.xml"))}},
    };
    for (const auto& check : checks) {
        const Outcome run = RunProgram(check.program, check.arguments);
        EXPECT_EQ(run.code, 0) << check.program.toStdString() << '\n' << (run.out + run.err).toStdString();
    }
}

TEST_F(Package, ZhqFilesOpenWithTheProgram)
{
    // The MIME database built from the package alone knows the file type by its ending.
    QTemporaryDir mime;
    ASSERT_TRUE(QDir().mkpath(mime.filePath(QStringLiteral("packages"))));
    ASSERT_TRUE(QFile::copy(Installed(QStringLiteral("usr/share/mime/packages/kestrio.xml")),
                            mime.filePath(QStringLiteral("packages/kestrio.xml"))));
    const Outcome update = RunProgram(QStringLiteral("update-mime-database"), {mime.path()});
    ASSERT_EQ(update.code, 0) << update.err.toStdString();
    QFile globs(mime.filePath(QStringLiteral("globs2")));
    ASSERT_TRUE(globs.open(QIODevice::ReadOnly));
    EXPECT_TRUE(QString::fromUtf8(globs.readAll()).contains(kMimeType + QStringLiteral(":*.zhq")));

    QFile desktop(Installed(QStringLiteral("usr/share/applications/") + kAppId + QStringLiteral(".desktop")));
    ASSERT_TRUE(desktop.open(QIODevice::ReadOnly));
    const QString entry = QString::fromUtf8(desktop.readAll());
    for (const QString& line : {QStringLiteral("MimeType=") + kMimeType + QLatin1Char(';'), QStringLiteral("Exec=kestrio %f"),
                                QStringLiteral("Name[zh_CN]=Kestrio支票打印"), QStringLiteral("Categories=Office;Finance;")})
        EXPECT_TRUE(entry.split(QLatin1Char('\n')).contains(line)) << line.toStdString();
}

TEST_F(Package, DeclaresWhatTheProgramNeeds)
{
    const Outcome depends = RunProgram(QStringLiteral("dpkg-deb"), {QStringLiteral("--field"), sDeb, QStringLiteral("Depends")});
    ASSERT_EQ(depends.code, 0) << depends.err.toStdString();
    // Found by dpkg-shlibdeps in the program, and named by hand.
    for (const char* package : {"libqt6widgets6", "libqt6printsupport6", "libsqlcipher0", "libc6", "fonts-noto-cjk",
                                "qt6-translations-l10n", "qt6-image-formats-plugins"}) {
        const QRegularExpression named(QStringLiteral("(^|, )") + QString::fromLatin1(package) + QStringLiteral("( |,|$)"));
        EXPECT_TRUE(named.match(depends.out.trimmed()).hasMatch()) << package << " in " << depends.out.toStdString();
    }
}

TEST_F(Package, TheManualPageDescribesEveryCommandOfTheHelp)
{
    const Outcome help = RunProgram(QStringLiteral(KESTRIO_BUILD_DIR "/kestrio"), {QStringLiteral("help")});
    ASSERT_EQ(help.code, 0);
    const Outcome page = RunProgram(QStringLiteral("man"),
                             {QStringLiteral("--no-hyphenation"), QStringLiteral("--no-justification"), QStringLiteral("-l"),
                              Installed(QStringLiteral("usr/share/man/man1/kestrio.1.gz"))},
                             {QStringLiteral("MANPAGER=cat"), QStringLiteral("MANWIDTH=400"), QStringLiteral("LC_ALL=C.UTF-8")});
    ASSERT_EQ(page.code, 0) << page.err.toStdString();
    EXPECT_EQ(page.err, QString());
    QString text = page.out;
    text.replace(QChar(0x2212), QLatin1Char('-')).replace(QChar(0x2010), QLatin1Char('-'));
    int commands = 0;
    static const QRegularExpression entry(QStringLiteral("^  (\\S[^：]*)"));
    for (const QString& line : help.out.split(QLatin1Char('\n'))) {
        const auto match = entry.match(line);
        if (!match.hasMatch()) continue;
        ++commands;
        const QString name = match.captured(1).section(QLatin1Char(' '), 0, 0);
        EXPECT_TRUE(text.contains(name)) << name.toStdString();
    }
    EXPECT_GE(commands, 10);
    EXPECT_TRUE(text.contains(QStringLiteral("kestrio [--data-dir 目录] [命令]"))) << text.toStdString();
}

} // namespace
