#include "JetSqlTranslator.h"

#include <QDate>
#include <QRegularExpression>
#include <QVector>

namespace kestrio {

namespace {

struct Token {
    enum class Type { Space, Word, String, Bracketed, DoubleQuoted, DateLiteral, Punct };
    Type type;
    QString text;

    bool IsWord(const char* word) const
    {
        return type == Type::Word && text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
    }
    bool IsPunct(const char* punct) const { return type == Type::Punct && text == QLatin1String(punct); }
};

using Tokens = QVector<Token>;

bool IsWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$') || c.unicode() >= 0x80;
}

// Reads a quoted run starting at `i` (the opening quote) up to its closing quote; a doubled
// quote inside stands for one quote. Returns the index after the closing quote.
qsizetype ReadQuoted(const QString& sql, qsizetype i, QChar quote)
{
    qsizetype j = i + 1;
    while (j < sql.size()) {
        if (sql[j] == quote) {
            if (j + 1 < sql.size() && sql[j + 1] == quote) {
                j += 2;
                continue;
            }
            return j + 1;
        }
        ++j;
    }
    return j;
}

qsizetype ReadUntil(const QString& sql, qsizetype i, QChar end)
{
    const qsizetype j = sql.indexOf(end, i + 1);
    return j < 0 ? sql.size() : j + 1;
}

Token::Type PunctOrDate(const QString& sql, qsizetype i, qsizetype* end)
{
    static const QRegularExpression date(QStringLiteral("\\G#[^#\\n]{1,40}#"));
    const auto match = date.match(sql, i);
    if (match.hasMatch()) {
        *end = i + match.capturedLength();
        return Token::Type::DateLiteral;
    }
    static const QStringList twoChar{QStringLiteral("<>"), QStringLiteral("<="), QStringLiteral(">="),
                                     QStringLiteral("!="), QStringLiteral("||")};
    *end = twoChar.contains(sql.mid(i, 2)) ? i + 2 : i + 1;
    return Token::Type::Punct;
}

Tokens Tokenize(const QString& sql)
{
    Tokens tokens;
    qsizetype i = 0;
    while (i < sql.size()) {
        const QChar c = sql[i];
        qsizetype end = i + 1;
        Token::Type type;
        if (c.isSpace()) {
            type = Token::Type::Space;
            while (end < sql.size() && sql[end].isSpace()) ++end;
        } else if (IsWordChar(c)) {
            type = Token::Type::Word;
            while (end < sql.size() && (IsWordChar(sql[end]) || (sql[end] == QLatin1Char('.') && c.isDigit())))
                ++end;
        } else if (c == QLatin1Char('\'')) {
            type = Token::Type::String;
            end = ReadQuoted(sql, i, c);
        } else if (c == QLatin1Char('"')) {
            type = Token::Type::DoubleQuoted;
            end = ReadQuoted(sql, i, c);
        } else if (c == QLatin1Char('[')) {
            type = Token::Type::Bracketed;
            end = ReadUntil(sql, i, QLatin1Char(']'));
        } else {
            type = PunctOrDate(sql, i, &end);
        }
        tokens.push_back({type, sql.mid(i, end - i)});
        i = end;
    }
    return tokens;
}

QString Join(const Tokens& tokens, qsizetype from = 0, qsizetype to = -1)
{
    if (to < 0) to = tokens.size();
    QString out;
    for (qsizetype i = from; i < to; ++i) out += tokens[i].text;
    return out;
}

// Index of the next token at or after `i` that is not white space, or tokens.size().
qsizetype NextSolid(const Tokens& tokens, qsizetype i)
{
    while (i < tokens.size() && tokens[i].type == Token::Type::Space) ++i;
    return i;
}

QString DateLiteralToText(const QString& literal)
{
    const QString inner = literal.mid(1, literal.size() - 2).trimmed();
    for (const char* pattern : {"yyyy-M-d", "yyyy/M/d", "M/d/yyyy", "yyyy.M.d"}) {
        const QDate date = QDate::fromString(inner, QLatin1String(pattern));
        if (date.isValid()) return QLatin1Char('\'') + date.toString(Qt::ISODate) + QLatin1Char('\'');
    }
    for (const char* pattern : {"yyyy-M-d H:m:s", "yyyy/M/d H:m:s", "M/d/yyyy H:m:s"}) {
        const QDateTime time = QDateTime::fromString(inner, QLatin1String(pattern));
        if (time.isValid())
            return QLatin1Char('\'') + time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) + QLatin1Char('\'');
    }
    return QLatin1Char('\'') + inner + QLatin1Char('\'');
}

