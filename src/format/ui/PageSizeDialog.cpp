#include "format/ui/PageSizeDialog.h"

#include "format/FormatLibrary.h"
#include "format/Workspace.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace kestrio {

PageSizeDialog::PageSizeDialog(FormatLibrary& library, Workspace& ws, QWidget* parent)
    : QDialog(parent), mLibrary(library), mWs(ws)
{
    setObjectName(QStringLiteral("FormSize"));
    setWindowTitle(QStringLiteral("修改单据尺寸"));
    auto* grid = new QGridLayout(this);
    mTX = new QLineEdit(ws.widthText, this);
    mTX->setObjectName(QStringLiteral("TX"));
    mTY = new QLineEdit(ws.heightText, this);
    mTY->setObjectName(QStringLiteral("TY"));
    grid->addWidget(new QLabel(QStringLiteral("单据宽度："), this), 0, 0);
    grid->addWidget(mTX, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("毫米"), this), 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("单据高度："), this), 1, 0);
    grid->addWidget(mTY, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("毫米"), this), 1, 2);
    auto* buttons = new QHBoxLayout;
    mOk = new QPushButton(QStringLiteral("确定"), this);
    mOk->setObjectName(QStringLiteral("Com_0"));
    mOk->setDefault(true);
    mCancel = new QPushButton(QStringLiteral("取消"), this);
    mCancel->setObjectName(QStringLiteral("Com_1"));
    buttons->addStretch();
    buttons->addWidget(mOk);
    buttons->addWidget(mCancel);
    grid->addLayout(buttons, 2, 0, 1, 3);
    connect(mOk, &QPushButton::clicked, this, &PageSizeDialog::OnOkClicked);
    connect(mCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void PageSizeDialog::OnOkClicked()
{
    // A ratio outside 1:20 … 20:1 (a zero size included) is said and the dialog stays.
    if (mLibrary.ChangePageSize(mWs, mTX->text(), mTY->text())) accept();
}

bool PageSizeDialog::Edit(FormatLibrary& library, Workspace& ws, QWidget* parent)
{
    PageSizeDialog dialog(library, ws, parent);
    return dialog.exec() == QDialog::Accepted;
}

} // namespace kestrio
