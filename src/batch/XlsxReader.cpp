#include "XlsxReader.h"

#include "CellText.h"
#include "ZipPackage.h"

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

// The column of a cell reference such as "AB12", from 1; 0 when it has no letters.
int ColumnOf(const QString& reference)
{
    int column = 0;
    for (QChar c : reference) {
        const char16_t u = c.toUpper().unicode();
        if (u < u'A' || u > u'Z') break;
        column = column * 26 + (u - u'A' + 1);
    }
    return column;
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

QByteArray XlsxReader::Part(const QString& name) const
{
    return mZip->Entry(name);
}

bool XlsxReader::Open(const QString& path)
{
    if (!QFileInfo(path).isFile() || !QFileInfo(path).isReadable()) {
        mError = CannotOpenMessage();
        return false;
    }
    mZip = std::make_unique<ZipPackage>(path);
    if (!mZip->IsOpen() || !ReadWorkbook()) {
        mError = NotWorkbookMessage();
        return false;
    }
    ReadRelations();
    ReadSharedStrings();
    ReadStyles();
    return true;
}

bool XlsxReader::ReadWorkbook()
{
    const QByteArray bytes = Part(QStringLiteral("xl/workbook.xml"));
    if (bytes.isEmpty()) return false;
    QXmlStreamReader xml(bytes);
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
    return !xml.hasError();
}

void XlsxReader::ReadRelations()
{
    QXmlStreamReader xml(Part(QStringLiteral("xl/_rels/workbook.xml.rels")));
    while (!xml.atEnd()) {
        xml.readNext();
        if (!IsStart(xml, "Relationship")) continue;
        QString target = Attr(xml, "Target");
        target = target.startsWith(u'/') ? target.mid(1) : QStringLiteral("xl/") + target;
        mTargets.insert(Attr(xml, "Id"), target);
    }
}

void XlsxReader::ReadSharedStrings()
{
    QXmlStreamReader xml(Part(QStringLiteral("xl/sharedStrings.xml")));
    while (!xml.atEnd()) {
        xml.readNext();
        if (IsStart(xml, "si")) mSharedStrings << StringItem(xml, "si");
    }
}

void XlsxReader::ReadStyles()
{
    QXmlStreamReader xml(Part(QStringLiteral("xl/styles.xml")));
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
    rows.rows.clear();
    const qsizetype index = mSheets.indexOf(sheet);
    const QString part = index < 0 ? QString() : mTargets.value(mSheetRelations.value(index));
    const QByteArray bytes = part.isEmpty() ? QByteArray() : Part(part);
    if (bytes.isEmpty()) {
        mError = NoSuchSheetMessage();
        return false;
    }
    QXmlStreamReader xml(bytes);
    while (!xml.atEnd() && (maxRows <= 0 || rows.RowCount() < maxRows)) {
        xml.readNext();
        if (!IsStart(xml, "row")) continue;
        // Rows left out of the file are empty rows.
        const int number = Attr(xml, "r").toInt();
        const int target = number > 0 ? number : rows.RowCount() + 1;
        if (maxRows > 0 && target > maxRows) break;
        while (rows.RowCount() < target - 1) rows.rows.append(QStringList());
        QStringList cells;
        ReadRow(xml, cells);
        rows.rows.append(cells);
    }
    if (xml.hasError()) {
        mError = NotWorkbookMessage();
        return false;
    }
    return true;
}

void XlsxReader::ReadRow(QXmlStreamReader& xml, QStringList& cells) const
{
    while (!xml.atEnd() && !IsEnd(xml, "row")) {
        xml.readNext();
        if (!IsStart(xml, "c")) continue;
        const int column = ColumnOf(Attr(xml, "r"));
        const int at = column > 0 ? column : static_cast<int>(cells.size()) + 1;
        const QString text = ReadCell(xml);
        if (text.isEmpty()) continue;
        while (cells.size() < at) cells.append(QString());
        cells[at - 1] = text;
    }
}

QString XlsxReader::ReadCell(QXmlStreamReader& xml) const
{
    const QString type = Attr(xml, "t");
    const int style = Attr(xml, "s").toInt();
    QString value;
    while (!xml.atEnd() && !IsEnd(xml, "c")) {
        xml.readNext();
        if (IsStart(xml, "v")) value = xml.readElementText();
        else if (IsStart(xml, "is")) return StringItem(xml, "is");
    }
    return CellValue(type, style, value);
}

QString XlsxReader::CellValue(const QString& type, int style, const QString& value) const
{
    if (value.isEmpty()) return {};
    if (type == QLatin1String("s")) return mSharedStrings.value(value.toInt());
    if (type == QLatin1String("b")) return value == QLatin1String("1") ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
    if (type == QLatin1String("d")) return value.left(10);
    if (!type.isEmpty() && type != QLatin1String("n")) return value; // str, e
    bool ok = false;
    const double number = value.toDouble(&ok);
    if (!ok) return value;
    return mDateStyles.value(style) ? CellText::DateSerial(number, mFrom1904) : CellText::Number(number);
}

} // namespace kestrio
