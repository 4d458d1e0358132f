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
// QXmlStreamReader. Shared strings, inline strings, numbers, booleans and dates (numbers whose
// number format shows a date) become text cells.
class XlsxReader final : public SheetReader {
public:
    XlsxReader();
    ~XlsxReader() override;

    bool Open(const QString& path) override;
    QStringList SheetNames() const override { return mSheets; }
    bool ReadRows(const QString& sheet, int maxRows, SourceRows& rows) override;

private:
    QByteArray Part(const QString& name) const;
    bool ReadWorkbook();
    void ReadRelations();
    void ReadSharedStrings();
    void ReadStyles();
    void ReadRow(QXmlStreamReader& xml, QStringList& cells) const;
    QString ReadCell(QXmlStreamReader& xml) const;
    QString CellValue(const QString& type, int style, const QString& value) const;

    std::unique_ptr<ZipPackage> mZip;
    QStringList mSheets;
    QStringList mSheetRelations;       // relation id of each sheet, in order
    QHash<QString, QString> mTargets;  // relation id → part name
    QStringList mSharedStrings;
    QVector<bool> mDateStyles;         // by cell style index
    bool mFrom1904 = false;
};

} // namespace kestrio
