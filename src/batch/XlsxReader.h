#pragma once

#include "SheetReader.h"

#include <QHash>
#include <QList>
#include <QVector>

#include <memory>

class QXmlStreamReader;

namespace kestrio {

class ZipPackage;

// .xlsx workbooks: the zip package read through minizip (ZipPackage), its XML parts through
// QXmlStreamReader, streamed from the package without holding a part whole. Shared strings,
// inline strings, numbers, booleans and dates (numbers whose number format shows a date) become
// text cells. Row numbers, cell references and shared-string indexes are checked against what a
// worksheet can hold and what the file holds; a workbook that breaks them is refused whole.
class XlsxReader final : public SheetReader {
public:
    XlsxReader();
    ~XlsxReader() override;

    bool Open(const QString& path) override;
    QStringList SheetNames() const override { return mSheets; }
    bool ReadRows(const QString& sheet, int maxRows, SourceRows& rows) override;

private:
    // Runs `read` over part `name` (a missing part reads as empty when `needed` is false);
    // false with mError set when the part is refused or is not well-formed XML.
    template <typename Read>
    bool ReadPart(const QString& name, bool needed, Read read);
    bool Refuse(const QString& what);
    bool ReadWorkbook(QXmlStreamReader& xml);
    void ReadRelations(QXmlStreamReader& xml);
    void ReadSharedStrings(QXmlStreamReader& xml);
    void ReadStyles(QXmlStreamReader& xml);
    bool ReadSheet(QXmlStreamReader& xml, int maxRows, SourceRows& rows);
    bool ReadRow(QXmlStreamReader& xml, int row, SourceRows& rows);
    bool ReadCell(QXmlStreamReader& xml, int row, const QString& reference, QString& text);

    QString mPath;
    std::unique_ptr<ZipPackage> mZip;
    QStringList mSheets;
    QStringList mSheetRelations;       // relation id of each sheet, in order
    QHash<QString, QString> mTargets;  // relation id → part name
    QStringList mSharedStrings;
    QVector<bool> mDateStyles;         // by cell style index
    bool mFrom1904 = false;
};

} // namespace kestrio
