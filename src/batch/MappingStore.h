#pragma once

#include <QHash>
#include <QString>

namespace kestrio {

class DbOperate;
class UserSettings;

// The mapping of a format as table 映射 keeps it (one row per input box with an expression:
// `ID` of the box, `Fmt`, `Map`) and the three fields of the mapping window, kept per user
// under section "ZarodizIrizi" as "T(0)" start row, "T(1)" end row, "T(2)" records per bill.
class MappingStore {
public:
    explicit MappingStore(DbOperate& db) : mDb(db) {}

    // Expression by element ID.
    QHash<qint64, QString> Load(const QString& format);
    // Replaces the format's mapping in one transaction; empty expressions get no row.
    bool Save(const QString& format, const QHash<qint64, QString>& expressions);

    struct Fields {
        QString start;
        QString end;
        QString perBill;
    };
    static Fields ReadFields(UserSettings& settings);
    // False when any of them could not be stored.
    static bool WriteFields(UserSettings& settings, const Fields& fields);

private:
    DbOperate& mDb;
};

} // namespace kestrio
