#include "ShippedDatabase.h"

#include "Database.h"
#include "DbOperate.h"

#include <QFileInfo>

namespace kestrio {

QStringList ShippedDatabase::Statements()
{
    return {
        QStringLiteral("CREATE TABLE Fmt(ID AUTOINCREMENT(1,1),Fmt TEXT(255),LBL TEXT(255),Dir SHORT,"
                       "X SINGLE,Y SINGLE,W SINGLE,H SINGLE,S SINGLE,L SINGLE,Color LONG,fName TEXT(255),"
                       "fSize SINGLE,fBold YESNO,fItalic YESNO,fUnderline YESNO,fStrikethru YESNO,Clas SHORT,"
                       "Cash DOUBLE,RCtl DOUBLE,SumID DOUBLE,SumID1 DOUBLE,RCtl1 LONG,Mem MEMO)"),
        QStringLiteral("CREATE TABLE 历史(ID LONG,Fmt TEXT(255),CID LONG,Con MEMO)"),
        QStringLiteral("CREATE TABLE 默认(ID LONG,Fmt TEXT(255),Con MEMO)"),
        QStringLiteral("CREATE TABLE 映射(ID LONG,Fmt TEXT(255),Map MEMO)"),
        QStringLiteral("INSERT INTO Fmt(Fmt,LBL,fName,Dir,X,Y,W,H,S,L,Color,fSize,fBold,fItalic,fUnderline,"
                       "fStrikethru,Clas,Cash,RCtl,SumID,SumID1,RCtl1,Mem) "
                       "VALUES('','','',0,0,0,0,0,0,0,0,0,FALSE,FALSE,FALSE,FALSE,0,0,0,0,0,0,'')"),
    };
}

bool ShippedDatabase::CreateIfMissing(const QString& path, QString* error, bool* created,
                                      const Database::CreateSteps& steps)
{
    if (created) *created = false;
    if (QFileInfo::exists(path) || QFileInfo(path).isSymLink()) return true;
    const bool made = Database::Create(path, DbOperate::DatabaseKey(), Statements(), error, steps);
    if (created) *created = made;
    return made;
}

} // namespace kestrio
