#include "designer/ui/TableGeneratorDialog.h"

#include "seams/Prompter.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

namespace kestrio {

TableGeneratorDialog::TableGeneratorDialog(Prompter& prompter, Generate generate, QWidget* parent)
    : QDialog(parent), mPrompter(prompter), mGenerate(std::move(generate))
{
    setWindowTitle(QStringLiteral("生成表格"));
    setObjectName(QStringLiteral("TableGenerator"));
    static const char* const names[] = {"x0", "y0", "x1", "y1", "rows", "cols"};
    static const char16_t* const presets[] = {u"", u"", u"50", u"50", u"10", u"10"};
    for (std::size_t i = 0; i < mFields.size(); ++i) {
        mFields[i] = new QLineEdit(QString::fromUtf16(presets[i]), this);
        mFields[i]->setObjectName(QString::fromLatin1(names[i]));
    }
    auto* form = new QFormLayout(this);
    auto pair = [this](int a, int b) {
        auto* row = new QHBoxLayout;
        row->addWidget(Field(a));
        row->addWidget(Field(b));
        return row;
    };
    form->addRow(QStringLiteral("左上角坐标(毫米)："), pair(0, 1));
    form->addRow(QStringLiteral("右下角坐标(毫米)："), pair(2, 3));
    form->addRow(QStringLiteral("行数："), Field(4));
    form->addRow(QStringLiteral("列数："), Field(5));
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("确  定"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("OK"));
    buttons->addButton(QStringLiteral("取  消"), QDialogButtonBox::RejectRole)->setObjectName(QStringLiteral("Cancel"));
    connect(ok, &QPushButton::clicked, this, [this] {
        if (Accept()) accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);
}

bool TableGeneratorDialog::Accept()
{
    std::array<double, 4> corners{};
    bool numbers = true;
    for (std::size_t i = 0; i < corners.size(); ++i) {
        bool ok = false;
        corners[i] = Field(static_cast<int>(i))->text().trimmed().toDouble(&ok);
        numbers = numbers && ok;
    }
    bool rowsOk = false, colsOk = false;
    const int rows = Field(4)->text().trimmed().toInt(&rowsOk);
    const int cols = Field(5)->text().trimmed().toInt(&colsOk);
    QString error;
    if (!numbers) error = QStringLiteral("坐标必须是数字！");
    else if (!rowsOk || !colsOk || rows <= 0 || cols <= 0) error = QStringLiteral("行数和列数必须大于0！");
    else error = mGenerate({corners[0], corners[1], corners[2], corners[3], rows, cols});
    if (error.isEmpty()) return true;
    mPrompter.Message(error, Prompter::Icon::Warning);
    return false;
}

} // namespace kestrio
