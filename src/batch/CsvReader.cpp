#include "CsvReader.h"

#include <QFile>
#include <QStringDecoder>

namespace kestrio {

namespace {

constexpr qint64 kChunk = 64 * 1024;

// Records and fields out of text fed piece by piece.
class CsvParser {
public:
    CsvParser(SourceRows& out, int maxRows) : mOut(out), mMaxRows(maxRows) {}

    bool Full() const { return mMaxRows > 0 && mOut.RowCount() >= mMaxRows; }
    QString Error() const { return mError; }

    bool Feed(QStringView text)
    {
        for (qsizetype i = 0; i < text.size() && mError.isEmpty() && !Full(); ++i) Take(text[i]);
        return mError.isEmpty();
    }

    bool Finish()
    {
        if (!mError.isEmpty() || Full()) return mError.isEmpty();
        if (mState == State::Quoted) return Fail(mQuoteLine, QStringLiteral("引号不成对"));
        if (mState != State::LineEnd && mState != State::CrSeen) EndRecord();
        return mError.isEmpty();
    }

private:
    // LineEnd: at the start of a line; FieldStart: after a comma; CrSeen: a CR ended the line,
    // an LF may follow; QuoteSeen: a quote inside a quoted field (doubled or closing); Closed:
    // the quoted field has ended.
    enum class State { LineEnd, FieldStart, Unquoted, Quoted, QuoteSeen, Closed, CrSeen };

    void Take(QChar c)
    {
        if (c.isNull()) {
            Fail(mLine, QStringLiteral("含有空字符，不是文本"));
            return;
        }
        if (mState == State::CrSeen) {
            mState = State::LineEnd;
            if (c == u'\n') return;
        }
        if (mState == State::Quoted) {
            if (c == u'"') mState = State::QuoteSeen;
            else Add(c, true);
            return;
        }
        if (mState == State::QuoteSeen) {
            if (c == u'"') {
                mState = State::Quoted;
                Add(c, true);
                return;
            }
            if (c != u',' && c != u'\r' && c != u'\n') {
                Fail(mLine, QStringLiteral("引号不成对"));
                return;
            }
            mState = State::Closed; // the comma or line end follows
        }
        if (c == u'\r' || c == u'\n') {
            EndRecord();
            mState = c == u'\r' ? State::CrSeen : State::LineEnd;
            return;
        }
        if (c == u',') {
            EndField();
            mState = State::FieldStart;
            return;
        }
        if (c == u'"' && (mState == State::LineEnd || mState == State::FieldStart)) {
            mState = State::Quoted;
            mQuoteLine = mLine;
            return;
        }
        mState = State::Unquoted;
        Add(c, false);
    }

    void Add(QChar c, bool quoted)
    {
        if (quoted && (c == u'\n' || c == u'\r')) {
            // A line break inside a quoted field: kept, and the next physical line counted.
            if (!(c == u'\n' && mField.endsWith(u'\r'))) ++mLine;
        }
        if (mField.size() >= CsvReader::kLongestField) {
            Fail(quoted ? mQuoteLine : mLine, quoted ? QStringLiteral("引号内的字段超过%1个字符（引号可能不成对）").arg(CsvReader::kLongestField)
                                                     : QStringLiteral("字段超过%1个字符").arg(CsvReader::kLongestField));
            return;
        }
        if (++mRecordSize > CsvReader::kLongestRecord) {
            Fail(mLine, QStringLiteral("一行超过%1个字符").arg(CsvReader::kLongestRecord));
            return;
        }
        mField.append(c);
    }

    void EndField()
    {
        mRecord.append(mField);
        mField.clear();
    }

    void EndRecord()
    {
        // An empty line is a record without fields, so rows keep their line numbers.
        if (mState != State::LineEnd) EndField();
        if (mOut.RowCount() >= SheetReader::kXlsxRows) {
            Fail(mLine, QStringLiteral("超过了%1行").arg(SheetReader::kXlsxRows));
            return;
        }
        mOut.Append(mRecord);
        mRecord.clear();
        mRecordSize = 0;
        ++mLine;
    }

    bool Fail(int line, const QString& what)
    {
        if (mError.isEmpty()) mError = QStringLiteral("第%1行：%2").arg(line).arg(what);
        return false;
    }

