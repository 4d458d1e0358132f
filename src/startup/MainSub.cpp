#include "MainSub.h"

#include "app/AccessPassword.h"
#include "app/AppContext.h"
#include "storage/SchemaUpgrade.h"
#include "storage/ShippedDatabase.h"

namespace kestrio {

bool MainSub::OpenData(AppContext& app)
{
    // A failure to make the file shows up as the connection message below.
    ShippedDatabase::CreateIfMissing(app.Paths().DatabasePath());
    const bool opened = app.DbOp().OpenDatabase();
    SchemaUpgrade::Run(app.DbOp());
    return opened;
}

MainSub::Next MainSub::Start(AppContext& app)
{
    OpenData(app);
    if (!app.Instance().Acquire()) return Next::AnotherInstanceRuns;
    app.ChosenValue.clear();
    AccessPassword password(app.Parameters());
    return password.IsSet() ? Next::AskPassword : Next::ShowMainWindow;
}

} // namespace kestrio