// Token-level rewrites that apply anywhere in a statement.
void RewriteExpressions(Tokens& tokens)
{
    for (qsizetype i = 0; i < tokens.size(); ++i) {
        Token& t = tokens[i];
        if (t.IsWord("TRUE")) {
            t.text = QStringLiteral("1");
        } else if (t.IsWord("FALSE")) {
            t.text = QStringLiteral("0");
        } else if (t.IsPunct("&")) {
            t.text = QStringLiteral("||");
        } else if (t.type == Token::Type::DoubleQuoted) {
            QString inner = t.text.mid(1, t.text.size() - 2);
            inner.replace(QLatin1String("\"\""), QLatin1String("\""));
            inner.replace(QLatin1Char('\''), QLatin1String("''"));
            t = {Token::Type::String, QLatin1Char('\'') + inner + QLatin1Char('\'')};
        } else if (t.type == Token::Type::DateLiteral) {
            t = {Token::Type::String, DateLiteralToText(t.text)};
        }
    }
}

// "= ANY (" becomes " IN (", "<> ALL (" becomes " NOT IN (".
void RewriteQuantifiers(Tokens& tokens)
{
    for (qsizetype i = 0; i < tokens.size(); ++i) {
        const bool any = tokens[i].IsPunct("=");
        const bool all = tokens[i].IsPunct("<>") || tokens[i].IsPunct("!=");
        if (!any && !all) continue;
        const qsizetype q = NextSolid(tokens, i + 1);
        if (q >= tokens.size() || !tokens[q].IsWord(any ? "ANY" : "ALL")) continue;
        const qsizetype p = NextSolid(tokens, q + 1);
        if (p >= tokens.size() || !tokens[p].IsPunct("(")) continue;
        tokens[i].text = any ? QStringLiteral(" IN ") : QStringLiteral(" NOT IN ");
        tokens.remove(i + 1, p - i - 1);
    }
}

// "DELETE * FROM" becomes "DELETE FROM".
void RewriteDeleteStar(Tokens& tokens)
{
    for (qsizetype i = 0; i < tokens.size(); ++i) {
        if (!tokens[i].IsWord("DELETE")) continue;
        const qsizetype s = NextSolid(tokens, i + 1);
        if (s < tokens.size() && tokens[s].IsPunct("*")) tokens.remove(i + 1, s - i);
    }
}

// Index of the token that ends the SELECT scope opened at depth 0 from `from`: the first ")"
// that closes a parenthesis opened before `from`, or tokens.size().
qsizetype ScopeEnd(const Tokens& tokens, qsizetype from)
{
    int depth = 0;
    for (qsizetype i = from; i < tokens.size(); ++i) {
        if (tokens[i].IsPunct("(")) ++depth;
        if (tokens[i].IsPunct(")") && --depth < 0) return i;
    }
    return tokens.size();
}

// "SELECT [DISTINCT] TOP n …" becomes "SELECT [DISTINCT] … LIMIT n" at the end of that
// SELECT's scope (the whole statement or its parenthesised sub-query).
void RewriteTop(Tokens& tokens)
{
    for (qsizetype i = 0; i < tokens.size(); ++i) {
        if (!tokens[i].IsWord("SELECT")) continue;
        qsizetype t = NextSolid(tokens, i + 1);
        if (t < tokens.size() && (tokens[t].IsWord("DISTINCT") || tokens[t].IsWord("DISTINCTROW"))) {
            tokens[t].text = QStringLiteral("DISTINCT");
            t = NextSolid(tokens, t + 1);
        }
        if (t >= tokens.size() || !tokens[t].IsWord("TOP")) continue;
        const qsizetype n = NextSolid(tokens, t + 1);
        if (n >= tokens.size() || tokens[n].type != Token::Type::Word) continue;
        const QString count = tokens[n].text;
        const qsizetype after = n + 1 < tokens.size() && tokens[n + 1].type == Token::Type::Space ? n + 2 : n + 1;
        tokens.remove(t, after - t);
        const qsizetype end = ScopeEnd(tokens, t);
        tokens.insert(end, {Token::Type::Word, QStringLiteral(" LIMIT ") + count});
    }
}

QString Unquoted(const QString& name)
{
    if (name.size() >= 2 && (name.startsWith(QLatin1Char('[')) || name.startsWith(QLatin1Char('"')) ||
                             name.startsWith(QLatin1Char('`'))))
        return name.mid(1, name.size() - 2);
    return name;
}

