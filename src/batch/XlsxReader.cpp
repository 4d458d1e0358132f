#include "XlsxReader.h"

#include "CellText.h"
#include "ZipPackage.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QXmlStreamReader>

namespace kestrio {

namespace {

QString Attr(const QXmlStreamReader& xml, const char* name)
{
    return xml.attributes().value(QLatin1String(name)).toString();
}

bool IsStart(const QXmlStreamReader& xml, const char* name)
{
    return xml.isStartElement() && xml.name() == QLatin1String(name);
}

bool IsEnd(const QXmlStreamReader& xml, const char* name)
{
    return xml.isEndElement() && xml.name() == QLatin1String(name);
}

// The column and row of a cell reference such as "AB12"; false for anything that is no cell of
// a worksheet (no letters, more than three, a column right of XFD, a row outside 1 … 1048576).
bool ParseReference(const QString& reference, int& column, int& row)
{
    column = 0;
    row = 0;
    qsizetype i = 0;
    for (; i < reference.size() && i < 4; ++i) {
        const char16_t u = reference[i].toUpper().unicode();
        if (u < u'A' || u > u'Z') break;
        column = column * 26 + (u - u'A' + 1);
    }
    if (i == 0 || column > SheetReader::kXlsxColumns) return false;
    const QStringView digits = QStringView(reference).mid(i);
    if (digits.isEmpty() || digits.size() > 7) return false;
    for (QChar c : digits)
        if (c < u'0' || c > u'9') return false;
    row = digits.toInt();
    return row >= 1 && row <= SheetReader::kXlsxRows;
}

// A whole number from 0 up to `limit` written in plain digits, else -1.
qint64 Index(QStringView text, qint64 limit)
{
    if (text.isEmpty() || text.size() > 10) return -1;
    for (QChar c : text)
        if (c < u'0' || c > u'9') return -1;
    const qint64 value = text.toLongLong();
    return value <= limit ? value : -1;
}

// Characters XML cannot carry are written as _xHHHH_ (a CR as _x000D_).
QString Unescaped(const QString& text)
{
    if (!text.contains(QLatin1String("_x"))) return text;
    static const QRegularExpression escape(QStringLiteral("_x([0-9A-Fa-f]{4})_"));
    QString plain;
    qsizetype from = 0;
    for (auto it = escape.globalMatch(text); it.hasNext();) {
        const auto match = it.next();
        plain += text.mid(from, match.capturedStart() - from);
        plain += QChar(static_cast<char16_t>(match.captured(1).toUShort(nullptr, 16)));
        from = match.capturedEnd();
    }
    return plain + text.mid(from);
}

// The text of an <si> or <is> element: its <t> runs, without phonetic guides (<rPh>).
QString StringItem(QXmlStreamReader& xml, const char* end)
{
    QString text;
    bool phonetic = false;
    while (!xml.atEnd() && !IsEnd(xml, end)) {
        xml.readNext();
        if (IsStart(xml, "rPh")) phonetic = true;
        else if (IsEnd(xml, "rPh")) phonetic = false;
        else if (IsStart(xml, "t") && !phonetic) text += Unescaped(xml.readElementText());
    }
    return text;
}

} // namespace

XlsxReader::XlsxReader() = default;
XlsxReader::~XlsxReader() = default;

bool XlsxReader::Refuse(const QString& what)
{
    mError = RefusedMessage(mPath, what);
    return false;
}

template <typename Read>
bool XlsxReader::ReadPart(const QString& name, bool needed, Read read)
{
    std::unique_ptr<QIODevice> part = mZip->Open(name);
    if (!part) {
        if (!mZip->Problem().isEmpty()) return Refuse(mZip->Problem());
        if (!needed) return true;
        mError = NotWorkbookMessage();
        return false;
    }
    QXmlStreamReader xml(part.get());
    if (!read(xml)) return false;
    // What the part says when it ends early or does not match its CRC comes before the XML
    // error it causes.
    if (const QString problem = ZipPackage::ProblemOf(*part); !problem.isEmpty()) return Refuse(problem);
    if (xml.hasError() && xml.error() != QXmlStreamReader::CustomError)
        return Refuse(QStringLiteral("“%1”第%2行不是有效的XML（%3）").arg(name).arg(xml.lineNumber()).arg(xml.errorString()));
    // A part read to its end is checked whole; one left early (a preview) is not.
    if (xml.atEnd() && !xml.hasError() && !mZip->Finish(*part)) return Refuse(mZip->Problem());
    return true;
}

bool XlsxReader::Open(const QString& path)
{
    mPath = path;
    if (!QFileInfo(path).isFile() || !QFileInfo(path).isReadable()) {
        mError = CannotOpenMessage();
        return false;
    }
    mZip = std::make_unique<ZipPackage>(path);
    if (!mZip->IsOpen()) {
        QFile file(path);
        // A zip package that minizip cannot open is a damaged workbook, anything else no workbook.
        if (file.open(QIODevice::ReadOnly) && file.read(4) == QByteArrayLiteral("PK\x03\x04"))
            return Refuse(QStringLiteral("压缩包不完整或已损坏（文件可能被截断）"));
        mError = NotWorkbookMessage();
        return false;
    }
    return ReadPart(QStringLiteral("xl/workbook.xml"), true, [this](QXmlStreamReader& xml) { return ReadWorkbook(xml); })
           && ReadPart(QStringLiteral("xl/_rels/workbook.xml.rels"), false, [this](QXmlStreamReader& xml) { ReadRelations(xml); return true; })
           && ReadPart(QStringLiteral("xl/sharedStrings.xml"), false, [this](QXmlStreamReader& xml) { ReadSharedStrings(xml); return true; })
           && ReadPart(QStringLiteral("xl/styles.xml"), false, [this](QXmlStreamReader& xml) { ReadStyles(xml); return true; });
}

bool XlsxReader::ReadWorkbook(QXmlStreamReader& xml)
{
    while (!xml.atEnd()) {
        xml.readNext();
        if (IsStart(xml, "workbookPr")) {
            const QString flag = Attr(xml, "date1904");
            mFrom1904 = flag == QLatin1String("1") || flag == QLatin1String("true");
        } else if (IsStart(xml, "sheet")) {
            mSheets << Attr(xml, "name");
            mSheetRelations << xml.attributes().value(QLatin1String("r:id")).toString();
        }
    }
    return true; // an XML error is told by ReadPart, after what the package says
}

void XlsxReader::ReadRelations(QXmlStreamReader& xml)
{
    while (!xml.atEnd()) {
        xml.readNext();
        if (!IsStart(xml, "Relationship")) continue;
        QString target = Attr(xml, "Target");
        target = target.startsWith(u'/') ? target.mid(1) : QStringLiteral("xl/") + target;
        mTargets.insert(Attr(xml, "Id"), target);
    }
}

void XlsxReader::ReadSharedStrings(QXmlStreamReader& xml)
{
    while (!xml.atEnd()) {
        xml.readNext();
        if (IsStart(xml, "si")) mSharedStrings << StringItem(xml, "si");
    }
}

void XlsxReader::ReadStyles(QXmlStreamReader& xml)
{
    QHash<int, bool> customDates;
    bool inCellFormats = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (IsStart(xml, "numFmt")) {
            customDates.insert(Attr(xml, "numFmtId").toInt(), CellText::IsDateFormat(Attr(xml, "formatCode")));
        } else if (IsStart(xml, "cellXfs")) {
            inCellFormats = true;
        } else if (IsEnd(xml, "cellXfs")) {
            inCellFormats = false;
        } else if (inCellFormats && IsStart(xml, "xf")) {
            const int id = Attr(xml, "numFmtId").toInt();
            mDateStyles << customDates.value(id, CellText::IsBuiltInDateFormat(id));
        }
    }
}

