#pragma once

#include "WebText.h"

#include <QDate>
#include <QList>
#include <QString>

#include <chrono>
#include <functional>

namespace kestrio {

class AppContext;
class Grid;

// The web format catalogue: the list of ready-made formats on the catalogue server, kept in
// table 网站格式, the preview pictures and the download of a format into Temp/. The server is
// the parameter "网站地址"; without it nothing here goes to the network.
class WebCatalogue {
public:
    struct Entry {
        QString clas;
        QString name;
        QString fPath; // server path of the .zhq file
        QString pPath; // server path of the .jpg picture
        QDate dat;     // invalid when the catalogue's date could not be read
    };

    // The columns of the catalogue grid (names in row 0, headers in row 1).
    enum Column { ColId, ColFormatPath, ColPicturePath, ColNumber, ColMark, ColClas, ColName, ColDat };

    static QString AddressParameter() { return QStringLiteral("网站地址"); }
    static QString CatalogueMarker() { return QStringLiteral("Finished"); }
    static QString NoAddressMessage();
    static QString InvalidAddressMessage(const QString& typed);

    WebCatalogue(AppContext& app, HttpClient& http);

    // Every request gives up after its deadline, whatever the server does meanwhile; the five
    // tries of the list share one.
    static constexpr std::chrono::milliseconds kListDeadline{30000};
    static constexpr std::chrono::milliseconds kPreviewDeadline{60000};
    static constexpr std::chrono::milliseconds kDownloadDeadline{180000}; // both files of a format
    // One deadline for every kind of request (tests, the command line's --time-limit).
    void SetTimeLimit(std::chrono::milliseconds limit) { mListLimit = mPreviewLimit = mDownloadLimit = limit; }
    // Ends the requests still running; their callers are told "已取消" (a download: nothing).
    void Cancel() { mWeb.CancelAll(); }

    // "http://host:port[/path]" without a trailing "/"; a bare "host:port" gets "http://".
    // Empty when `typed` is not an http or https address with a host.
    static QString NormalizeAddress(const QString& typed);
    // The stored address, normalized; empty when none is set (or it is unusable).
    static QString ServerAddress(AppContext& app);
    static QString CatalogueUrl(const QString& address);
    static QString FileUrl(const QString& address, const QString& serverPath);

    // The records of a cleaned catalogue text: pieces between "<br>", the last piece
    // ignored, pieces of exactly five "|" fields kept.
    static QList<Entry> ParseCatalogue(const QString& text);
    static QDate ReadDate(const QString& text);
    // Replaces the whole table with `entries` in one transaction; false leaves it as it was.
    bool StoreCatalogue(const QList<Entry>& entries);
    // The grid from the table, ordered by category and name.
    void FillCatalogueGrid(Grid& grid);
    static Entry EntryOfRow(const Grid& grid, int row);

    // The local name for a name from the network: the safe-name rule applied; empty when the
    // result cannot name a file of its own (empty, "." or "..", control characters).
    static QString LocalFileName(const QString& networkName);
    // Temp/<picture's file name>, the picture's file name being the part of `pPath` after its
    // last "/"; empty when that gives no usable name.
    QString PreviewPath(const QString& pPath) const;
    // Temp/<safe name>.zhq and .jpg for a download; empty when the name is unusable.
    QString DownloadPath(const QString& name, const QString& suffix) const;

    // Fetches the catalogue (five tries within the deadline) and stores it; on failure the
    // table is untouched.
    void UpdateCatalogue(std::function<void(WebText::TextResult)> done);
    // The picture for a preview: the local copy when there is one, else downloaded. The path
    // when the picture is there, else empty.
    void FetchPreview(const QString& pPath, std::function<void(QString)> done);
    // Both files of a catalogue entry into Temp/ ("正在下载..." with two steps). The path of
    // the .zhq file, or empty after telling the user why there is none (nothing is told when
    // the user cancelled).
    void DownloadFormat(const Entry& entry, std::function<void(QString)> done);

private:
    AppContext& mApp;
    WebText mWeb;
    std::chrono::milliseconds mListLimit = kListDeadline;
    std::chrono::milliseconds mPreviewLimit = kPreviewDeadline;
    std::chrono::milliseconds mDownloadLimit = kDownloadDeadline;
};

} // namespace kestrio
