#pragma once

#include <QString>
#include <QStringList>

namespace kestrio {

// The rest of the program speaks the Jet dialect of SQL: DELETE * FROM, SELECT TOP n,
// WHERE FALSE, =ANY(SELECT …), AUTOINCREMENT(1,1), MEMO, ALTER TABLE … ALTER COLUMN.
// This is the one place where such a statement becomes something the embedded engine
// (SQLite 3.15 inside SQLCipher) runs.
//
// Text columns are declared COLLATE NOCASE so that comparisons, GROUP BY and indexes fold
// case as the Jet engine always did ('abc' = 'ABC').
class JetSqlTranslator {
public:
    struct Result {
        enum class Kind {
            Statement,   // run `sql` as it is
            AlterColumn  // change the declared type of `table`.`column` to `columnType`
        };
        Kind kind = Kind::Statement;
        QString sql;
        // For single-table SELECTs: the table, so that the rows can be updated.
        QString updatableTable;
        // The same SELECT with the row id as its first column (named by RowIdColumn()).
        QString sqlWithRowId;
        QString table;
        QString column;
        QString columnType; // already mapped to the engine's declaration
    };

    static Result Translate(const QString& jetSql);

    // A Jet column type (TEXT(255), MEMO, LONG, Double, AUTOINCREMENT(1,1), YESNO, …) as this
    // program declares it in the engine.
    static QString MapColumnType(const QString& jetType);

    // Name of the hidden row-id column of updatable results.
    static QString RowIdColumn() { return QStringLiteral("kx_rowid"); }

    // Splits `text` at the commas that are not inside parentheses or quotes.
    static QStringList SplitTopLevel(const QString& text);
};

} // namespace kestrio
