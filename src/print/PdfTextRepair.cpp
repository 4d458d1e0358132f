#include "PdfTextRepair.h"

#include "app/OutputFile.h"

#include <QFile>
#include <QHash>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFWriter.hh>

#include <exception>

namespace kestrio {

namespace {

// Radicals of the supplement block whose unified ideograph has no compatibility mapping, as
// the Unicode Character Database pairs them (EquivalentUnifiedIdeograph).
const QHash<char32_t, char32_t>& SupplementRadicals()
{
    static const QHash<char32_t, char32_t> table{
        {0x2E80, 0x4E36}, {0x2E81, 0x5382}, {0x2E82, 0x4E5B}, {0x2E83, 0x4E5A}, {0x2E84, 0x4E59},
        {0x2E85, 0x4EBB}, {0x2E86, 0x5182}, {0x2E87, 0x51E0}, {0x2E88, 0x5200}, {0x2E89, 0x5202},
        {0x2E8A, 0x535C}, {0x2E8B, 0x353E}, {0x2E8C, 0x5C0F}, {0x2E8D, 0x5C0F}, {0x2E8E, 0x5140},
        {0x2E8F, 0x5C23}, {0x2E90, 0x5C22}, {0x2E91, 0x21BC2}, {0x2E92, 0x5DF3}, {0x2E93, 0x5E7A},
        {0x2E94, 0x5F51}, {0x2E95, 0x5F50}, {0x2E96, 0x5FC4}, {0x2E97, 0x5FC3}, {0x2E98, 0x624C},
        {0x2E99, 0x6535}, {0x2E9B, 0x65E1}, {0x2E9C, 0x65E5}, {0x2E9D, 0x6708}, {0x2E9E, 0x6B7A},
        {0x2E9F, 0x6BCD}, {0x2EA0, 0x6C11}, {0x2EA1, 0x6C35}, {0x2EA2, 0x6C3A}, {0x2EA3, 0x706C},
        {0x2EA4, 0x722B}, {0x2EA5, 0x722B}, {0x2EA6, 0x4E2C}, {0x2EA7, 0x725B}, {0x2EA8, 0x72AD},
        {0x2EA9, 0x738B}, {0x2EAA, 0x24D14}, {0x2EAB, 0x7F52}, {0x2EAC, 0x793A}, {0x2EAD, 0x793B},
        {0x2EAE, 0x25AD7}, {0x2EAF, 0x7CF9}, {0x2EB0, 0x7E9F}, {0x2EB1, 0x7F53}, {0x2EB2, 0x7F52},
        {0x2EB3, 0x34C1}, {0x2EB4, 0x5197}, {0x2EB5, 0x2626B}, {0x2EB6, 0x7F8A}, {0x2EB7, 0x2634C},
        {0x2EB8, 0x2634B}, {0x2EB9, 0x8002}, {0x2EBA, 0x8080}, {0x2EBB, 0x807F}, {0x2EBC, 0x8089},
        {0x2EBD, 0x26951}, {0x2EBE, 0x8279}, {0x2EBF, 0x8279}, {0x2EC0, 0x8279}, {0x2EC1, 0x864E},
        {0x2EC2, 0x8864}, {0x2EC3, 0x8980}, {0x2EC4, 0x897F}, {0x2EC5, 0x89C1}, {0x2EC6, 0x89D2},
        {0x2EC7, 0x278B2}, {0x2EC8, 0x8BA0}, {0x2EC9, 0x8D1D}, {0x2ECA, 0x27FB7}, {0x2ECB, 0x8F66},
        {0x2ECC, 0x8FB6}, {0x2ECD, 0x8FB6}, {0x2ECE, 0x8FB6}, {0x2ECF, 0x9091}, {0x2ED0, 0x9485},
        {0x2ED1, 0x9577}, {0x2ED2, 0x9578}, {0x2ED3, 0x957F}, {0x2ED4, 0x95E8}, {0x2ED5, 0x28E0F},
        {0x2ED6, 0x961D}, {0x2ED7, 0x96E8}, {0x2ED8, 0x9752}, {0x2ED9, 0x97E6}, {0x2EDA, 0x9875},
        {0x2EDB, 0x98CE}, {0x2EDC, 0x98DE}, {0x2EDD, 0x98DF}, {0x2EDE, 0x2967F}, {0x2EDF, 0x98E0},
        {0x2EE0, 0x9963}, {0x2EE1, 0x29810}, {0x2EE2, 0x9A6C}, {0x2EE3, 0x9AA8}, {0x2EE4, 0x9B3C},
        {0x2EE5, 0x9C7C}, {0x2EE6, 0x9E1F}, {0x2EE7, 0x5364}, {0x2EE8, 0x9EA6}, {0x2EE9, 0x9EC4},
        {0x2EEA, 0x9EFE}, {0x2EEB, 0x6589}, {0x2EEC, 0x9F50}, {0x2EED, 0x6B6F}, {0x2EEE, 0x9F7F},
        {0x2EEF, 0x7ADC}, {0x2EF0, 0x9F99}, {0x2EF1, 0x9F9C}, {0x2EF2, 0x4E80}, {0x2EF3, 0x9F9F},
    };
    return table;
}

// A hex string of UTF-16 code units as a CMap writes it, and back.
std::u16string Utf16Of(const QByteArray& hex)
{
    const QByteArray bytes = QByteArray::fromHex(hex);
    std::u16string units;
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2)
        units.push_back(char16_t((uchar(bytes[i]) << 8) | uchar(bytes[i + 1])));
    return units;
}

QByteArray HexOf(const std::u16string& units)
{
    QByteArray bytes;
    for (char16_t unit : units) {
        bytes.append(char(unit >> 8));
        bytes.append(char(unit & 0xFF));
    }
    return bytes.toHex().toUpper();
}

// The target text with each radical replaced; the same text when none is in it.
QByteArray RepairedTarget(const QByteArray& hex)
{
    const QString text = QString::fromStdU16String(Utf16Of(hex));
    QString repaired;
    bool changed = false;
    for (char32_t c : text.toUcs4()) {
        const char32_t unified = PdfTextRepair::UnifiedIdeograph(c);
        changed = changed || unified != 0;
        const char32_t out = unified ? unified : c;
        repaired += QString::fromUcs4(&out, 1);
    }
    return changed ? HexOf(repaired.toStdU16String()) : hex;
}

// The hex strings of one bfchar or bfrange section, with the positions of the targets.
struct Token {
    qsizetype begin = 0; // the '<' or '['
    qsizetype end = 0;   // after the '>' or ']'
};

Token NextToken(const QByteArray& text, qsizetype from, qsizetype limit)
{
    const qsizetype angle = text.indexOf('<', from);
    const qsizetype square = text.indexOf('[', from);
    qsizetype begin = angle;
    if (square >= 0 && (begin < 0 || square < begin)) begin = square;
    if (begin < 0 || begin >= limit) return {-1, -1};
    const qsizetype close = text.indexOf(text.at(begin) == '<' ? '>' : ']', begin);
    if (close < 0 || close >= limit) return {-1, -1};
    return {begin, close + 1};
}

// Rewrites the targets of the sections between `open` and `close`: every second token of a
// bfchar section, every third of a bfrange section. A range whose targets run through
// radicals becomes an array of single targets.
QByteArray RepairSections(QByteArray cmap, const QByteArray& open, const QByteArray& close, bool ranges)
{
    qsizetype at = 0;
    while ((at = cmap.indexOf(open, at)) >= 0) {
        at += open.size();
        const qsizetype end = cmap.indexOf(close, at);
        if (end < 0) break;
        qsizetype limit = end;
        QList<Token> tokens;
        for (Token t = NextToken(cmap, at, limit); t.begin >= 0; t = NextToken(cmap, t.end, limit)) tokens << t;
        const int group = ranges ? 3 : 2;
        // From the last token backwards, so that earlier positions stay valid.
        for (qsizetype i = tokens.size() - 1; i >= 0; --i) {
            if (i % group != group - 1) continue;
            const Token& t = tokens[i];
            const QByteArray token = cmap.mid(t.begin, t.end - t.begin);
            QByteArray replacement;
            if (token.startsWith('[')) {
                replacement = token;
                for (Token inner = NextToken(replacement, 1, replacement.size()); inner.begin >= 0;) {
                    const QByteArray hex = replacement.mid(inner.begin + 1, inner.end - inner.begin - 2);
                    const QByteArray fixed = RepairedTarget(hex);
                    replacement.replace(inner.begin + 1, hex.size(), fixed);
                    inner = NextToken(replacement, inner.end + fixed.size() - hex.size(), replacement.size());
                }
            } else if (ranges) {
                const QByteArray lo = cmap.mid(tokens[i - 2].begin + 1, tokens[i - 2].end - tokens[i - 2].begin - 2);
                const QByteArray hi = cmap.mid(tokens[i - 1].begin + 1, tokens[i - 1].end - tokens[i - 1].begin - 2);
                const int count = int(hi.toUInt(nullptr, 16) - lo.toUInt(nullptr, 16)) + 1;
                std::u16string first = Utf16Of(token.mid(1, token.size() - 2));
                QByteArray array("[");
                bool changed = false;
                for (int k = 0; k < count && !first.empty(); ++k) {
                    std::u16string target = first;
                    target.back() = char16_t(target.back() + k);
                    const QByteArray hex = HexOf(target);
                    const QByteArray fixed = RepairedTarget(hex);
                    changed = changed || fixed != hex;
                    array += '<' + fixed + '>';
                }
                replacement = changed ? array + ']' : token;
            } else {
                replacement = '<' + RepairedTarget(token.mid(1, token.size() - 2)) + '>';
            }
            if (replacement != token) cmap.replace(t.begin, t.end - t.begin, replacement);
        }
        at = cmap.indexOf(close, at) + close.size();
    }
    return cmap;
}

} // namespace

