#pragma once

#include "WebText.h"

#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>

namespace kestrio {

class AppContext;

// The check for a newer edition: the product page of the catalogue server carries the newest
// version in its title. Once known, the newest version is remembered for the life of this
// object (the program keeps one for its whole run), so the server is asked once at most.
class UpdateCheck {
public:
    enum class State { NoAddress, Failed, UpToDate, Newer };
    struct Outcome {
        State state = State::Failed;
        QString newest; // the version text read from the page, empty when unknown
        QString reason; // why the version is unknown
    };

    // What the window adds when the user agrees to update.
    struct Hooks {
        // The designer's question about unsaved changes; false keeps the program running.
        std::function<bool()> confirmLeave;
        // Ends the program after the updater has started.
        std::function<void()> quit;
    };

    static constexpr int kProduct = 1;
    static QString PageMarker() { return QStringLiteral("</title>"); }

    // `ownVersion`: this program's version text (the build's version unless a test says).
    UpdateCheck(AppContext& app, HttpClient& http, QString ownVersion = OwnVersionText());

    static QString OwnVersionText();
    // The check gives up after this, all five tries together.
    static constexpr std::chrono::milliseconds kDeadline{30000};
    void SetTimeLimit(std::chrono::milliseconds limit) { mTimeLimit = limit; }
    // Where the updater ("update.exe" or "update") is looked for, and the program's file name
    // handed to it; the running program's by default.
    void SetProgram(const QString& folder, const QString& fileName);

    static QString ProductUrl(const QString& address, int product);
    // The version text with everything but digits and "." removed, as the numbers of its
    // leading "n.n.n": leading zeros and trailing zero parts dropped ("V2.05版" gives 2, 5;
    // "0.1.0" gives 0, 1). Empty when it reads as 0 or holds no number.
    static QStringList VersionParts(const QString& text);
    // Below 0, 0 or above 0 as `a` is older than, the same as or newer than `b`, compared part
    // by part: 0.1.5 > 0.1, 0.10 > 0.9.
    static int CompareVersions(const QString& a, const QString& b);
    // The leading number of the title after its first "(", on a page holding "产品概要";
    // empty otherwise.
    static QString VersionOnPage(const QString& page);

    // Fetches the product page (five tries) unless the newest version is already known.
    void CheckNewEdition(std::function<void(Outcome)> done);
    QString Newest() const { return mNewest; }

    // After a newer version was found: asks "发现新版本（…版），是否现在升级？"; on Yes and
    // after the unsaved-changes question, backs up the database, says so and starts the
    // updater, then ends the program. Without an updater it shows where to get the version
    // and the program carries on. True when the updater was started.
    bool OfferUpdate(const QString& newest, const Hooks& hooks);

    // A copy of the open database made by the engine under the first free name
    // BAK_data000.DAT … BAK_data1000.DAT in the application folder. Its path, or empty with
    // `error` saying why.
    QString BackupDatabase(QString* error);
    QString UpdaterPath() const;

private:
    Outcome Judge(const WebText::TextResult& result);
    State Compare(const QString& newest) const;
    bool StartUpdater(const QString& updater, const QString& newest);

    AppContext& mApp;
    WebText mWeb;
    QString mOwnVersion;
    QString mNewest;
    QString mProgramFolder;
    QString mProgramFile;
    std::chrono::milliseconds mTimeLimit = kDeadline;
};

} // namespace kestrio