    SourceRows& mOut;
    int mMaxRows;
    State mState = State::LineEnd;
    QStringList mRecord;
    QString mField;
    qsizetype mRecordSize = 0;
    int mLine = 1;      // the physical line being read, from 1
    int mQuoteLine = 0; // the line the open quoted field began on
    QString mError;
};

// NUL bytes on every other byte and nowhere else: UTF-16 without a byte-order mark.
bool Utf16ByNuls(const QByteArray& head, QStringConverter::Encoding& encoding)
{
    qsizetype even = 0;
    qsizetype odd = 0;
    for (qsizetype i = 0; i < head.size(); ++i)
        if (head[i] == '\0') ++(i % 2 ? odd : even);
    if (even > 0 && odd > 0) return false;
    encoding = odd > 0 ? QStringConverter::Utf16LE : QStringConverter::Utf16BE;
    return true;
}

} // namespace

bool CsvReader::DetectEncoding(const QByteArray& head, QStringConverter::Encoding& encoding, int& bomSize, QString& problem)
{
    const struct { const char* bom; int size; QStringConverter::Encoding encoding; } marks[] = {
        {"\xFF\xFE\x00\x00", 4, QStringConverter::Utf32LE}, {"\x00\x00\xFE\xFF", 4, QStringConverter::Utf32BE},
        {"\xEF\xBB\xBF", 3, QStringConverter::Utf8},         {"\xFF\xFE", 2, QStringConverter::Utf16LE},
        {"\xFE\xFF", 2, QStringConverter::Utf16BE},
    };
    for (const auto& mark : marks) {
        if (head.startsWith(QByteArray(mark.bom, mark.size))) {
            encoding = mark.encoding;
            bomSize = mark.size;
            return true;
        }
    }
    bomSize = 0;
    encoding = QStringConverter::Utf8;
    if (!head.contains('\0')) return true;
    if (Utf16ByNuls(head, encoding)) return true;
    problem = QStringLiteral("文件中含有空字符，不是文本文件（也不是UTF-16文本）");
    return false;
}

QString CsvReader::Decode(const QByteArray& bytes)
{
    QStringConverter::Encoding encoding;
    int bom = 0;
    QString problem;
    if (!DetectEncoding(bytes, encoding, bom, problem)) return {};
    const QByteArray text = bytes.mid(bom);
    QStringDecoder decoder(encoding, QStringDecoder::Flag::Stateless);
    const QString decoded = decoder.decode(text);
    if (encoding != QStringConverter::Utf8 || bom > 0 || !decoder.hasError()) return decoded;
    QStringDecoder gb18030("GB18030");
    return gb18030.decode(text);
}

bool CsvReader::Parse(QStringView text, int maxRows, SourceRows& rows, QString& error)
{
    rows = SourceRows();
    CsvParser parser(rows, maxRows);
    const bool ok = parser.Feed(text) && parser.Finish();
    error = parser.Error();
    return ok;
}

bool CsvReader::Open(const QString& path)
{
    mPath = path;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        mError = CsvErrorMessage();
        return false;
    }
    if (file.size() > kLargestFile) {
        mError = RefusedMessage(path, QStringLiteral("文件超过%1MB").arg(kLargestFile >> 20));
        return false;
    }
    QString problem;
    if (!DetectEncoding(file.read(kChunk), mEncoding, mBomSize, problem)) {
        mError = RefusedMessage(path, problem);
        return false;
    }
    // Without a byte-order mark, text that is not valid UTF-8 throughout is GB18030.
    mGb18030 = false;
    if (mEncoding == QStringConverter::Utf8 && mBomSize == 0) {
        file.seek(0);
        QStringDecoder utf8(QStringConverter::Utf8);
        while (!file.atEnd() && !utf8.hasError()) {
            const QString skipped = utf8.decode(file.read(kChunk));
        }
        mGb18030 = utf8.hasError();
    }
    return true;
}

bool CsvReader::ReadRows(const QString&, int maxRows, SourceRows& rows)
{
    rows = SourceRows();
    QFile file(mPath);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(mBomSize)) {
        mError = CsvErrorMessage();
        return false;
    }
    QStringDecoder decoder = mGb18030 ? QStringDecoder("GB18030") : QStringDecoder(mEncoding);
    CsvParser parser(rows, maxRows);
    bool ok = true;
    while (ok && !file.atEnd() && !parser.Full()) {
        const QString text = decoder.decode(file.read(kChunk));
        if (decoder.hasError() && !mGb18030) {
            mError = RefusedMessage(mPath, QStringLiteral("文件中有按%1无法解读的字节")
                                               .arg(QLatin1String(QStringConverter::nameForEncoding(mEncoding))));
            return false;
        }
        ok = parser.Feed(text);
    }
    if (ok) ok = parser.Finish();
    if (!ok) mError = RefusedMessage(mPath, parser.Error());
    return ok;
}

} // namespace kestrio
