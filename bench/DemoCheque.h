#pragma once
// Bill number `i` of the demo 转账支票 typed into its boxes as a clerk types them: payee
// (short enough for the stub, so no bill stops at the overflow question), amount (its
// capitals and the stub follow when the box is left), purpose, bank and account.
#include "entry/DataEntry.h"
#include "format/ElementTable.h"
#include "format/Workspace.h"

#include <QString>

namespace kestrio {

inline void TypeDemoCheque(Workspace& ws, DataEntry& entry, int i)
{
    auto set = [&](const QString& label, const QString& value) {
        for (int row = ElementTable::kFirstRow; row < ws.table.RowCount(); ++row) {
            if (ws.table.KindOf(row) != ElementTable::TextBox || ws.table.Text(row, ElementTable::ColLbl) != label)
                continue;
            ws.SetBoxContent(row, value);
            entry.LeaveBox(ws, row);
            return;
        }
    };
    set(QStringLiteral("收款人"), QStringLiteral("长城贸易公司第%1分公司").arg(i + 1));
    const QString fen = QStringLiteral("%1").arg(i % 100, 2, 10, QLatin1Char('0'));
    set(QStringLiteral("小写金额"), QString::number(1000 + 37 * i) + QLatin1Char('.') + fen);
    set(QStringLiteral("用途"), QStringLiteral("货款"));
    set(QStringLiteral("付款行名称"), QStringLiteral("中国工商银行北京分行"));
    set(QStringLiteral("出票人账号"), QStringLiteral("0200001234567890123"));
}

} // namespace kestrio