bool XlsxReader::ReadRows(const QString& sheet, int maxRows, SourceRows& rows)
{
    rows = SourceRows();
    const qsizetype index = mSheets.indexOf(sheet);
    const QString part = index < 0 ? QString() : mTargets.value(mSheetRelations.value(index));
    if (part.isEmpty() || !mZip->Has(part)) {
        mError = NoSuchSheetMessage();
        return false;
    }
    return ReadPart(part, true, [&](QXmlStreamReader& xml) { return ReadSheet(xml, maxRows, rows); });
}

bool XlsxReader::ReadSheet(QXmlStreamReader& xml, int maxRows, SourceRows& rows)
{
    while (!xml.atEnd()) {
        xml.readNext();
        if (!IsStart(xml, "row")) continue;
        // Rows left out of the file are empty rows; they are not stored.
        const QString r = Attr(xml, "r");
        const qint64 number = r.isEmpty() ? rows.RowCount() + 1 : Index(r, kXlsxRows);
        if (number < 1 || number > kXlsxRows)
            return Refuse(QStringLiteral("工作表中的行号“%1”无效（行号只能是1到%2）").arg(r.left(20)).arg(kXlsxRows));
        if (number <= rows.RowCount())
            return Refuse(QStringLiteral("工作表第%1行出现在第%2行之后（行号重复或顺序颠倒）").arg(number).arg(rows.RowCount()));
        if (maxRows > 0 && number > maxRows) break;
        rows.AddRow(static_cast<int>(number));
        if (!ReadRow(xml, static_cast<int>(number), rows)) return false;
    }
    return true;
}

