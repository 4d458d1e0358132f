#pragma once

#include <QAbstractHttpServer>
#include <QHostAddress>
#include <QString>

#include <functional>

namespace kestrio {

// A read-only catalogue server over a folder of exchange files: every `.zhq` in the folder
// or in one of its sub-folders (the sub-folder names the category) with the `.jpg` of the
// same base name beside it. It answers
//   /tkd/fmt.asp                  the catalogue ("Clas|Name|fPath|pPath|Dat" records)
//   /velmorasoft/downpage/Pro.asp the product page with the version in version.txt
//   /<path of a .zhq or .jpg>     the file itself
// and nothing else: no path outside the folder, no other kind of file, no listing.
class CatalogueServer final : public QAbstractHttpServer {
    Q_OBJECT

public:
    static QString VersionFileName() { return QStringLiteral("version.txt"); }
    // The category of exchange files lying in the folder itself.
    static QString TopCategory() { return QStringLiteral("其他"); }

    explicit CatalogueServer(QString folder, QObject* parent = nullptr);

    // Each answered request as "<path> <status>", for the command's output.
    void SetLog(std::function<void(const QString&)> log) { mLog = std::move(log); }

    // The catalogue as served: one record per exchange file, then the marker.
    static QByteArray CatalogueText(const QString& folder);
    // The product page; empty when the folder holds no version.
    static QByteArray ProductPage(const QString& folder);
    // The served file for a decoded request path; empty for anything not to be served.
    static QString FileForPath(const QString& folder, const QString& requestPath);

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override;
    void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override;

private:
    void Answer(const QHttpServerRequest& request, QTcpSocket* socket, const QByteArray& body,
                const QByteArray& mimeType, int status);

    QString mFolder;
    std::function<void(const QString&)> mLog;
};

} // namespace kestrio
