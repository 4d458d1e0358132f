#include "SetBoxOption.h"

#include "startup/StartupSequence.h"
#include "app/AppContext.h"
#include "convert/DataTypeCatalog.h"
#include "designer/EditorModel.h"
#include "format/ElementTable.h"
#include "format/FormatDocument.h"
#include "format/FormatStore.h"

#include <QColor>

namespace kestrio {

namespace {

int RowOfBox(const FormatDocument& document, const QString& label)
{
    const ElementTable& table = document.Table();
    for (int row : document.ElementRows())
        if (table.Text(row, ElementTable::ColLbl) == label) return row;
    bool isNumber = false;
    const qint64 id = label.toLongLong(&isNumber);
    return isNumber ? table.RowOfId(id) : -1;
}

bool ParseFlag(const QString& value, bool* flag)
{
    static const QStringList yes{QStringLiteral("1"), QStringLiteral("yes"), QStringLiteral("true"), QStringLiteral("是")};
    static const QStringList no{QStringLiteral("0"), QStringLiteral("no"), QStringLiteral("false"), QStringLiteral("否")};
    if (yes.contains(value, Qt::CaseInsensitive)) *flag = true;
    else if (no.contains(value, Qt::CaseInsensitive)) *flag = false;
    else return false;
    return true;
}

// The box a relation names: another text box, by label or ID, as the window's lists offer;
// "0" is none.
bool RelatedId(const FormatDocument& document, int editedRow, const QString& value, qint64* id)
{
    if (value == QLatin1String("0")) {
        *id = 0;
        return true;
    }
    QList<qint64> ids;
    EditorModel::RelationEntries(document, editedRow, &ids);
    const int row = RowOfBox(document, value);
    if (row < 0 || !ids.contains(document.Table().Id(row)) || document.Table().Id(row) == 0) return false;
    *id = document.Table().Id(row);
    return true;
}

class SettingReader {
public:
    SettingReader(const FormatDocument& document, EditorModel& model) : mDocument(document), mModel(model) {}

    bool Read(const QString& key, const QString& value, QString* error)
    {
        EditorModel::Values& v = mModel.Edit();
        auto text = [&](QString* field, EditorModel::Field flag) {
            *field = value;
            mModel.MarkChanged(flag);
            return true;
        };
        auto flag = [&](bool* field) {
            mModel.MarkChanged(EditorModel::Font);
            return ParseFlag(value, field) || Refuse(error, key, value);
        };
        if (key == QLatin1String("label")) return text(&v.label, EditorModel::Label);
        if (key == QLatin1String("x")) return text(&v.x, EditorModel::X);
        if (key == QLatin1String("y")) return text(&v.y, EditorModel::Y);
        if (key == QLatin1String("w")) return text(&v.width, EditorModel::Width);
        if (key == QLatin1String("h")) return text(&v.height, EditorModel::Height);
        if (key == QLatin1String("spacing")) return text(&v.spacing, EditorModel::Spacing);
        if (key == QLatin1String("line-spacing")) return text(&v.lineSpacing, EditorModel::LineSpacing);
        if (key == QLatin1String("bold")) return flag(&v.font.bold);
        if (key == QLatin1String("italic")) return flag(&v.font.italic);
        if (key == QLatin1String("underline")) return flag(&v.font.underline);
        if (key == QLatin1String("strike")) return flag(&v.font.strikeout);
        if (key == QLatin1String("font")) {
            v.font.fontName = value;
            mModel.MarkChanged(EditorModel::Font);
            return true;
        }
        return ReadMore(key, value, error);
    }

    // The data type goes before the cell count, whatever their order on the command line.
    bool Finish(QString* error)
    {
        if (mType >= 0) mModel.ChooseDataType(mType);
        if (mCells.isEmpty()) return true;
        bool ok = false;
        const int cells = mCells.toInt(&ok);
        if (!ok) return Refuse(error, QStringLiteral("cells"), mCells);
        if (!EditorModel::CellCountEnabled(mModel.Edit().baseCode)) {
            *error = QStringLiteral("这种数据类型没有格数或位数。");
            return false;
        }
        mModel.SetCells(cells);
        return true;
    }

