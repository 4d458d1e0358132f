#include "MappingStore.h"

#include "seams/UserSettings.h"
#include "storage/DbOperate.h"
#include "storage/SqlQuote.h"
#include "storage/Transaction.h"

#include <algorithm>

namespace kestrio {

namespace {
const QString kApplication = QStringLiteral("RUR_U");
const QString kSection = QStringLiteral("ZarodizIrizi");
} // namespace

QHash<qint64, QString> MappingStore::Load(const QString& format)
{
    QHash<qint64, QString> expressions;
    Recordset rows =
        mDb.OpenQuery(QStringLiteral("SELECT * FROM 映射 WHERE Fmt=") + SqlQuote(format) + QStringLiteral(" ORDER BY ID"));
    for (; !rows.Eof(); rows.MoveNext())
        expressions.insert(rows.Value(QStringLiteral("ID")).toLongLong(), rows.Text(QStringLiteral("Map")));
    return expressions;
}

bool MappingStore::Save(const QString& format, const QHash<qint64, QString>& expressions)
{
    Transaction transaction(mDb.Db());
    if (!mDb.ExecuteSql(QStringLiteral("DELETE * FROM 映射 WHERE Fmt=") + SqlQuote(format))) return false;
    QList<qint64> ids = expressions.keys();
    std::sort(ids.begin(), ids.end());
    Recordset rows = mDb.OpenQuery(QStringLiteral("SELECT * FROM 映射 WHERE FALSE"));
    for (qint64 id : ids) {
        if (expressions[id].trimmed().isEmpty()) continue;
        rows.AddNew();
        rows.SetValue(QStringLiteral("ID"), id);
        rows.SetValue(QStringLiteral("Fmt"), format);
        rows.SetValue(QStringLiteral("Map"), expressions[id]);
        if (!rows.Update()) return false;
    }
    return transaction.Commit();
}

MappingStore::Fields MappingStore::ReadFields(UserSettings& settings)
{
    auto read = [&](const char* name) { return settings.ReadUserSetting(kApplication, kSection, QLatin1String(name), {}); };
    return {read("T(0)"), read("T(1)"), read("T(2)")};
}

bool MappingStore::WriteFields(UserSettings& settings, const Fields& fields)
{
    const bool start = settings.WriteUserSetting(kApplication, kSection, QStringLiteral("T(0)"), fields.start);
    const bool end = settings.WriteUserSetting(kApplication, kSection, QStringLiteral("T(1)"), fields.end);
    return settings.WriteUserSetting(kApplication, kSection, QStringLiteral("T(2)"), fields.perBill) && start && end;
}

} // namespace kestrio
