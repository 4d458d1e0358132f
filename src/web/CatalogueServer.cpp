#include "CatalogueServer.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QUrlQuery>

namespace kestrio {

namespace {

using Status = QHttpServerResponder::StatusCode;

// A name that would break a record: the field and record separators, the text's own line
// break code and the cut of the client's clean-up.
bool FitsRecord(const QString& text)
{
    for (const QChar c : text)
        if (c.category() == QChar::Other_Control) return false;
    return !text.contains(QLatin1Char('|')) && !text.contains(QStringLiteral("<br>"), Qt::CaseInsensitive) &&
           !text.contains(QStringLiteral("<+>"));
}

// The server path of a file: "/" and the path inside the folder, with the characters that
// would end a URL's path escaped.
QString ServerPath(const QString& relative)
{
    QString path = QLatin1Char('/') + relative;
    path.replace(QLatin1Char('%'), QStringLiteral("%25"));
    path.replace(QLatin1Char('#'), QStringLiteral("%23"));
    path.replace(QLatin1Char('?'), QStringLiteral("%3F"));
    return path;
}

QString Record(const QDir& root, const QFileInfo& file, const QString& category)
{
    const QString relative = root.relativeFilePath(file.absoluteFilePath());
    const QString picture = file.path() + QLatin1Char('/') + file.completeBaseName() + QStringLiteral(".jpg");
    const QString picturePath =
        QFileInfo::exists(picture) ? ServerPath(root.relativeFilePath(picture)) : QString();
    return QStringList{category, file.completeBaseName(), ServerPath(relative), picturePath,
                       file.lastModified().date().toString(Qt::ISODate)}
        .join(QLatin1Char('|'));
}

QString ReadVersion(const QString& folder)
{
    QFile file(QDir(folder).filePath(CatalogueServer::VersionFileName()));
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.readLine(200)).trimmed();
}

} // namespace

CatalogueServer::CatalogueServer(QString folder, QObject* parent) : QAbstractHttpServer(parent), mFolder(std::move(folder))
{
}

QByteArray CatalogueServer::CatalogueText(const QString& folder)
{
    const QDir root(folder);
    QStringList records;
    const QStringList filters{QStringLiteral("*.zhq"), QStringLiteral("*.ZHQ")};
    // Only what the server would hand out is listed.
    auto listable = [&](const QFileInfo& file) {
        return FitsRecord(file.completeBaseName()) &&
               !FileForPath(folder, root.relativeFilePath(file.absoluteFilePath())).isEmpty();
    };
    for (const QFileInfo& file : root.entryInfoList(filters, QDir::Files, QDir::Name))
        if (listable(file)) records << Record(root, file, TopCategory());
    for (const QFileInfo& sub : root.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        if (!FitsRecord(sub.fileName())) continue;
        for (const QFileInfo& file : QDir(sub.filePath()).entryInfoList(filters, QDir::Files, QDir::Name))
            if (listable(file)) records << Record(root, file, sub.fileName());
    }
    records << QStringLiteral("Finished");
    return records.join(QStringLiteral("<br>")).toUtf8();
}

QByteArray CatalogueServer::ProductPage(const QString& folder)
{
    const QString version = ReadVersion(folder);
    if (version.isEmpty()) return {};
    return (QStringLiteral("<html><head><meta charset=\"utf-8\"><title>Kestrio支票打印 (") + version +
            QStringLiteral("版)</title></head>\n<body><h1>产品概要</h1><p>最新版本：") + version +
            QStringLiteral("</p></body></html>\n"))
        .toUtf8();
}

QString CatalogueServer::FileForPath(const QString& folder, const QString& requestPath)
{
    const QStringList segments = requestPath.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString& segment : segments)
        if (segment == QLatin1String(".") || segment == QLatin1String("..") || segment.contains(QLatin1Char('\\')))
            return {};
    const QString root = QDir(folder).canonicalPath();
    const QFileInfo file(QDir(root).filePath(segments.join(QLatin1Char('/'))));
    const QString canonical = file.canonicalFilePath();
    const QString suffix = file.suffix().toLower();
    // Links are followed only as far as the folder goes.
    if (root.isEmpty() || canonical.isEmpty() || !canonical.startsWith(root + QLatin1Char('/')) ||
        !QFileInfo(canonical).isFile() || (suffix != QLatin1String("zhq") && suffix != QLatin1String("jpg")))
        return {};
    return canonical;
}

bool CatalogueServer::handleRequest(const QHttpServerRequest& request, QTcpSocket* socket)
{
    if (request.method() != QHttpServerRequest::Method::Get) {
        Answer(request, socket, QByteArrayLiteral("只提供读取。\n"), QByteArrayLiteral("text/plain; charset=utf-8"),
               static_cast<int>(Status::MethodNotAllowed));
        return true;
    }
    const QString path = request.url().path(QUrl::FullyDecoded);
    const QByteArray text = QByteArrayLiteral("text/plain; charset=utf-8");
    if (path.compare(QLatin1String("/tkd/fmt.asp"), Qt::CaseInsensitive) == 0) {
        Answer(request, socket, CatalogueText(mFolder), text, 200);
        return true;
    }
    if (path.compare(QLatin1String("/velmorasoft/downpage/Pro.asp"), Qt::CaseInsensitive) == 0) {
        const QByteArray page = request.query().queryItemValue(QStringLiteral("ID")) == QLatin1String("1")
                                    ? ProductPage(mFolder)
                                    : QByteArray();
        if (page.isEmpty()) return false;
        Answer(request, socket, page, QByteArrayLiteral("text/html; charset=utf-8"), 200);
        return true;
    }
    const QString served = FileForPath(mFolder, path);
    if (served.isEmpty()) return false;
    QFile file(served);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const bool picture = served.endsWith(QLatin1String(".jpg"), Qt::CaseInsensitive);
    Answer(request, socket, file.readAll(),
           picture ? QByteArrayLiteral("image/jpeg") : QByteArrayLiteral("application/octet-stream"), 200);
    return true;
}

void CatalogueServer::missingHandler(const QHttpServerRequest& request, QTcpSocket* socket)
{
    Answer(request, socket, QByteArrayLiteral("没有这个文件。\n"), QByteArrayLiteral("text/plain; charset=utf-8"),
           static_cast<int>(Status::NotFound));
}

void CatalogueServer::Answer(const QHttpServerRequest& request, QTcpSocket* socket, const QByteArray& body,
                             const QByteArray& mimeType, int status)
{
    makeResponder(request, socket).write(body, mimeType, static_cast<Status>(status));
    if (mLog)
        mLog(request.url().path(QUrl::FullyDecoded) + QLatin1Char(' ') + QString::number(status));
}

} // namespace kestrio