bool XlsxReader::ReadRow(QXmlStreamReader& xml, int row, SourceRows& rows)
{
    int last = 0;
    while (!xml.atEnd() && !IsEnd(xml, "row")) {
        xml.readNext();
        if (!IsStart(xml, "c")) continue;
        const QString reference = Attr(xml, "r");
        int column = last + 1;
        int referenceRow = row;
        if (!reference.isEmpty() && !ParseReference(reference, column, referenceRow))
            return Refuse(QStringLiteral("工作表第%1行的单元格地址“%2”无效（最多%3行、%4列）")
                              .arg(row).arg(reference.left(20)).arg(kXlsxRows).arg(kXlsxColumns));
        if (referenceRow != row)
            return Refuse(QStringLiteral("工作表第%1行的单元格地址“%2”不在这一行").arg(row).arg(reference.left(20)));
        if (column > kXlsxColumns)
            return Refuse(QStringLiteral("工作表第%1行的单元格超过了%2列").arg(row).arg(kXlsxColumns));
        if (column <= last)
            return Refuse(QStringLiteral("工作表第%1行的单元格地址“%2”重复或顺序颠倒").arg(row).arg(reference));
        last = column;
        QString text;
        if (!ReadCell(xml, row, reference.isEmpty() ? QStringLiteral("（第%1列）").arg(column) : reference, text))
            return false;
        rows.AddCell(column, text);
    }
    return true;
}

bool XlsxReader::ReadCell(QXmlStreamReader& xml, int row, const QString& reference, QString& text)
{
    const QString type = Attr(xml, "t");
    const int style = Attr(xml, "s").toInt();
    QString value;
    while (!xml.atEnd() && !IsEnd(xml, "c")) {
        xml.readNext();
        if (IsStart(xml, "v")) {
            value = xml.readElementText();
        } else if (IsStart(xml, "is")) {
            text = StringItem(xml, "is");
            return true;
        }
    }
    if (value.isEmpty()) return true;
    if (type == QLatin1String("s")) {
        const qint64 at = Index(value, mSharedStrings.size() - 1);
        if (at < 0)
            return Refuse(QStringLiteral("工作表第%1行的单元格%2引用的共享字符串“%3”不存在（共%4项）")
                              .arg(row).arg(reference).arg(value.left(20)).arg(mSharedStrings.size()));
        text = mSharedStrings[at];
    } else if (type == QLatin1String("b")) {
        text = value == QLatin1String("1") ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
    } else if (type == QLatin1String("d")) {
        text = value.left(10);
    } else if (!type.isEmpty() && type != QLatin1String("n")) {
        text = value; // str, e
    } else {
        bool ok = false;
        const double number = value.toDouble(&ok);
        text = !ok ? value : mDateStyles.value(style) ? CellText::DateSerial(number, mFrom1904) : CellText::Number(number);
    }
    return true;
}

} // namespace kestrio
