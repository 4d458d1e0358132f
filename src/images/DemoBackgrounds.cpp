#include "DemoBackgrounds.h"

#include "app/OutputFile.h"

#include <QCoreApplication>
#include <QFont>
#include <QGuiApplication>
#include <QImageWriter>
#include <QPainter>
#include <QPainterPath>
#include <QBuffer>

#include <cmath>

namespace kestrio {

namespace {

constexpr double kPi = 3.14159265358979323846;

QString SerifFamily()
{
    return QStringLiteral("Noto Serif CJK SC");
}

QString SansFamily()
{
    return QStringLiteral("Noto Sans CJK SC");
}

// The picture's resolution as a JPEG records it: 8 pixels per millimetre.
constexpr int kDotsPerMetre = 8000;

} // namespace

DemoBackgrounds::DemoBackgrounds(Form form) : mForm(form)
{
    Lay(); // without a painter: records the blanks only
}

bool DemoBackgrounds::CanDrawText()
{
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
}

// Sizes of the paper. A Chinese bank cheque is one sheet of about 240 × 80 mm, the stub on
// the left torn off along a perforation, here at 60 mm; the body carries eleven amount cells
// from 亿 to 分. Deposit slips differ a little from bank to bank; this one is 212 × 102 mm,
// and the page size of the format is changed in the designer for another bank's slip.
// Delivery notes come as continuous stationery 241 mm wide (9½ in, the sprocket strips
// included) in pages of 140 mm (5½ in, half of an 11 in fold).
QSizeF DemoBackgrounds::PageSize() const
{
    switch (mForm) {
    case Form::TransferCheque:
    case Form::CashCheque:
        return {240, 80};
    case Form::DepositSlip:
        return {212, 102};
    case Form::DeliveryNote:
        return {241, 140};
    }
    return {};
}

QSize DemoBackgrounds::PixelSize() const
{
    const QSizeF mm = PageSize();
    return {static_cast<int>(std::lround(mm.width() * kPixelsPerMm)),
            static_cast<int>(std::lround(mm.height() * kPixelsPerMm))};
}

QRectF DemoBackgrounds::Blank(const QString& name) const
{
    return mBlanks.value(name);
}

QImage DemoBackgrounds::Draw()
{
    UseColours();
    QImage image(PixelSize(), QImage::Format_RGB32);
    image.setDotsPerMeterX(kDotsPerMetre);
    image.setDotsPerMeterY(kDotsPerMetre);
    image.fill(mPaper);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.scale(kPixelsPerMm, kPixelsPerMm);
    mPainter = &painter;
    mWithText = CanDrawText();
    Lay();
    mPainter = nullptr;
    painter.end();
    return image;
}

bool DemoBackgrounds::Write(const QString& path, QString* error)
{
    auto fail = [&](const QString& why) {
        if (error) *error = QStringLiteral("无法写入底图 ") + path + QStringLiteral("：") + why;
        return false;
    };
    if (!QImageWriter::supportedImageFormats().contains("jpeg")) return fail(QStringLiteral("没有JPEG编码器"));
    const QImage image = Draw();
    QByteArray bytes;
    QBuffer encoded(&bytes);
    encoded.open(QIODevice::WriteOnly);
    QImageWriter writer(&encoded, "jpeg");
    writer.setQuality(88);
    if (!writer.write(image)) return fail(writer.errorString());
    QString why;
    return OutputFile::WriteWhole(path, bytes, &why) || fail(why);
}

// The transfer cheque in blue-green on a pale green lattice and the cash cheque in red-brown
// on a pale peach one, so that the two are told apart at a glance; the slips in blue on white.
void DemoBackgrounds::UseColours()
{
    mAccent = QColor(200, 36, 36);
    switch (mForm) {
    case Form::TransferCheque:
        mInk = QColor(20, 84, 108);
        mPaper = QColor(236, 245, 240);
        mTint = QColor(192, 224, 210);
        break;
    case Form::CashCheque:
        mInk = QColor(128, 50, 34);
        mPaper = QColor(251, 241, 231);
        mTint = QColor(240, 204, 180);
        break;
    case Form::DepositSlip:
        mInk = QColor(28, 58, 140);
        mPaper = QColor(250, 251, 253);
        mTint = QColor(222, 230, 246);
        break;
    case Form::DeliveryNote:
        mInk = QColor(30, 46, 100);
        mPaper = QColor(254, 254, 250);
        mTint = QColor(226, 229, 240);
        break;
    }
}

void DemoBackgrounds::Lay()
{
    mBlanks.clear();
    UseColours();
    switch (mForm) {
    case Form::TransferCheque: LayCheque(false); break;
    case Form::CashCheque: LayCheque(true); break;
    case Form::DepositSlip: LayDepositSlip(); break;
    case Form::DeliveryNote: LayDeliveryNote(); break;
    }
}

// ---- cheques ------------------------------------------------------------------------------

void DemoBackgrounds::LayCheque(bool cash)
{
    LayChequeStub(cash);
    Perforation(60, 0, 80);
    LayChequeBody(cash);
    Watermark(QPointF(116, 52), 22);
}

void DemoBackgrounds::LayChequeStub(bool cash)
{
    const auto centre = Qt::AlignCenter;
    Frame(QRectF(2.5, 2.5, 55, 75), 0.3);
    Text(QRectF(3, 3.5, 54, 5), QStringLiteral("××银行"), 3.2, centre, true);
    Text(QRectF(3, 8.5, 54, 5.5), cash ? QStringLiteral("现金支票存根") : QStringLiteral("转账支票存根"), 4.0, centre,
         true);
    RedText(QRectF(3, 14.2, 54, 3.6), QStringLiteral("10201120"), 2.6, centre);
    RedText(QRectF(3, 17.9, 54, 3.6), QStringLiteral("02345678"), 2.6, centre);
    Rule(2.5, 22, 57.5, 22);
    Text(QRectF(4, 22.5, 20, 4), QStringLiteral("附加信息"), 2.6);
    Rule(4, 29.5, 56, 29.5, 0.12);
    Rule(4, 34.5, 56, 34.5, 0.12);
    Rule(2.5, 38.5, 57.5, 38.5);
    const QString captions[] = {QStringLiteral("出票日期"), QStringLiteral("收 款 人："),
                                QStringLiteral("金　　额："), QStringLiteral("用　　途：")};
    const QString blanks[] = {QStringLiteral("存根出票日期"), QStringLiteral("存根收款人"),
                              QStringLiteral("存根金额"), QStringLiteral("存根用途")};
    for (int i = 0; i < 4; ++i) {
        const double y = 39.5 + 7 * i;
        Text(QRectF(4, y, 14.5, 6), captions[i], 2.7);
        Underlined(blanks[i], QRectF(18.5, y, 37.5, 6));
    }
    Rule(2.5, 68, 57.5, 68);
    Text(QRectF(4, 69.5, 52, 5), QStringLiteral("单位主管　　　　会计"), 2.8);
}

void DemoBackgrounds::LayChequeBody(bool cash)
{
    const auto centre = Qt::AlignCenter;
    Guilloche(QRectF(61.5, 1.5, 177.5, 77));
    Text(QRectF(65, 3, 45, 7), QStringLiteral("××银行"), 3.8, Qt::AlignLeft | Qt::AlignVCenter, true);
    TitleText(QRectF(110, 1.8, 80, 10), cash ? QStringLiteral("现金支票") : QStringLiteral("转账支票"), 6.0);
    Rule(127, 11.6, 173, 11.6, 0.3);
    Rule(127, 12.3, 173, 12.3, 0.12);
    RedText(QRectF(196, 3, 41, 4), QStringLiteral("10201120"), 2.8, Qt::AlignRight | Qt::AlignVCenter);
    RedText(QRectF(196, 7.2, 41, 4), QStringLiteral("02345678"), 2.8, Qt::AlignRight | Qt::AlignVCenter);
    Microprint(QRectF(63, 12.8, 175, 0.9), QStringLiteral("××银行票据专用"));
    Frame(QRectF(63, 14, 175, 62));

    // Date, paying bank, payee and the drawer's account.
    Text(QRectF(68.5, 14.3, 22, 6.2), QStringLiteral("出票日期（大写）"), 2.8);
    MarkBlank(QStringLiteral("出票年"), QRectF(90.5, 14.3, 15, 6.2));
    Text(QRectF(105.5, 14.3, 4, 6.2), QStringLiteral("年"), 2.8);
    MarkBlank(QStringLiteral("出票月"), QRectF(109.5, 14.3, 10, 6.2));
    Text(QRectF(119.5, 14.3, 4, 6.2), QStringLiteral("月"), 2.8);
    MarkBlank(QStringLiteral("出票日"), QRectF(123.5, 14.3, 10, 6.2));
    Text(QRectF(133.5, 14.3, 4, 6.2), QStringLiteral("日"), 2.8);
    Rule(161, 14, 161, 76);
    Text(QRectF(162.5, 14.3, 19, 6.2), QStringLiteral("付款行名称："), 2.8);
    MarkBlank(QStringLiteral("付款行名称"), QRectF(181.5, 14.3, 56, 6.2));
    Rule(63, 20.5, 238, 20.5);
    Text(QRectF(68.5, 20.8, 12, 6.2), QStringLiteral("收款人："), 2.8);
    MarkBlank(QStringLiteral("收款人"), QRectF(80.5, 20.8, 80, 6.2));
    Text(QRectF(162.5, 20.8, 19, 6.2), QStringLiteral("出票人账号："), 2.8);
    MarkBlank(QStringLiteral("出票人账号"), QRectF(181.5, 20.8, 56, 6.2));
    Rule(63, 27, 238, 27);

    // The amount in words and in the digit cells.
    Rule(67.5, 27, 67.5, 76);
    VerticalText(QRectF(63, 28, 4.5, 47), QStringLiteral("本支票付款期限十天"), 2.6);
    Text(QRectF(68, 28.2, 13, 5), QStringLiteral("人民币"), 2.8, centre);
    Text(QRectF(67.8, 33, 13.6, 5), QStringLiteral("（大写）"), 2.5, centre);
    Rule(81.5, 27, 81.5, 40);
    MarkBlank(QStringLiteral("大写金额"), QRectF(82, 27.5, 78.5, 12));
    DigitGrid(QStringLiteral("小写金额"), QRectF(161, 27, 77, 5), 8, 11);
    Rule(67.5, 40, 238, 40);

    // Purpose, password and the drawer's signature.
    Text(QRectF(68.5, 40.3, 10, 6.4), QStringLiteral("用途"), 2.8);
    MarkBlank(QStringLiteral("用途"), QRectF(78.5, 40.3, 82, 6.4));
    Text(QRectF(162.5, 40.3, 10, 6.4), QStringLiteral("密码"), 2.8);
    MarkBlank(QStringLiteral("密码"), QRectF(172.5, 40.3, 65, 6.4));
    Rule(67.5, 47, 238, 47);
    Text(QRectF(162.5, 47.3, 10, 6.4), QStringLiteral("行号"), 2.8);
    Rule(161, 54, 238, 54);
    Text(QRectF(68.5, 48.5, 50, 5.5), QStringLiteral("上列款项请从"), 2.8);
    Text(QRectF(68.5, 54.5, 50, 5.5), QStringLiteral("我账户内支付"), 2.8);
    Text(QRectF(68.5, 64, 50, 5.5), QStringLiteral("出票人签章"), 2.8);
    Text(QRectF(163, 69.5, 73, 5.5), QStringLiteral("复核　　　　记账"), 2.8);
    Text(QRectF(63, 76.3, 175, 3.2), QStringLiteral("××票据印刷厂印制　　本支票限在同城票据交换区域内使用"), 1.9);
}

// ---- deposit slip -------------------------------------------------------------------------

void DemoBackgrounds::LayDepositSlip()
{
    Text(QRectF(8, 3, 40, 7), QStringLiteral("××银行"), 3.8, Qt::AlignLeft | Qt::AlignVCenter, true);
    TitleText(QRectF(74, 1.5, 46, 10), QStringLiteral("进账单"), 6.0);
    Text(QRectF(119, 3.5, 34, 7), QStringLiteral("（收账通知）"), 3.6);
    Rule(84, 11, 116, 11, 0.3);
    Rule(84, 11.7, 116, 11.7, 0.12);
    RedText(QRectF(190, 2.5, 14, 8), QStringLiteral("3"), 6.0, Qt::AlignCenter);
    MarkBlank(QStringLiteral("进账年"), QRectF(86, 12, 14, 5));
    Text(QRectF(100, 12, 4, 5), QStringLiteral("年"), 2.8);
    MarkBlank(QStringLiteral("进账月"), QRectF(104, 12, 8, 5));
    Text(QRectF(112, 12, 4, 5), QStringLiteral("月"), 2.8);
    MarkBlank(QStringLiteral("进账日"), QRectF(116, 12, 8, 5));
    Text(QRectF(124, 12, 4, 5), QStringLiteral("日"), 2.8);
    Frame(QRectF(8, 17, 196, 70));
    LayDepositParties(8, QStringLiteral("出票人"));
    Rule(106, 17, 106, 41);
    LayDepositParties(106, QStringLiteral("收款人"));
    Rule(8, 41, 204, 41);
    LayDepositLower();
    VerticalText(QRectF(205, 18, 5, 68), QStringLiteral("此联是收款人开户银行交给收款人的收账通知"), 2.3);
    Text(QRectF(8, 88, 196, 4), QStringLiteral("本进账单一式三联：第一联回单，第二联贷方凭证，第三联收账通知。"), 2.2);
    Text(QRectF(8, 92.5, 196, 4), QStringLiteral("××票据印刷厂印制"), 2.0);
    Watermark(QPointF(80, 64), 22);
}

// One party's name, account and bank: a vertical heading, three captions, three blanks.
void DemoBackgrounds::LayDepositParties(double x, const QString& party)
{
    VerticalText(QRectF(x, 18, 6, 22), party, 3.0);
    Rule(x + 6, 17, x + 6, 41);
    Rule(x + 20, 17, x + 20, 41);
    Rule(x + 6, 25, x + 98, 25);
    Rule(x + 6, 33, x + 98, 33);
    const QString captions[] = {QStringLiteral("全　称"), QStringLiteral("账　号"), QStringLiteral("开户银行")};
    const QString blanks[] = {QStringLiteral("全称"), QStringLiteral("账号"), QStringLiteral("开户银行")};
    for (int i = 0; i < 3; ++i) {
        const double y = 17 + 8 * i;
        Text(QRectF(x + 6, y, 14, 8), captions[i], 2.8, Qt::AlignCenter);
        MarkBlank(party + blanks[i], QRectF(x + 20.5, y + 0.3, 77, 7.4));
    }
}

void DemoBackgrounds::LayDepositLower()
{
    const auto centre = Qt::AlignCenter;
    VerticalText(QRectF(8, 42, 10, 12), QStringLiteral("金额"), 3.0);
    Rule(18, 41, 18, 55);
    Text(QRectF(18.5, 42.5, 14, 5), QStringLiteral("人民币"), 2.8, centre);
    Text(QRectF(18, 47.5, 15, 5), QStringLiteral("（大写）"), 2.5, centre);
    Rule(33, 41, 33, 55);
    MarkBlank(QStringLiteral("大写金额"), QRectF(33.5, 41.5, 93, 13));
    DigitGrid(QStringLiteral("小写金额"), QRectF(127, 41, 77, 5.5), 8.5, 11);
    Rule(8, 55, 204, 55);
    Text(QRectF(8, 55, 20, 8), QStringLiteral("票据种类"), 2.8, centre);
    Rule(28, 55, 28, 71);
    CheckSquare(QStringLiteral("票据种类_支票"), 31, 57.25, QStringLiteral("支票"));
    CheckSquare(QStringLiteral("票据种类_本票"), 50, 57.25, QStringLiteral("本票"));
    CheckSquare(QStringLiteral("票据种类_其他"), 69, 57.25, QStringLiteral("其他"));
    Rule(88, 55, 88, 63);
    Text(QRectF(88, 55, 18, 8), QStringLiteral("票据张数"), 2.8, centre);
    Rule(106, 55, 106, 63);
    MarkBlank(QStringLiteral("票据张数"), QRectF(106.5, 55.3, 20, 7.4));
    Rule(127, 55, 127, 87);
    Rule(8, 63, 127, 63);
    Text(QRectF(8, 63, 20, 8), QStringLiteral("票据号码"), 2.8, centre);
    Rule(28, 63, 28, 71);
    MarkBlank(QStringLiteral("票据号码"), QRectF(28.5, 63.3, 98, 7.4));
    Rule(8, 71, 127, 71);
    Text(QRectF(30, 79, 20, 6), QStringLiteral("复核"), 2.8);
    Text(QRectF(80, 79, 20, 6), QStringLiteral("记账"), 2.8);
    Text(QRectF(130, 79, 71, 6), QStringLiteral("收款人开户银行签章"), 2.8, Qt::AlignRight | Qt::AlignVCenter);
}

// ---- delivery note ------------------------------------------------------------------------

void DemoBackgrounds::LayDeliveryNote()
{
    SprocketHoles(6.35);
    SprocketHoles(234.65);
    Perforation(12.7, 0, 140);
    Perforation(228.3, 0, 140);
    LayDeliveryHeader();
    LayDeliveryTable();
    LayDeliveryFooter();
    Watermark(QPointF(130, 56), 26);
}

void DemoBackgrounds::LayDeliveryHeader()
{
    // The sender prints its own name and address here; the paper leaves the corner empty.
    MarkBlank(QStringLiteral("公司名称"), QRectF(16, 3, 66, 6.5));
    MarkBlank(QStringLiteral("公司地址"), QRectF(16, 10.8, 66, 5));
    TitleText(QRectF(88, 2, 65, 10.5), QStringLiteral("送货单"), 6.5);
    Rule(103, 12.8, 138, 12.8, 0.3);
    Rule(103, 13.5, 138, 13.5, 0.12);
    RedText(QRectF(180, 5, 11, 6), QStringLiteral("No."), 3.6, Qt::AlignLeft | Qt::AlignVCenter);
    Underlined(QStringLiteral("单号"), QRectF(191, 5, 35, 6));
    const QString captions[] = {QStringLiteral("收货单位："), QStringLiteral("送货日期："), QStringLiteral("地　　址："),
                                QStringLiteral("电　　话：")};
    const QString blanks[] = {QStringLiteral("收货单位"), QStringLiteral("送货日期"), QStringLiteral("地址"),
                              QStringLiteral("电话")};
    for (int i = 0; i < 4; ++i) {
        const bool right = i % 2 == 1;
        const double x = right ? 148 : 16;
        const double y = i < 2 ? 17 : 24.5;
        Text(QRectF(x, y, 18, 6), captions[i], 3.0);
        Underlined(blanks[i], QRectF(x + 18, y, right ? 60 : 100, 6));
    }
}

void DemoBackgrounds::LayDeliveryTable()
{
    static const double columns[] = {15, 25, 77, 113, 126, 146, 168, 198, 226};
    const QString headers[] = {QStringLiteral("序号"), QStringLiteral("品名"),  QStringLiteral("规格型号"),
                               QStringLiteral("单位"), QStringLiteral("数量"),  QStringLiteral("单价"),
                               QStringLiteral("金额"), QStringLiteral("备注")};
    const QString blanks[] = {QString(), QStringLiteral("品名"), QStringLiteral("规格"), QStringLiteral("单位"),
                              QStringLiteral("数量"), QStringLiteral("单价"), QStringLiteral("金额"), QString()};
    Frame(QRectF(15, 32, 211, 72));
    for (int c = 0; c < 8; ++c) {
        const QRectF header(columns[c], 32, columns[c + 1] - columns[c], 7);
        Text(header, headers[c], 3.0, Qt::AlignCenter, true);
        if (c > 0) Rule(columns[c], 32, columns[c], 79);
    }
    Rule(15, 39, 226, 39, 0.3);
    for (int row = 1; row <= 5; ++row) {
        const double y = 39 + 8 * (row - 1);
        Rule(15, y + 8, 226, y + 8, row == 5 ? 0.3 : 0.15);
        Text(QRectF(15, y, 10, 8), QString::number(row), 2.8, Qt::AlignCenter);
        for (int c = 1; c < 7; ++c) {
            const QRectF cell(columns[c] + 0.5, y + 0.5, columns[c + 1] - columns[c] - 1, 7);
            MarkBlank(blanks[c] + QLatin1Char('_') + QString::number(row), cell);
        }
    }
    // Discount, totals and remarks.
    Rule(126, 79, 126, 87);
    Rule(168, 79, 168, 96);
    Rule(198, 79, 198, 96);
    Text(QRectF(126, 79, 42, 8), QStringLiteral("折　　让"), 2.8, Qt::AlignCenter);
    MarkBlank(QStringLiteral("折让"), QRectF(168.5, 79.5, 29, 7));
    Rule(15, 87, 226, 87);
    Text(QRectF(15, 87, 35, 9), QStringLiteral("合计人民币（大写）"), 2.7, Qt::AlignCenter);
    Rule(50, 87, 50, 96);
    PlaceRun(QStringLiteral("合计大写"), QRectF(52, 87.5, 88, 8), QStringLiteral("拾万仟佰拾元角分"));
    Rule(146, 87, 146, 96);
    Text(QRectF(146, 87, 22, 9), QStringLiteral("小写"), 2.8, Qt::AlignCenter);
    MarkBlank(QStringLiteral("合计"), QRectF(168.5, 87.5, 29, 8));
    Rule(15, 96, 226, 96);
    Text(QRectF(15, 96, 20, 8), QStringLiteral("备　注"), 2.8, Qt::AlignCenter);
    Rule(35, 96, 35, 104);
    MarkBlank(QStringLiteral("备注"), QRectF(35.5, 96.5, 190, 7));
}

void DemoBackgrounds::LayDeliveryFooter()
{
    Text(QRectF(16, 106.5, 34, 6), QStringLiteral("送货单位（盖章）："), 3.0);
    Text(QRectF(92, 106.5, 14, 6), QStringLiteral("送货人："), 3.0);
    Underlined(QStringLiteral("送货人"), QRectF(106, 106.5, 40, 6));
    Text(QRectF(156, 106.5, 22, 6), QStringLiteral("收货人签字："), 3.0);
    Rule(178, 112.5, 226, 112.5, 0.15);
    Text(QRectF(16, 116, 200, 4), QStringLiteral("第一联　存根（白）　　第二联　客户（红）　　第三联　回单（黄）"), 2.5);
    Text(QRectF(16, 120.5, 200, 4),
         QStringLiteral("请当面点清货物的品名、规格和数量，如有异议请于收货后三日内提出，逾期视为无误。"), 2.5);
    MarkBlank(QStringLiteral("单号条码"), QRectF(170, 124, 56, 13));
}

// ---- drawing primitives -------------------------------------------------------------------

// Captions in the form's ink; `flags` are Qt's alignment flags.
void DemoBackgrounds::Text(const QRectF& rect, const QString& text, double heightMm, int flags, bool bold)
{
    Print(rect, text, heightMm, flags, bold, mInk);
}

// The numbers the printer of the paper puts in red: cheque numbers, copy numbers.
void DemoBackgrounds::RedText(const QRectF& rect, const QString& text, double heightMm, int flags)
{
    Print(rect, text, heightMm, flags, true, mAccent);
}

void DemoBackgrounds::Print(const QRectF& rect, const QString& text, double heightMm, int flags, bool bold,
                            const QColor& colour)
{
    if (!mPainter || !mWithText) return;
    mPainter->setPen(colour);
    DrawText(rect, flags, text, MakeFont(SerifFamily(), heightMm, bold, 0));
}

// A font of the given character height and extra spacing in millimetres, for DrawText.
QFont DemoBackgrounds::MakeFont(const QString& family, double heightMm, bool bold, double spacingMm) const
{
    QFont font(family);
    font.setPointSizeF(heightMm * kPixelsPerMm * 72.0 / mPainter->device()->logicalDpiY());
    font.setBold(bold);
    if (spacingMm > 0) font.setLetterSpacing(QFont::AbsoluteSpacing, spacingMm * kPixelsPerMm);
    return font;
}

// Text is laid out in pixels: a font of a point or so scaled up eightfold comes out far too
// heavy.
void DemoBackgrounds::DrawText(const QRectF& rect, int flags, const QString& text, const QFont& font)
{
    mPainter->save();
    mPainter->scale(1 / kPixelsPerMm, 1 / kPixelsPerMm);
    mPainter->setFont(font);
    const QRectF pixels(rect.topLeft() * kPixelsPerMm, rect.size() * kPixelsPerMm);
    mPainter->drawText(pixels, flags | Qt::TextDontClip, text);
    mPainter->restore();
}

// A form's title: bold, its characters spread apart.
void DemoBackgrounds::TitleText(const QRectF& rect, const QString& text, double heightMm)
{
    if (!mPainter || !mWithText) return;
    mPainter->setPen(mInk);
    DrawText(rect, Qt::AlignCenter, text, MakeFont(SerifFamily(), heightMm, true, heightMm * 0.35));
}

// One character under the other, spread evenly over the height of `rect`.
void DemoBackgrounds::VerticalText(const QRectF& rect, const QString& text, double heightMm)
{
    if (text.isEmpty()) return;
    const double pitch = rect.height() / static_cast<double>(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QRectF slot(rect.left(), rect.top() + pitch * static_cast<double>(i), rect.width(), pitch);
        Text(slot, text.mid(i, 1), heightMm, Qt::AlignCenter);
    }
}

void DemoBackgrounds::Rule(double x1, double y1, double x2, double y2, double widthMm)
{
    if (!mPainter) return;
    mPainter->setPen(QPen(mInk, widthMm, Qt::SolidLine, Qt::SquareCap));
    mPainter->drawLine(QPointF(x1, y1), QPointF(x2, y2));
}

void DemoBackgrounds::Frame(const QRectF& rect, double widthMm)
{
    if (!mPainter) return;
    mPainter->setPen(QPen(mInk, widthMm, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    mPainter->setBrush(Qt::NoBrush);
    mPainter->drawRect(rect);
}

void DemoBackgrounds::Underlined(const QString& name, const QRectF& rect)
{
    MarkBlank(name, rect);
    Rule(rect.left(), rect.bottom(), rect.right(), rect.bottom(), 0.15);
}

void DemoBackgrounds::MarkBlank(const QString& name, const QRectF& rect)
{
    mBlanks.insert(name, rect);
}

// The cells of an amount: a row of place names (…万 千 百 十 元 角 分) over a row of empty
// cells, with the line between 元 and 角 in red.
void DemoBackgrounds::DigitGrid(const QString& name, const QRectF& header, double digitsHeight, int cells)
{
    static const QString places = QStringLiteral("千百十亿千百十万千百十元角分");
    const QRectF digits(header.left(), header.bottom(), header.width(), digitsHeight);
    MarkBlank(name, digits);
    const double cell = header.width() / cells;
    const QString names = places.right(cells);
    for (int i = 0; i < cells; ++i) {
        const double x = header.left() + cell * i;
        Text(QRectF(x, header.top(), cell, header.height()), names.mid(i, 1), 2.6, Qt::AlignCenter);
        if (i > 0) Rule(x, header.top(), x, digits.bottom(), 0.2);
    }
    Rule(header.left(), header.bottom(), header.right(), header.bottom(), 0.15);
    Frame(header.united(digits), 0.3);
    if (cells > 2 && mPainter) {
        const double x = header.left() + cell * (cells - 2);
        mPainter->setPen(QPen(mAccent, 0.3));
        mPainter->drawLine(QPointF(x, header.top()), QPointF(x, digits.bottom()));
    }
}

// A capital amount written digit by digit: each place name printed at the end of a slot of
// equal width, the digit going into the free part of the slot before it.
void DemoBackgrounds::PlaceRun(const QString& name, const QRectF& rect, const QString& places)
{
    MarkBlank(name, rect);
    const double slot = rect.width() / static_cast<double>(places.size());
    for (qsizetype i = 0; i < places.size(); ++i) {
        const double x = rect.left() + slot * static_cast<double>(i);
        Text(QRectF(x + slot - kPlaceWidthMm, rect.top(), kPlaceWidthMm, rect.height()), places.mid(i, 1), 3.0,
             Qt::AlignCenter);
        Rule(x + 0.6, rect.bottom() - 1.2, x + slot - kPlaceWidthMm - 0.4, rect.bottom() - 1.2, 0.12);
    }
}

void DemoBackgrounds::CheckSquare(const QString& name, double x, double y, const QString& caption)
{
    const QRectF square(x, y, 3.5, 3.5);
    MarkBlank(name, square);
    Frame(square, 0.2);
    Text(QRectF(x + 4.5, y - 1.25, 12, 6), caption, 2.8);
}

// The fine wavy lattice printed under a cheque's body so that erasures show.
void DemoBackgrounds::Guilloche(const QRectF& area)
{
    if (!mPainter) return;
    mPainter->save();
    mPainter->setClipRect(area);
    mPainter->setPen(QPen(mTint, 0.12));
    const double spacing = 1.6;
    for (int family = 0; family < 2; ++family) {
        const double phase = family * kPi;
        for (double y0 = area.top() - 3; y0 < area.bottom() + 3; y0 += spacing) {
            QPainterPath path;
            for (double x = area.left(); x <= area.right() + 0.5; x += 0.5) {
                const double y = y0 + 1.4 * std::sin(2 * kPi * x / 11.0 + phase + y0 * 0.35);
                if (x == area.left()) path.moveTo(x, y);
                else path.lineTo(x, y);
            }
            mPainter->drawPath(path);
        }
    }
    mPainter->restore();
}

// A band of tiny repeated text that a copier cannot reproduce.
void DemoBackgrounds::Microprint(const QRectF& band, const QString& unit)
{
    if (!mPainter || !mWithText) return;
    mPainter->save();
    mPainter->setClipRect(band);
    mPainter->setPen(mInk);
    const double unitWidth = static_cast<double>(unit.size()) * band.height() * 1.05;
    const int repeats = static_cast<int>(band.width() / unitWidth) + 2;
    DrawText(band, Qt::AlignLeft | Qt::AlignVCenter, unit.repeated(repeats),
             MakeFont(SansFamily(), band.height(), false, 0));
    mPainter->restore();
}

void DemoBackgrounds::Perforation(double x, double top, double bottom)
{
    if (!mPainter) return;
    mPainter->setPen(Qt::NoPen);
    mPainter->setBrush(mInk.lighter(170));
    for (double y = top + 0.8; y < bottom; y += 1.6) mPainter->drawEllipse(QPointF(x, y), 0.28, 0.28);
    mPainter->setBrush(Qt::NoBrush);
}

// The holes of a tractor-fed sheet: 4 mm across, every half inch.
void DemoBackgrounds::SprocketHoles(double x)
{
    if (!mPainter) return;
    mPainter->setPen(QPen(mInk.lighter(150), 0.15));
    mPainter->setBrush(QColor(214, 214, 210));
    for (double y = 6.35; y < PageSize().height(); y += 12.7) mPainter->drawEllipse(QPointF(x, y), 2, 2);
    mPainter->setBrush(Qt::NoBrush);
}

// "样张" across the sheet in red, turned like a hand stamp, in a double frame: this paper is a
// sample, not a bank's form.
void DemoBackgrounds::Watermark(const QPointF& centre, double heightMm)
{
    const QSizeF size(heightMm * 2.9, heightMm * 1.45);
    mWatermark = QRectF(centre.x() - size.width() / 2, centre.y() - size.height() / 2, size.width(), size.height());
    if (!mPainter) return;
    QColor red = mAccent;
    red.setAlpha(120);
    mPainter->save();
    mPainter->translate(centre);
    mPainter->rotate(-18);
    const QRectF frame(-size.width() / 2, -size.height() / 2, size.width(), size.height());
    mPainter->setBrush(Qt::NoBrush);
    mPainter->setPen(QPen(red, heightMm * 0.05));
    mPainter->drawRoundedRect(frame, heightMm * 0.12, heightMm * 0.12);
    mPainter->setPen(QPen(red, heightMm * 0.018));
    const double inset = heightMm * 0.09;
    mPainter->drawRoundedRect(frame.adjusted(inset, inset, -inset, -inset), heightMm * 0.08, heightMm * 0.08);
    if (mWithText) {
        mPainter->setPen(red);
        DrawText(frame, Qt::AlignCenter, QStringLiteral("样张"), MakeFont(SansFamily(), heightMm, true, heightMm * 0.1));
    }
    mPainter->restore();
}

} // namespace kestrio
