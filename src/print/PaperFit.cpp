#include "PaperFit.h"

#include "format/ElementTable.h"
#include "format/Workspace.h"
#include "print/BillRenderer.h"
#include "print/PrintSurface.h"

#include <QRectF>

namespace kestrio {

namespace {

constexpr double K = PrintSurface::TwipsPerMillimetre;
// Rounding of positions and a line's own width must not count as falling off.
constexpr double ToleranceMm = 0.05;

QString Millimetres(double value)
{
    return QString::number(value, 'f', 1);
}

} // namespace

QList<int> PaperFit::RowsOutside(const Workspace& ws, double offsetXMm, double offsetYMm, const QSizeF& pageMm,
                                 const QMarginsF& unprintableMm)
{
    const BillRenderer::Placement placement(ws, -offsetXMm, -offsetYMm, pageMm.width() * K, pageMm.height() * K);
    const QRectF printable = QRectF(QPointF(0, 0), pageMm).marginsRemoved(unprintableMm);
    const QRectF allowed((printable.left() - ToleranceMm) * K, (printable.top() - ToleranceMm) * K,
                         (printable.width() + 2 * ToleranceMm) * K, (printable.height() + 2 * ToleranceMm) * K);
    QList<int> rows;
    for (int row = ElementTable::kFirstRow; row < ws.table.RowCount(); ++row) {
        const std::optional<QRectF> ink = BillRenderer::InkArea(ws, row, placement);
        if (!ink) continue;
        const bool inside = ink->left() >= allowed.left() && ink->top() >= allowed.top() &&
                            ink->right() <= allowed.right() && ink->bottom() <= allowed.bottom();
        if (!inside) rows << row;
    }
    return rows;
}

QString PaperFit::BoxName(const Workspace& ws, int row)
{
    const QString label = ws.table.Text(row, ElementTable::ColLbl).trimmed();
    if (!label.isEmpty()) return label;
    static const char16_t* const kinds[] = {u"文本框", u"复选框", u"图片框", u"直线", u"标签"};
    const int kind = ws.table.KindOf(row);
    const QString kindName = kind >= 0 && kind <= 4 ? QString::fromUtf16(kinds[kind]) : QStringLiteral("输入框");
    return kindName + QString::number(ws.table.Id(row));
}

QString PaperFit::BoxNames(const Workspace& ws, const QList<int>& rows, int shown)
{
    QStringList names;
    for (int i = 0; i < rows.size() && i < shown; ++i) names << QStringLiteral("“") + BoxName(ws, rows[i]) + QStringLiteral("”");
    QString text = names.join(QStringLiteral("、"));
    if (rows.size() > shown) text += QStringLiteral(" 等%1个").arg(rows.size());
    return text;
}

QString PaperFit::Question(const Workspace& ws, const QList<int>& rows, const QSizeF& pageMm, bool offerPaper)
{
    const QString what = QStringLiteral("单据超出纸张范围，以下内容会打印不全或打不出来：\n%1\n\n"
                                        "打印机纸张 %2×%3 毫米，单据格式 %4×%5 毫米（含打印偏移）。\n")
                             .arg(BoxNames(ws, rows), Millimetres(pageMm.width()), Millimetres(pageMm.height()),
                                  Millimetres(ws.Width()), Millimetres(ws.Height()));
    if (offerPaper)
        return what + QStringLiteral("是否把纸张设为单据格式的大小再打印？选“否”不打印，可以回去修改纸张或偏移。");
    return what + QStringLiteral("仍然打印吗？选“否”不打印，可以回去修改打印偏移。");
}

} // namespace kestrio