char32_t PdfTextRepair::UnifiedIdeograph(char32_t codePoint)
{
    if (codePoint >= 0x2F00 && codePoint <= 0x2FD5) {
        // Every Kangxi radical has a compatibility mapping to its ideograph.
        const QList<uint> unified = QString::fromUcs4(&codePoint, 1).normalized(QString::NormalizationForm_KC).toUcs4();
        return unified.size() == 1 ? unified.first() : 0;
    }
    return SupplementRadicals().value(codePoint, 0);
}

QByteArray PdfTextRepair::RepairCMap(const QByteArray& cmap)
{
    const QByteArray chars = RepairSections(cmap, "beginbfchar", "endbfchar", false);
    return RepairSections(chars, "beginbfrange", "endbfrange", true);
}

std::optional<QByteArray> PdfTextRepair::Repair(const QByteArray& pdf, QString* error)
{
    try {
        QPDF document;
        document.processMemoryFile("bill.pdf", pdf.constData(), size_t(pdf.size()));
        for (QPDFObjectHandle object : document.getAllObjects()) {
            QPDFObjectHandle dictionary = object.isStream() ? object.getDict() : object;
            if (!dictionary.isDictionary() || !dictionary.hasKey("/ToUnicode")) continue;
            QPDFObjectHandle map = dictionary.getKey("/ToUnicode");
            if (!map.isStream()) continue;
            const std::shared_ptr<Buffer> data = map.getStreamData(qpdf_dl_generalized);
            const QByteArray before(reinterpret_cast<const char*>(data->getBuffer()), qsizetype(data->getSize()));
            const QByteArray after = RepairCMap(before);
            if (after != before)
                map.replaceStreamData(after.toStdString(), QPDFObjectHandle::newNull(), QPDFObjectHandle::newNull());
        }
        QPDFWriter writer(document);
        writer.setOutputMemory();
        writer.setStreamDataMode(qpdf_s_compress);
        writer.write();
        const std::shared_ptr<Buffer> out = writer.getBufferSharedPointer();
        return QByteArray(reinterpret_cast<const char*>(out->getBuffer()), qsizetype(out->getSize()));
    } catch (const std::exception& e) {
        if (error) *error = QString::fromLocal8Bit(e.what());
        return std::nullopt;
    }
}

bool PdfTextRepair::RepairFile(const QString& path, QString* error)
{
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly)) {
        if (error) *error = in.errorString();
        return false;
    }
    const std::optional<QByteArray> repaired = Repair(in.readAll(), error);
    in.close();
    if (!repaired) return false;
    return OutputFile::WriteWhole(path, *repaired, error);
}

} // namespace kestrio
