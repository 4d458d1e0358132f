#include "MappingDialog.h"

#include "app/AppContext.h"
#include "batch/BatchImport.h"
#include "batch/ColumnLetters.h"
#include "batch/MappingStore.h"
#include "batch/RecordNumbering.h"
#include "batch/SheetReader.h"
#include "format/Workspace.h"
#include "seams/Prompter.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace kestrio {

namespace {

QTableWidgetItem* ReadOnlyItem(const QString& text)
{
    auto* item = new QTableWidgetItem(text);
    item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    return item;
}

} // namespace

QString MappingDialog::Instructions(const QString& marker)
{
    return QStringLiteral("列号填写方法：        来自单列数据，直接填入列号（如：A）；来自多列数据，用逗号隔开（如：D,F）；"
                          "需要插入固定字符,在将插入内容用引号引起来（如A,\"地址：\",E)；需插入换行符，可用“%1”代表换行"
                          "（如：D,“%1”,F）；空着表示不导入。")
        .arg(marker);
}

MappingDialog::MappingDialog(AppContext& app, const Workspace& ws, BatchGrid& grid, const QString& path,
                             const QString& sheet, QWidget* parent)
    : QDialog(parent), mApp(app), mWs(ws), mGrid(grid), mPath(path), mSheet(sheet)
{
    setObjectName(QStringLiteral("InputMap"));
    setWindowTitle(Caption());
    auto* layout = new QVBoxLayout(this);
    auto* instructions = new QLabel(Instructions(ws.lineBreakMarker), this);
    instructions->setWordWrap(true);
    layout->addWidget(instructions);
    auto* middle = new QHBoxLayout;
    mMapping = new QTableWidget(0, 5, this);
    mMapping->setObjectName(QStringLiteral("M1"));
    mMapping->setHorizontalHeaderLabels({QStringLiteral("Index"), QStringLiteral("ID"), QStringLiteral("序号"),
                                         QStringLiteral("输入框内容"), QStringLiteral("对应列号")});
    mMapping->verticalHeader()->hide();
    mMapping->hideColumn(ColIndex);
    mMapping->hideColumn(ColId);
    mMapping->horizontalHeader()->setStretchLastSection(true);
    middle->addWidget(mMapping, 1);
    auto* side = new QVBoxLayout;
    BuildFields();
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("开始行号："), mFields[0]);
    form->addRow(QStringLiteral("截止行号："), mFields[1]);
    form->addRow(QStringLiteral("每张单据记录数："), mFields[2]);
    side->addLayout(form);
    mImport = new QPushButton(QStringLiteral("导入"), this);
    mImport->setObjectName(QStringLiteral("Com_0"));
    auto* close = new QPushButton(QStringLiteral("取消"), this);
    close->setObjectName(QStringLiteral("Com_1"));
    side->addWidget(mImport);
    side->addWidget(close);
    side->addStretch();
    middle->addLayout(side);
    layout->addLayout(middle, 1);
    mPreview = new QTableWidget(this);
    mPreview->setObjectName(QStringLiteral("M0"));
    mPreview->setToolTip(QStringLiteral("要导入表格的部分内容示例。"));
    mPreview->setEditTriggers(QAbstractItemView::NoEditTriggers);
    layout->addWidget(mPreview, 1);
    connect(mImport, &QPushButton::clicked, this, [this] { Import(); });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    FillMapping();
    FillPreview();
    resize(760, 620);
}

void MappingDialog::BuildFields()
{
    const MappingStore::Fields stored = MappingStore::ReadFields(mApp.Settings());
    const QString texts[] = {stored.start.isEmpty() ? QStringLiteral("2") : stored.start, stored.end,
                             stored.perBill.isEmpty() ? QStringLiteral("1") : stored.perBill};
    const QString tips[] = {QStringLiteral("数据导入的开始行号。"), QStringLiteral("数据导入的截止行号。"),
                            QStringLiteral("每张单据占用的记录数。")};
    for (int i = 0; i < 3; ++i) {
        auto* field = new QLineEdit(texts[i], this);
        field->setObjectName(QStringLiteral("T_%1").arg(i));
        field->setToolTip(tips[i]);
        mFields[static_cast<std::size_t>(i)] = field;
    }
    mFields[1]->setPlaceholderText(QStringLiteral("最后一行"));
}