// One column definition "name type [rest]" of CREATE TABLE or ALTER TABLE … ADD.
QString TranslateColumnDef(const QString& def)
{
    const Tokens tokens = Tokenize(def.trimmed());
    const qsizetype name = NextSolid(tokens, 0);
    if (name >= tokens.size()) return def;
    const qsizetype type = NextSolid(tokens, name + 1);
    if (type >= tokens.size() || tokens[type].type != Token::Type::Word) return def;
    qsizetype typeEnd = type + 1;
    // A type may carry arguments: TEXT(255), AUTOINCREMENT(1,1).
    const qsizetype paren = NextSolid(tokens, typeEnd);
    if (paren < tokens.size() && tokens[paren].IsPunct("(")) {
        typeEnd = paren;
        while (typeEnd < tokens.size() && !tokens[typeEnd].IsPunct(")")) ++typeEnd;
        typeEnd = qMin(typeEnd + 1, tokens.size());
    }
    const QString mapped = JetSqlTranslator::MapColumnType(Join(tokens, type, typeEnd));
    return tokens[name].text + QLatin1Char(' ') + mapped + Join(tokens, typeEnd);
}

bool TranslateCreateTable(const QString& sql, JetSqlTranslator::Result* result)
{
    static const QRegularExpression create(QStringLiteral("^\\s*CREATE\\s+TABLE\\s+([^\\s(]+)\\s*\\((.*)\\)\\s*;?\\s*$"),
                                           QRegularExpression::CaseInsensitiveOption |
                                               QRegularExpression::DotMatchesEverythingOption);
    const auto match = create.match(sql);
    if (!match.hasMatch()) return false;
    QStringList defs;
    for (const QString& def : JetSqlTranslator::SplitTopLevel(match.captured(2))) defs << TranslateColumnDef(def);
    result->sql = QStringLiteral("CREATE TABLE ") + match.captured(1) + QLatin1Char('(') +
                  defs.join(QLatin1Char(',')) + QLatin1Char(')');
    return true;
}

