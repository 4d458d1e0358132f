#pragma once

#include "TestApp.h"
#include "format/FormatStore.h"
#include "format/Workspace.h"
#include "stats/MonthlyStatistics.h"
#include "storage/SqlQuote.h"
#include "storage/Transaction.h"

#include <QMap>

#include <utility>

namespace kestrio::test {

// A format with capital year, month and day boxes, a full-date box, an amount family
// 金额_1…3 of three different data types, a single amount box, a payee and a note, and
// bills written straight into its history.
class StatsFixture {
public:
    static QString Format() { return QStringLiteral("O'Brien统计单"); }

    bool Make()
    {
        if (!app.OpenEmpty()) return false;
        Workspace ws;
        ws.formatName = Format();
        const std::pair<const char*, const char*> boxes[] = {
            {"出票年", "100"},  {"出票月", "101"},  {"出票日", "102"},  {"日期", "110"},    {"金额_1", "103"},
            {"金额_2", "104"},  {"金额_3", "11"},   {"小写金额", "104"}, {"收款人", "0"},   {"备注_0", "0"}};
        for (const auto& [label, code] : boxes) {
            const int row = ws.table.AddElementRow(ElementTable::TextBox);
            ws.table.SetText(row, ElementTable::ColLbl, QString::fromUtf8(label));
            ws.table.SetText(row, ElementTable::ColCash, QString::fromUtf8(code));
        }
        if (!FormatStore(app.app->DbOp(), app.progress, app.screen).SaveFormat(ws)) return false;
        elements = StatBoxes::LoadElements(app.app->DbOp(), Format());
        for (const auto& element : elements) ids.insert(element.label, element.id);
        return true;
    }

    // One bill: box label → content; empty contents are not stored, as with a printed bill.
    void AddBill(const QMap<QString, QString>& contents)
    {
        ++mLastBill;
        for (auto it = contents.begin(); it != contents.end(); ++it) {
            if (it.value().isEmpty()) continue;
            app.app->DbOp().ExecuteSql(QStringLiteral("INSERT INTO 历史(ID,Fmt,CID,Con) VALUES(%1,%2,%3,%4)")
                                           .arg(mLastBill)
                                           .arg(SqlQuote(Format()))
                                           .arg(ids.value(it.key()))
                                           .arg(SqlQuote(it.value())));
        }
    }

    StatBox Box(StatBoxes::Kind kind, const char* label) const
    {
        return StatBoxes::Find(StatBoxes::Build(kind, elements), QString::fromUtf8(label));
    }

    // A year's request by the full-date box; counting unless `amount` names an amount entry.
    StatRequest Request(const char* amount = nullptr) const
    {
        StatRequest request;
        request.format = Format();
        request.from = QDate(2024, 1, 1);
        request.to = QDate(2024, 12, 31);
        request.dateBox = Box(StatBoxes::FullDate, "日期");
        request.sumAmounts = amount != nullptr;
        if (amount) request.amountBox = Box(StatBoxes::Amount, amount);
        return request;
    }

    StatResult Run(const StatRequest& request) { return MonthlyStatistics(app.app->DbOp(), app.progress).Analyse(request); }

    TestApp app;
    QVector<StatBoxes::Element> elements;
    QMap<QString, qint64> ids;

private:
    int mLastBill = 0;
};

} // namespace kestrio::test