void MappingDialog::FillMapping()
{
    const QHash<qint64, QString> stored = MappingStore(mApp.DbOp()).Load(mWs.formatName);
    for (int kind : {ElementTable::TextBox, ElementTable::CheckBox, ElementTable::PictureBox}) {
        int n = 0;
        for (int row = ElementTable::kFirstRow; row < mWs.table.RowCount(); ++row) {
            if (mWs.table.KindOf(row) != kind) continue;
            const qint64 id = mWs.table.Id(row);
            const int at = mMapping->rowCount();
            mMapping->insertRow(at);
            mMapping->setItem(at, ColIndex, ReadOnlyItem(QString::number(kind * 1000 + n++)));
            mMapping->setItem(at, ColId, ReadOnlyItem(QString::number(id)));
            mMapping->setItem(at, ColNumber, ReadOnlyItem(QString::number(at + 1)));
            mMapping->setItem(at, ColCaption, ReadOnlyItem(mWs.table.Text(row, ElementTable::ColLbl)));
            mMapping->setItem(at, ColExpression, new QTableWidgetItem(stored.value(id)));
        }
    }
    mMapping->resizeColumnToContents(ColNumber);
    mMapping->setColumnWidth(ColCaption, 180);
}

void MappingDialog::FillPreview()
{
    std::unique_ptr<SheetReader> reader = SheetReader::ForPath(mPath);
    SourceRows rows;
    if (!reader) {
        mApp.Prompt().Message(SheetReader::UnsupportedMessage(), Prompter::Icon::Warning);
        return;
    }
    if (!reader->Open(mPath) || !reader->ReadRows(mSheet, kPreviewRows, rows)) {
        mApp.Prompt().Message(reader->Error(), Prompter::Icon::Warning);
        return;
    }
    const int columns = std::min(rows.ColumnCount(), 702);
    mPreview->setRowCount(rows.RowCount());
    mPreview->setColumnCount(columns);
    for (int c = 0; c < columns; ++c)
        mPreview->setHorizontalHeaderItem(c, new QTableWidgetItem(ColumnLetters::FromNumber(c + 1)));
    for (int r = 0; r < rows.RowCount(); ++r)
        for (int c = 0; c < columns; ++c) mPreview->setItem(r, c, new QTableWidgetItem(rows.Cell(r + 1, c + 1)));
}

int MappingDialog::MappingRowOf(qint64 id) const
{
    for (int row = 0; row < mMapping->rowCount(); ++row)
        if (mMapping->item(row, ColId)->text().toLongLong() == id) return row;
    return -1;
}

QHash<qint64, QString> MappingDialog::Expressions() const
{
    QHash<qint64, QString> expressions;
    for (int row = 0; row < mMapping->rowCount(); ++row) {
        const QString expression = mMapping->item(row, ColExpression)->text();
        if (!expression.trimmed().isEmpty()) expressions.insert(mMapping->item(row, ColId)->text().toLongLong(), expression);
    }
    return expressions;
}

bool MappingDialog::Import()
{
    // Texts that are not numbers read as 0: the first row, or the last row for the end.
    const int start = mFields[0]->text().trimmed().toInt();
    const int end = mFields[1]->text().trimmed().toInt();
    const int perBill = mFields[2]->text().trimmed().toInt();
    if (end > 0 && !RecordNumbering(start, end, perBill).WithinLimit()) {
        mApp.Prompt().Message(RecordNumbering::TooManyMessage(), Prompter::Icon::Warning);
        return false;
    }
    const QHash<qint64, QString> expressions = Expressions();
    // The import goes on either way; the user is told that the mapping will not be there next time.
    const bool mapped = MappingStore(mApp.DbOp()).Save(mWs.formatName, expressions);
    const bool fields =
        MappingStore::WriteFields(mApp.Settings(), {mFields[0]->text(), mFields[1]->text(), mFields[2]->text()});
    if (!mapped || !fields)
        mApp.Prompt().Message(QStringLiteral("导入数据映射保存失败！") + (mapped ? QString() : mApp.Db().LastError()),
                              Prompter::Icon::Warning);
    const BatchImport::Outcome outcome =
        BatchImport::Run({mPath, mSheet, expressions, start, end, perBill}, mWs, mGrid, mApp.Indicator());
    if (!outcome.warning.isEmpty()) mApp.Prompt().Message(outcome.warning, Prompter::Icon::Warning);
    if (!outcome.ok) {
        mApp.Prompt().Message(outcome.error, Prompter::Icon::Warning);
        return false;
    }
    accept();
    return true;
}

} // namespace kestrio
