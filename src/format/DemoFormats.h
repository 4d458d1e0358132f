#pragma once

#include "images/DemoBackgrounds.h"

#include <QHash>
#include <QPair>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <QVector>

namespace kestrio {

class DbOperate;
class Recordset;

// The formats a new installation starts with, so that a first start shows a cheque ready to
// fill in rather than an empty page: 转账支票, 现金支票, 进账单 and 送货单, each with its
// whole-format row and its drawn background (DemoBackgrounds). Their boxes sit on the blanks
// of that paper and use the program's real features: capital amounts and amount cells in one
// same-content ring, capital dates, related-content rings of name, account and bank, check
// boxes that exclude each other, products and sums, a serial number, a label and a line.
class DemoFormats {
public:
    // The whole-format row's screen width in twips at save: the width the font sizes of the
    // boxes were chosen for.
    static constexpr int kScreenTwips = 19200;

    static QStringList Names();
    // The option string of every demo format: only "显示底图" is on.
    static QString OptionString();

    // Writes the formats in one transaction, then their backgrounds, at
    // BackgroundImages::BackgroundPath. A format whose name is already used is left out, an
    // existing background file is kept, and the last-format row names 转账支票 when it named
    // nothing. False with `error` when the rows could not be written (nothing is then left
    // behind) or a background could not be written (the rows stay).
    static bool Install(DbOperate& db, const QString& applicationFolder, QString* error = nullptr);

private:
    enum class Link { None, SameContent, Related, Sum, SumSubtracted, Product };

    struct Ref {
        Link link = Link::None;
        QString key;
    };

    // One input box of a demo format, placed in millimetres; references name other boxes of
    // the same format by their label.
    struct Box {
        QString label;
        int kind = 0;
        QRectF rect;
        double code = 0;
        double fontSize = 12;
        bool bold = false;
        int alignment = 0;
        double lineSpacing = 0;
        double spacing = 0;
        int colour = 0;
        Ref rctl;
        Ref rctl1;
        Ref sumId;
        Ref sumId1;
    };

    struct Form {
        QString name;
        DemoBackgrounds::Form paper;
        QVector<Box> boxes;
        // The default contents a new user finds in the boxes, by label.
        QVector<QPair<QString, QString>> defaults;
    };

    static QVector<Form> Forms();
    static Form Cheque(bool cash);
    static Form DepositSlip();
    static Form DeliveryNote();
    static void AddDeliveryRows(const DemoBackgrounds& paper, Form& form);

    static Box Text(const QString& label, const QRectF& rect, double code = 0, double fontSize = 12);
    static Box Cells(const QString& label, const QRectF& blank, double code, double fontSize = 12);
    static Box Check(const QString& label, const QRectF& square);
    static Box Label(const QString& text, const QRectF& rect, double fontSize, bool bold);
    static Box Line(double x1, double y1, double x2, double y2);
    static QRectF Inside(const QRectF& blank, double height = 5);
    static void Ring(Form& form, Link link, const QStringList& labels);

    static bool AlreadyThere(DbOperate& db, const QString& name);
    static bool WriteForm(DbOperate& db, const Form& form, QString* error);
    static bool WriteBox(Recordset& rows, const QString& name, const Box& box, QString* error);
    static void SetColumns(Recordset& rows, const QString& name, const Box& box);
    static bool Store(Recordset& rows, const QString& name, QString* error);
    static bool WriteWholeFormat(Recordset& rows, const Form& form, QString* error);
    static bool WriteReferences(Recordset& rows, const Form& form, const QHash<QString, qint64>& ids,
                                QString* error);
    static double Reference(const Ref& ref, const QHash<QString, qint64>& ids);
    static bool WriteDefaults(DbOperate& db, const Form& form, const QHash<QString, qint64>& ids, QString* error);
    static bool RememberCheque(DbOperate& db, QString* error);
    static bool WriteBackgrounds(const QVector<Form>& forms, const QString& applicationFolder, QString* error);
};

} // namespace kestrio
