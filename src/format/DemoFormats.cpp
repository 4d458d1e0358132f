#include "DemoFormats.h"

#include "images/BackgroundImages.h"
#include "storage/DbOperate.h"
#include "storage/Recordset.h"
#include "storage/SqlQuote.h"
#include "storage/Transaction.h"

#include <QFileInfo>
#include <QHash>

#include <algorithm>

namespace kestrio {

namespace {

QString WholeFormatLabel()
{
    return QStringLiteral("【§单据整体格式参数§】");
}

QString BoxFont()
{
    return QStringLiteral("宋体");
}

// Text prints as wide, against the page, as it shows on a canvas filling the screen the
// format was made for (the frame leaves 340 twips of the screen's width to the window's
// edges): a character of n points is n × 20 twips wide there. The spacing of capital digits
// over a printed place run is chosen for that width, so that every digit lands in its slot;
// the clerk tunes it in the designer for a much wider screen.
double PrintedCharMm(double fontSize, double pageWidthMm)
{
    return fontSize * 20 * pageWidthMm / (DemoFormats::kScreenTwips - 340);
}

} // namespace

QStringList DemoFormats::Names()
{
    return {QStringLiteral("转账支票"), QStringLiteral("现金支票"), QStringLiteral("进账单"), QStringLiteral("送货单")};
}

// Automatic paper on (the paper takes the form's size, so nothing falls off the page),
// background printing off, no rulers, not turned, not locked, guides not closing in,
// background shown, ruler coordinates not printed.
QString DemoFormats::OptionString()
{
    // "自动设置纸张" on: the demo bills print on paper of their own size.
    return QStringLiteral("True|False|0|0|0|0|1|False|");
}

bool DemoFormats::Install(DbOperate& db, const QString& applicationFolder, QString* error)
{
    QVector<Form> written;
    {
        Transaction transaction(db.Db());
        for (const Form& form : Forms()) {
            if (AlreadyThere(db, form.name)) continue;
            if (!WriteForm(db, form, error)) return false;
            written << form;
        }
        if (!RememberCheque(db, error)) return false;
        if (!transaction.Commit()) {
            if (error) *error = QStringLiteral("无法保存示例格式");
            return false;
        }
    }
    return WriteBackgrounds(written, applicationFolder, error);
}

QVector<DemoFormats::Form> DemoFormats::Forms()
{
    return {Cheque(false), Cheque(true), DepositSlip(), DeliveryNote()};
}

// ---- the forms ----------------------------------------------------------------------------

// Both cheques: capital date on the body, the amount in words, in the eleven printed cells
// and on the stub kept equal by one ring, payee and purpose copied to the stub, and the
// drawer's account bringing back the paying bank it was last used with.
DemoFormats::Form DemoFormats::Cheque(bool cash)
{
    const DemoBackgrounds paper(cash ? DemoBackgrounds::Form::CashCheque : DemoBackgrounds::Form::TransferCheque);
    auto blank = [&](const char16_t* name) { return paper.Blank(QString::fromUtf16(name)); };
    Form form{cash ? QStringLiteral("现金支票") : QStringLiteral("转账支票"),
              cash ? DemoBackgrounds::Form::CashCheque : DemoBackgrounds::Form::TransferCheque,
              {},
              {}};
    QVector<Box>& boxes = form.boxes;
    boxes << Text(QStringLiteral("出票年"), Inside(blank(u"出票年")), 100)
          // Three capital figures (壹拾贰) must fit the narrow month and day blanks.
          << Text(QStringLiteral("出票月"), Inside(blank(u"出票月")), 101, 10.5)
          << Text(QStringLiteral("出票日"), Inside(blank(u"出票日")), 102, 10.5);
    for (Box& date : boxes) date.alignment = 2;
    boxes << Text(QStringLiteral("付款行名称"), Inside(blank(u"付款行名称")))
          << Text(QStringLiteral("出票人账号"), Inside(blank(u"出票人账号")))
          << Text(QStringLiteral("收款人"), Inside(blank(u"收款人")))
          << Text(QStringLiteral("大写金额"), Inside(blank(u"大写金额"), 6), 103)
          << Cells(QStringLiteral("小写金额"), blank(u"小写金额"), 11)
          << Text(QStringLiteral("用途"), Inside(blank(u"用途")))
          << Text(QStringLiteral("密码"), Inside(blank(u"密码")))
          << Text(QStringLiteral("存根出票日期"), Inside(blank(u"存根出票日期")), 110, 10.5)
          << Text(QStringLiteral("存根收款人"), Inside(blank(u"存根收款人")), 0, 10.5)
          << Text(QStringLiteral("存根金额"), Inside(blank(u"存根金额")), 104, 10.5)
          << Text(QStringLiteral("存根用途"), Inside(blank(u"存根用途")), 0, 10.5);
    Ring(form, Link::SameContent, {QStringLiteral("大写金额"), QStringLiteral("小写金额"), QStringLiteral("存根金额")});
    Ring(form, Link::SameContent, {QStringLiteral("收款人"), QStringLiteral("存根收款人")});
    Ring(form, Link::SameContent, {QStringLiteral("用途"), QStringLiteral("存根用途")});
    Ring(form, Link::Related, {QStringLiteral("出票人账号"), QStringLiteral("付款行名称")});
    return form;
}

// The deposit slip: Arabic date parts, the two parties' name, account and bank each in a
// related-content ring (type a known name, get its account and bank), the amount in words and
// in cells, and the kind of instrument as three check boxes of which one is ticked.
DemoFormats::Form DemoFormats::DepositSlip()
{
    const DemoBackgrounds paper(DemoBackgrounds::Form::DepositSlip);
    auto blank = [&](const QString& name) { return paper.Blank(name); };
    Form form{QStringLiteral("进账单"), DemoBackgrounds::Form::DepositSlip, {}, {}};
    QVector<Box>& boxes = form.boxes;
    const QString dates[] = {QStringLiteral("进账年"), QStringLiteral("进账月"), QStringLiteral("进账日")};
    for (int i = 0; i < 3; ++i) {
        boxes << Text(dates[i], Inside(blank(dates[i]), 4.5), 106 + i, 11);
        boxes.last().alignment = 2;
    }
    for (const QString& party : {QStringLiteral("出票人"), QStringLiteral("收款人")}) {
        const QStringList labels{party + QStringLiteral("全称"), party + QStringLiteral("账号"),
                                 party + QStringLiteral("开户银行")};
        for (const QString& label : labels) boxes << Text(label, Inside(blank(label)));
        Ring(form, Link::Related, labels);
    }
    boxes << Text(QStringLiteral("大写金额"), Inside(blank(QStringLiteral("大写金额")), 6), 103)
          << Cells(QStringLiteral("小写金额"), blank(QStringLiteral("小写金额")), 11);
    Ring(form, Link::SameContent, {QStringLiteral("大写金额"), QStringLiteral("小写金额")});
    const QStringList kinds{QStringLiteral("支票"), QStringLiteral("本票"), QStringLiteral("其他")};
    for (const QString& kind : kinds) boxes << Check(kind, blank(QStringLiteral("票据种类_") + kind));
    Ring(form, Link::SameContent, kinds); // check boxes in a ring: ticking one unticks the others
    Box count = Text(QStringLiteral("票据张数"), Inside(blank(QStringLiteral("票据张数"))));
    count.alignment = 2;
    boxes << count << Text(QStringLiteral("票据号码"), Inside(blank(QStringLiteral("票据号码"))));
    form.defaults << qMakePair(QStringLiteral("支票"), QStringLiteral("1"))
                  << qMakePair(QStringLiteral("票据张数"), QStringLiteral("1"));
    return form;
}

// The delivery note: the sender's name and address as fixed labels over a line, a serial
// number, the customer's address and telephone brought back with the customer's name, five
// goods rows whose amount is quantity × unit price, a discount taken off the total, and the
// total in money and in capital digits over the printed place names.
DemoFormats::Form DemoFormats::DeliveryNote()
{
    const DemoBackgrounds paper(DemoBackgrounds::Form::DeliveryNote);
    auto blank = [&](const QString& name) { return paper.Blank(name); };
    Form form{QStringLiteral("送货单"), DemoBackgrounds::Form::DeliveryNote, {}, {}};
    QVector<Box>& boxes = form.boxes;
    boxes << Label(QStringLiteral("××商贸有限公司"), blank(QStringLiteral("公司名称")), 16, true)
          << Line(16, 10.2, 82, 10.2)
          << Label(QStringLiteral("地址：××市××路88号　电话：0000-0000000"), blank(QStringLiteral("公司地址")), 9,
                   false);
    Box number = Text(QStringLiteral("单号"), Inside(blank(QStringLiteral("单号"))), 122);
    number.bold = true;
    number.colour = 0x0000FF; // red, as 0x00BBGGRR
    boxes << number;
    const QStringList customer{QStringLiteral("收货单位"), QStringLiteral("地址"), QStringLiteral("电话")};
    for (const QString& label : customer) boxes << Text(label, Inside(blank(label)), 0, 11);
    Ring(form, Link::Related, customer);
    boxes << Text(QStringLiteral("送货日期"), Inside(blank(QStringLiteral("送货日期"))), 110, 11);
    AddDeliveryRows(paper, form);

    Box discount = Text(QStringLiteral("折让"), Inside(blank(QStringLiteral("折让"))), 105, 11);
    discount.alignment = 1;
    discount.sumId = {Link::SumSubtracted, QStringLiteral("合计")};
    Box total = Text(QStringLiteral("合计"), Inside(blank(QStringLiteral("合计"))), 104, 11);
    total.alignment = 1;
    // Capital digits, one per slot: the slot's free part holds the digit, its end the place name.
    const QRectF run = blank(QStringLiteral("合计大写"));
    const double slot = run.width() / 8;
    const double digit = PrintedCharMm(12, paper.PageSize().width());
    const double margin = (slot - DemoBackgrounds::kPlaceWidthMm - digit) / 2;
    // A little below the run's middle: the digits then stand on the line, as the place names do.
    Box words = Text(QStringLiteral("合计大写"), QRectF(run.left() + margin, run.center().y() - 1.5, run.width(), 5),
                     114.08);
    words.spacing = slot - digit;
    boxes << discount << total << words;
    Ring(form, Link::SameContent, {QStringLiteral("合计"), QStringLiteral("合计大写")});
    boxes << Text(QStringLiteral("备注"), Inside(blank(QStringLiteral("备注"))), 0, 11)
          << Text(QStringLiteral("送货人"), Inside(blank(QStringLiteral("送货人"))), 0, 11);
    Box barcode = Text(QStringLiteral("单号条码"), blank(QStringLiteral("单号条码")), 0, 9);
    barcode.kind = 2;
    boxes << barcode;
    form.defaults << qMakePair(QStringLiteral("单号"), QStringLiteral("00000001"));
    return form;
}

// Row n: 品名_n, 规格_n, 单位_n and 单价_n form a related-content ring, so naming goods that
// were delivered before brings back their model, unit and price (the "_n" makes the
// five rows one family: goods first written in row 2 are found from row 4). 数量_n × 单价_n
// is 金额_n, and every 金额_n adds into 合计.
void DemoFormats::AddDeliveryRows(const DemoBackgrounds& paper, Form& form)
{
    for (int row = 1; row <= 5; ++row) {
        auto label = [row](const char16_t* name) {
            return QString::fromUtf16(name) + QLatin1Char('_') + QString::number(row);
        };
        auto box = [&](const char16_t* name, double code) {
            return Text(label(name), Inside(paper.Blank(label(name))), code, 11);
        };
        Box quantity = box(u"数量", 0);
        Box price = box(u"单价", 117);
        Box amount = box(u"金额", 105);
        quantity.alignment = price.alignment = amount.alignment = 1;
        quantity.sumId = {Link::Product, label(u"金额")};
        price.sumId = {Link::Product, label(u"金额")};
        amount.sumId = {Link::Sum, QStringLiteral("合计")};
        form.boxes << box(u"品名", 0) << box(u"规格", 0) << box(u"单位", 0) << quantity << price << amount;
        Ring(form, Link::Related, {label(u"品名"), label(u"规格"), label(u"单位"), label(u"单价")});
    }
}

// ---- building boxes -----------------------------------------------------------------------

DemoFormats::Box DemoFormats::Text(const QString& label, const QRectF& rect, double code, double fontSize)
{
    Box box;
    box.label = label;
    box.rect = rect;
    box.code = code;
    box.fontSize = fontSize;
    return box;
}

// Amount cells print one character per cell of width W ÷ n, so the box spans the printed
// cells exactly and the digits land in them.
DemoFormats::Box DemoFormats::Cells(const QString& label, const QRectF& blank, double code, double fontSize)
{
    const double height = std::min(6.0, blank.height() - 1);
    return Text(label, QRectF(blank.left(), blank.center().y() - height / 2, blank.width(), height), code, fontSize);
}

// The tick prints from the box's corner in its own size (10 points of the serif face, about
// 2 × 3.5 mm of ink below and right of the corner's glyph margin): the box is placed so that
// the ink fills the printed square.
DemoFormats::Box DemoFormats::Check(const QString& label, const QRectF& square)
{
    Box box = Text(label, QRectF(square.left() + 0.5, square.top() - 0.85, 4, 4.5), 0, 10);
    box.kind = 1;
    return box;
}

DemoFormats::Box DemoFormats::Label(const QString& text, const QRectF& rect, double fontSize, bool bold)
{
    Box box = Text(text, rect, 0, fontSize);
    box.kind = 4;
    box.bold = bold;
    return box;
}

// A line keeps its two end points where other boxes keep position and size: the rectangle's
// width and height are the end point, as the Fmt row stores them. One pixel wide, solid.
DemoFormats::Box DemoFormats::Line(double x1, double y1, double x2, double y2)
{
    Box box = Text(QStringLiteral("线条"), QRectF(x1, y1, x2, y2), 1, 1);
    box.kind = 3;
    return box;
}

// A box of the given height centred in a blank, a little in from its ends.
QRectF DemoFormats::Inside(const QRectF& blank, double height)
{
    const double h = std::min(height, blank.height() - 0.6);
    return {blank.left() + 0.8, blank.center().y() - h / 2, blank.width() - 1.6, h};
}

// Each box links to the next and the last back to the first, in RCtl or, when RCtl already
// holds a link, in RCtl1.
void DemoFormats::Ring(Form& form, Link link, const QStringList& labels)
{
    for (qsizetype i = 0; i < labels.size(); ++i) {
        auto box = std::find_if(form.boxes.begin(), form.boxes.end(),
                                [&](const Box& b) { return b.label == labels[i]; });
        if (box == form.boxes.end()) continue;
        Ref& slot = box->rctl.link == Link::None ? box->rctl : box->rctl1;
        slot = {link, labels[(i + 1) % labels.size()]};
    }
}

// ---- writing ------------------------------------------------------------------------------

bool DemoFormats::AlreadyThere(DbOperate& db, const QString& name)
{
    const Recordset rows = db.Db().Query(QStringLiteral("SELECT TOP 1 ID FROM Fmt WHERE Fmt=") + SqlQuote(name));
    return rows.IsOpen() && !rows.Eof();
}

// The boxes first, each getting its ID as it is stored; then the references, now that every
// ID is known; then the whole-format row and the default contents.
bool DemoFormats::WriteForm(DbOperate& db, const Form& form, QString* error)
{
    QString why;
    Recordset rows = db.Db().Query(QStringLiteral("SELECT * FROM Fmt WHERE Fmt=") + SqlQuote(form.name) +
                                       QStringLiteral(" ORDER BY ID"),
                                   &why);
    if (!rows.IsUpdatable()) {
        if (error) *error = QStringLiteral("无法写入示例格式：") + why;
        return false;
    }
    QHash<QString, qint64> ids;
    for (const Box& box : form.boxes) {
        if (!WriteBox(rows, form.name, box, error)) return false;
        ids.insert(box.label, rows.Value(QStringLiteral("ID")).toLongLong());
    }
    return WriteReferences(rows, form, ids, error) && WriteWholeFormat(rows, form, error) &&
           WriteDefaults(db, form, ids, error);
}

bool DemoFormats::WriteBox(Recordset& rows, const QString& name, const Box& box, QString* error)
{
    rows.AddNew();
    SetColumns(rows, name, box);
    return Store(rows, name, error);
}

// Every column of the row, as saving a format writes it; references come later.
void DemoFormats::SetColumns(Recordset& rows, const QString& name, const Box& box)
{
    rows.SetValue(QStringLiteral("Fmt"), name);
    rows.SetValue(QStringLiteral("LBL"), box.label);
    rows.SetValue(QStringLiteral("Dir"), 1);
    rows.SetValue(QStringLiteral("X"), box.rect.x());
    rows.SetValue(QStringLiteral("Y"), box.rect.y());
    rows.SetValue(QStringLiteral("W"), box.rect.width());
    rows.SetValue(QStringLiteral("H"), box.rect.height());
    rows.SetValue(QStringLiteral("S"), box.spacing);
    rows.SetValue(QStringLiteral("L"), box.alignment * 1000 + box.lineSpacing);
    rows.SetValue(QStringLiteral("Color"), box.colour);
    rows.SetValue(QStringLiteral("fName"), BoxFont());
    rows.SetValue(QStringLiteral("fSize"), box.fontSize);
    rows.SetValue(QStringLiteral("fBold"), box.bold);
    rows.SetValue(QStringLiteral("fItalic"), false);
    rows.SetValue(QStringLiteral("fUnderline"), false);
    rows.SetValue(QStringLiteral("fStrikethru"), false);
    rows.SetValue(QStringLiteral("Clas"), box.kind);
    rows.SetValue(QStringLiteral("Cash"), box.code);
    for (const char16_t* column : {u"RCtl", u"RCtl1", u"SumID", u"SumID1"})
        rows.SetValue(QString::fromUtf16(column), 0);
    rows.SetValue(QStringLiteral("Mem"), QString());
}

bool DemoFormats::Store(Recordset& rows, const QString& name, QString* error)
{
    QString why;
    if (rows.Update(&why)) return true;
    if (error) *error = QStringLiteral("无法写入示例格式“") + name + QStringLiteral("”：") + why;
    return false;
}

// The rows of the result are the boxes, in the order they were added.
bool DemoFormats::WriteReferences(Recordset& rows, const Form& form, const QHash<QString, qint64>& ids, QString* error)
{
    rows.MoveFirst();
    for (const Box& box : form.boxes) {
        if (rows.Eof()) break;
        rows.SetValue(QStringLiteral("RCtl"), Reference(box.rctl, ids));
        rows.SetValue(QStringLiteral("RCtl1"), Reference(box.rctl1, ids));
        rows.SetValue(QStringLiteral("SumID"), Reference(box.sumId, ids));
        rows.SetValue(QStringLiteral("SumID1"), Reference(box.sumId1, ids));
        if (!Store(rows, form.name, error)) return false;
        rows.MoveNext();
    }
    return true;
}

// Same-content links and sums name the other box's ID, related-content links and products
// its negation; a member subtracted from a sum adds a half to the result's ID.
double DemoFormats::Reference(const Ref& ref, const QHash<QString, qint64>& ids)
{
    const double id = static_cast<double>(ids.value(ref.key));
    switch (ref.link) {
    case Link::None: return 0;
    case Link::SameContent:
    case Link::Sum: return id;
    case Link::SumSubtracted: return id + 0.5;
    case Link::Related:
    case Link::Product: return -id;
    }
    return 0;
}

// No print offsets (X and Y hold 10 minus the offset), the page size, the screen the font
// sizes were chosen on, and the options.
bool DemoFormats::WriteWholeFormat(Recordset& rows, const Form& form, QString* error)
{
    const QSizeF page = DemoBackgrounds(form.paper).PageSize();
    rows.AddNew();
    SetColumns(rows, form.name, Text(WholeFormatLabel(), QRectF(10, 10, page.width(), page.height()), 0, 0));
    rows.SetValue(QStringLiteral("Dir"), 0);
    rows.SetValue(QStringLiteral("fName"), QString());
    rows.SetValue(QStringLiteral("Color"), kScreenTwips);
    rows.SetValue(QStringLiteral("Mem"), OptionString());
    return Store(rows, form.name, error);
}

bool DemoFormats::WriteDefaults(DbOperate& db, const Form& form, const QHash<QString, qint64>& ids, QString* error)
{
    for (const auto& [label, content] : form.defaults) {
        QString why;
        const QString sql = QStringLiteral("INSERT INTO 默认(ID,Fmt,Con) VALUES(") + QString::number(ids.value(label)) +
                            QLatin1Char(',') + SqlQuote(form.name) + QLatin1Char(',') + SqlQuote(content) +
                            QLatin1Char(')');
        if (!db.Db().Execute(sql, &why)) {
            if (error) *error = QStringLiteral("无法写入示例格式的默认内容：") + why;
            return false;
        }
    }
    return true;
}

// A new user opens on the transfer cheque, with rulers, orientation and lock off.
bool DemoFormats::RememberCheque(DbOperate& db, QString* error)
{
    const Recordset last = db.Db().Query(QStringLiteral("SELECT LBL FROM Fmt WHERE Fmt=''"));
    if (!last.IsOpen() || last.Eof() || !last.Text(QStringLiteral("LBL")).isEmpty()) return true;
    QString why;
    if (db.Db().Execute(QStringLiteral("UPDATE Fmt SET LBL='转账支票',fName='0§☆§0§☆§0' WHERE Fmt=''"), &why))
        return true;
    if (error) *error = QStringLiteral("无法记住示例格式：") + why;
    return false;
}

// A background already there (a scan the user kept from an earlier installation) stays.
bool DemoFormats::WriteBackgrounds(const QVector<Form>& forms, const QString& applicationFolder, QString* error)
{
    bool ok = true;
    for (const Form& form : forms) {
        const QString path = BackgroundImages::BackgroundPath(applicationFolder, form.name);
        if (QFileInfo::exists(path)) continue;
        QString why;
        if (DemoBackgrounds(form.paper).Write(path, &why)) continue;
        if (error && ok) *error = why;
        ok = false;
    }
    return ok;
}

} // namespace kestrio