    static bool Refuse(QString* error, const QString& key, const QString& value)
    {
        *error = QStringLiteral("“%1”的值“%2”不可用。").arg(key, value);
        return false;
    }

private:
    bool ReadMore(const QString& key, const QString& value, QString* error)
    {
        EditorModel::Values& v = mModel.Edit();
        bool ok = false;
        if (key == QLatin1String("size")) {
            const double size = value.toDouble(&ok);
            if (!ok || size <= 0) return Refuse(error, key, value);
            v.font.fontSize = size;
            mModel.MarkChanged(EditorModel::Font);
            return true;
        }
        if (key == QLatin1String("colour") || key == QLatin1String("color")) {
            const QColor colour = QColor::fromString(value);
            if (!colour.isValid()) return Refuse(error, key, value);
            v.font.color = colour.red() | (colour.green() << 8) | (colour.blue() << 16);
            mModel.MarkChanged(EditorModel::Font);
            return true;
        }
        if (key == QLatin1String("align")) {
            static const QStringList names{QStringLiteral("left"), QStringLiteral("right"), QStringLiteral("centre")};
            const int alignment = names.indexOf(value == QLatin1String("center") ? QStringLiteral("centre") : value);
            if (alignment < 0 || !EditorModel::AlignmentEnabled(v.baseCode)) return Refuse(error, key, value);
            v.alignment = alignment;
            mModel.MarkChanged(EditorModel::Alignment);
            return true;
        }
        if (key == QLatin1String("label-position")) {
            static const QStringList names{QStringLiteral("上方"), QStringLiteral("左边"), QStringLiteral("右边"), QStringLiteral("下方")};
            if (!names.contains(value)) return Refuse(error, key, value);
            v.captionPosition = names.indexOf(value);
            mModel.MarkChanged(EditorModel::CaptionPosition);
            return true;
        }
        if (key == QLatin1String("type")) {
            const int code = value.toInt(&ok);
            QStringList codes;
            for (const QString& entry : DataTypeCatalog::Entries()) codes << entry.left(3);
            if (value.size() != 3 || !ok || !codes.contains(value)) return Refuse(error, key, value);
            mType = code;
            return true;
        }
        if (key == QLatin1String("cells")) {
            mCells = value;
            return true;
        }
        return ReadRelation(key, value, error);
    }

    bool ReadRelation(const QString& key, const QString& value, QString* error)
    {
        EditorModel::Values& v = mModel.Edit();
        if (key == QLatin1String("negate")) {
            if (!ParseFlag(value, &v.sum[0].negate)) return Refuse(error, key, value);
            mModel.MarkChanged(EditorModel::Sum1);
            return true;
        }
        const bool related = key == QLatin1String("same-as") || key == QLatin1String("related-to");
        const bool sum = key == QLatin1String("add-to") || key == QLatin1String("multiply-to");
        if (!related && !sum) {
            *error = QStringLiteral("未知的设置项：") + key;
            return false;
        }
        EditorModel::Relation& relation = related ? v.related[0] : v.sum[0];
        if (!RelatedId(mDocument, mModel.Row(), value, &relation.id)) {
            *error = QStringLiteral("没有可关联的输入框：") + value;
            return false;
        }
        relation.negative = key == QLatin1String("related-to") || key == QLatin1String("multiply-to");
        mModel.MarkChanged(related ? EditorModel::Related1 : EditorModel::Sum1);
        return true;
    }

    const FormatDocument& mDocument;
    EditorModel& mModel;
    int mType = -1;
    QString mCells;
};

} // namespace

bool SetBoxOption::Apply(FormatDocument& document, const QString& label, const QStringList& settings, QString* error)
{
    const int row = RowOfBox(document, label);
    if (row < 0) {
        *error = QStringLiteral("没有这个元素：") + label;
        return false;
    }
    EditorModel model = EditorModel::Load(document, row);
    SettingReader reader(document, model);
    for (const QString& setting : settings) {
        const qsizetype equals = setting.indexOf(QLatin1Char('='));
        if (equals <= 0) {
            *error = QStringLiteral("设置项应写作 键=值：") + setting;
            return false;
        }
        if (!reader.Read(setting.left(equals), setting.mid(equals + 1), error)) return false;
    }
    // Only the named box changes, not whatever a window had selected.
    document.SetSelection({});
    return reader.Finish(error) && model.Save(document, error);
}

} // namespace kestrio
