#include "Workspace.h"

#include "convert/Decimal.h"

#include <QStringList>
#include <cmath>

namespace kestrio {

double Workspace::Width() const
{
    return Decimal::FromLeadingNumber(widthText).ToDouble();
}

double Workspace::Height() const
{
    return Decimal::FromLeadingNumber(heightText).ToDouble();
}

QString Workspace::OptionString() const
{
    const auto tick = [](bool on) { return on ? QStringLiteral("True") : QStringLiteral("False"); };
    QStringList fields{tick(setPaper), tick(backgroundPrint)};
    for (int value : options) fields << QString::number(value);
    fields << tick(printRulers);
    return fields.join(QLatin1Char('|')) + QLatin1Char('|');
}

bool Workspace::ApplyOptionString(const QString& text)
{
    const QStringList fields = text.split(QLatin1Char('|'));
    if (text.isEmpty() || fields.size() < 8) return false;
    setPaper = fields[0].toLower() == QLatin1String("true");
    backgroundPrint = fields[1].toLower() == QLatin1String("true");
    for (int i = 0; i < 5; ++i)
        options[i] = static_cast<int>(std::nearbyint(Decimal::FromLeadingNumber(fields[i + 2]).ToDouble()));
    printRulers = fields[7].toLower() == QLatin1String("true");
    return true;
}

QString Workspace::BoxText(int row) const
{
    return mContents.value(table.Id(row));
}

void Workspace::SetBoxText(int row, const QString& text)
{
    if (table.IsDataRow(row)) mContents.insert(table.Id(row), text);
}

QString Workspace::GetBoxContent(int row) const
{
    switch (table.KindOf(row)) {
    case ElementTable::TextBox:
    case ElementTable::PictureBox:
        return BoxText(row);
    case ElementTable::CheckBox:
        return BoxText(row).isEmpty() ? QString() : QStringLiteral("1");
    default:
        return {};
    }
}

void Workspace::SetBoxContent(int row, const QString& text)
{
    if (!table.IsDataRow(row)) return;
    switch (table.KindOf(row)) {
    case ElementTable::TextBox: {
        QString shown = text;
        if (!lineBreakMarker.isEmpty()) shown.replace(lineBreakMarker, QStringLiteral("\r\n"));
        SetBoxText(row, shown);
        break;
    }
    case ElementTable::CheckBox:
        SetBoxText(row, text.trimmed().isEmpty() ? QString() : QStringLiteral("1"));
        break;
    case ElementTable::PictureBox:
        SetBoxText(row, text);
        break;
    default:
        break;
    }
}

void Workspace::RenameContent(qint64 oldId, qint64 newId)
{
    if (oldId == newId || !mContents.contains(oldId)) return;
    mContents.insert(newId, mContents.take(oldId));
}

} // namespace kestrio
