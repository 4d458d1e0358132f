#include "CsvReader.h"

#include <QFile>
#include <QStringDecoder>

namespace kestrio {

namespace {

// The parser's state between characters.
struct CsvState {
    SourceRows out;
    QStringList record;
    QString field;
    bool quoted = false;
    int line = 1;       // the line being read, from 1
    int quoteLine = 0;  // the line the open quoted stretch began on
};

void EndField(CsvState& s)
{
    s.record.append(s.field);
    s.field.clear();
}

void EndRecord(CsvState& s)
{
    // An empty line is a record without fields, so rows keep their line numbers.
    if (!s.record.isEmpty() || !s.field.isEmpty()) EndField(s);
    s.out.rows.append(s.record);
    s.record.clear();
}

// A line end at `i` (CR LF, lone CR or lone LF); returns its length, 0 for none.
int LineEndAt(const QString& text, qsizetype i)
{
    if (text[i] == u'\n') return 1;
    if (text[i] != u'\r') return 0;
    return i + 1 < text.size() && text[i + 1] == u'\n' ? 2 : 1;
}

} // namespace

QString CsvReader::Decode(const QByteArray& bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF")) return QString::fromUtf8(bytes.mid(3));
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        QStringDecoder utf16(bytes.startsWith("\xFF\xFE") ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE);
        return utf16.decode(bytes.mid(2));
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    if (!utf8.hasError()) return text;
    QStringDecoder gb18030("GB18030");
    return gb18030.decode(bytes);
}

SourceRows CsvReader::Parse(const QString& text, int maxRows, int* unfinishedLine)
{
    CsvState s;
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size && (maxRows <= 0 || s.out.RowCount() < maxRows);) {
        const QChar c = text[i];
        if (c == u'"') {
            // A run of quotes: every pair is one quote of the text; an odd one opens or
            // closes a quoted stretch.
            qsizetype run = 0;
            while (i + run < size && text[i + run] == u'"') ++run;
            s.field.append(QString(run / 2, u'"'));
            if (run % 2) {
                s.quoted = !s.quoted;
                s.quoteLine = s.line;
            }
            i += run;
            continue;
        }
        if (const int end = LineEndAt(text, i)) {
            i += end;
            ++s.line;
            if (s.quoted) {
                s.field.append(QStringLiteral("\r\n"));
                continue;
            }
            EndRecord(s);
            continue;
        }
        if (c == u',' && !s.quoted) EndField(s);
        else s.field.append(c);
        ++i;
    }
    const bool pending = !s.record.isEmpty() || !s.field.isEmpty() || s.quoted;
    if (unfinishedLine) *unfinishedLine = s.quoted ? s.quoteLine : 0;
    if (pending && (maxRows <= 0 || s.out.RowCount() < maxRows)) EndRecord(s);
    return s.out;
}

bool CsvReader::Open(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        mError = CsvErrorMessage();
        return false;
    }
    mText = Decode(file.readAll());
    return true;
}

bool CsvReader::ReadRows(const QString&, int maxRows, SourceRows& rows)
{
    int unfinished = 0;
    rows = Parse(mText, maxRows, &unfinished);
    mWarning = unfinished > 0 && maxRows <= 0
                   ? QStringLiteral("CSV文件第%1行开始的引号字段到文件末尾仍未结束，该行已按读到的内容导入。").arg(unfinished)
                   : QString();
    return true;
}

} // namespace kestrio