bool TranslateAlterTable(const QString& sql, JetSqlTranslator::Result* result)
{
    static const QRegularExpression alter(
        QStringLiteral("^\\s*ALTER\\s+TABLE\\s+(\\S+)\\s+(ADD|ALTER)\\s+(?:COLUMN\\s+)?(.*?)\\s*;?\\s*$"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    const auto match = alter.match(sql);
    if (!match.hasMatch()) return false;
    const QString table = match.captured(1);
    const QString def = match.captured(3);
    if (match.captured(2).compare(QLatin1String("ADD"), Qt::CaseInsensitive) == 0) {
        result->sql = QStringLiteral("ALTER TABLE ") + table + QStringLiteral(" ADD COLUMN ") + TranslateColumnDef(def);
        return true;
    }
    static const QRegularExpression column(QStringLiteral("^(\\[[^\\]]+\\]|\\S+)\\s+(.+)$"),
                                           QRegularExpression::DotMatchesEverythingOption);
    const auto parts = column.match(def);
    if (!parts.hasMatch()) return false;
    result->kind = JetSqlTranslator::Result::Kind::AlterColumn;
    result->table = Unquoted(table);
    result->column = Unquoted(parts.captured(1));
    result->columnType = JetSqlTranslator::MapColumnType(parts.captured(2).trimmed());
    return true;
}

// A SELECT from one table, without grouping or joins: its rows can be changed through the
// result. Returns the table name, or an empty text.
QString SingleTable(const QString& sql)
{
    static const QRegularExpression select(
        QStringLiteral("^\\s*SELECT\\s+(?!DISTINCT\\b)[^;]*?\\bFROM\\s+([^\\s,()]+)\\s*(?:WHERE\\b(.*)|ORDER\\s+BY\\b(.*))?$"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    const auto match = select.match(sql);
    if (!match.hasMatch()) return {};
    static const QRegularExpression grouping(QStringLiteral("\\b(GROUP\\s+BY|UNION|JOIN|HAVING)\\b"),
                                             QRegularExpression::CaseInsensitiveOption);
    if (grouping.match(sql).hasMatch()) return {};
    return Unquoted(match.captured(1));
}

} // namespace

QStringList JetSqlTranslator::SplitTopLevel(const QString& text)
{
    QStringList parts;
    const Tokens tokens = Tokenize(text);
    int depth = 0;
    QString current;
    for (const Token& t : tokens) {
        if (t.IsPunct("(")) ++depth;
        if (t.IsPunct(")")) --depth;
        if (depth == 0 && t.IsPunct(",")) {
            parts << current;
            current.clear();
            continue;
        }
        current += t.text;
    }
    if (!current.trimmed().isEmpty() || !parts.isEmpty()) parts << current;
    return parts;
}

QString JetSqlTranslator::MapColumnType(const QString& jetType)
{
    static const QRegularExpression shape(QStringLiteral("^\\s*([A-Za-z_]+)\\s*(\\(\\s*([^)]*)\\))?\\s*(.*)$"),
                                          QRegularExpression::DotMatchesEverythingOption);
    const auto match = shape.match(jetType);
    if (!match.hasMatch()) return jetType;
    const QString base = match.captured(1).toUpper();
    const QString args = match.captured(3).trimmed();
    const QString rest = match.captured(4).trimmed();
    const QString tail = rest.isEmpty() ? QString() : QLatin1Char(' ') + rest;
    const QString nocase = QStringLiteral(" COLLATE NOCASE");

    if (base == QLatin1String("AUTOINCREMENT") || base == QLatin1String("COUNTER") || base == QLatin1String("IDENTITY"))
        return QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT");
    if (base == QLatin1String("TEXT") || base == QLatin1String("VARCHAR") || base == QLatin1String("CHAR") ||
        base == QLatin1String("STRING")) {
        const QString size = args.isEmpty() ? QStringLiteral("255") : args;
        return QStringLiteral("TEXT(") + size + QLatin1Char(')') + nocase + tail;
    }
    // MEMO alone would get numeric affinity in the engine and turn "1.50" into 1.5.
    if (base == QLatin1String("MEMO") || base == QLatin1String("LONGTEXT") || base == QLatin1String("NOTE"))
        return QStringLiteral("LONGTEXT") + nocase + tail;
    if (base == QLatin1String("DOUBLE") || base == QLatin1String("FLOAT") || base == QLatin1String("FLOAT8") ||
        base == QLatin1String("NUMBER") || base == QLatin1String("NUMERIC"))
        return QStringLiteral("DOUBLE") + tail;
    if (base == QLatin1String("SINGLE") || base == QLatin1String("REAL") || base == QLatin1String("FLOAT4") ||
        base == QLatin1String("IEEESINGLE"))
        return QStringLiteral("SINGLE") + tail;
    if (base == QLatin1String("LONG") || base == QLatin1String("INTEGER") || base == QLatin1String("INT") ||
        base == QLatin1String("INTEGER4"))
        return QStringLiteral("LONG") + tail;
    if (base == QLatin1String("SHORT") || base == QLatin1String("SMALLINT") || base == QLatin1String("INTEGER2") ||
        base == QLatin1String("BYTE") || base == QLatin1String("TINYINT"))
        return QStringLiteral("SHORT") + tail;
    if (base == QLatin1String("YESNO") || base == QLatin1String("BIT") || base == QLatin1String("LOGICAL") ||
        base == QLatin1String("BOOLEAN") || base == QLatin1String("LOGICAL1"))
        return QStringLiteral("YESNO") + tail;
    if (base == QLatin1String("DATE") || base == QLatin1String("DATETIME") || base == QLatin1String("TIME") ||
        base == QLatin1String("TIMESTAMP"))
        return QStringLiteral("DATE") + tail;
    if (base == QLatin1String("CURRENCY") || base == QLatin1String("MONEY"))
        return QStringLiteral("CURRENCY") + tail;
    return jetType.trimmed();
}

JetSqlTranslator::Result JetSqlTranslator::Translate(const QString& jetSql)
{
    Result result;
    if (TranslateCreateTable(jetSql, &result) || TranslateAlterTable(jetSql, &result)) return result;

    Tokens tokens = Tokenize(jetSql);
    // A trailing semicolon is harmless in Jet and would end our statement early.
    while (!tokens.isEmpty() && (tokens.last().type == Token::Type::Space || tokens.last().IsPunct(";")))
        tokens.removeLast();
    RewriteDeleteStar(tokens);
    RewriteQuantifiers(tokens);
    RewriteTop(tokens);
    RewriteExpressions(tokens);
    result.sql = Join(tokens);

    result.updatableTable = SingleTable(jetSql);
    if (!result.updatableTable.isEmpty()) {
        static const QRegularExpression head(QStringLiteral("^\\s*SELECT\\s"), QRegularExpression::CaseInsensitiveOption);
        QString withRowId = result.sql;
        const auto match = head.match(withRowId);
        withRowId.insert(match.capturedEnd(), QStringLiteral("_rowid_ AS ") + RowIdColumn() + QLatin1Char(','));
        result.sqlWithRowId = withRowId;
    }
    return result;
}

} // namespace kestrio
