#include "startup/StartupSequence.h"

#include "app/AccessPassword.h"
#include "app/AppContext.h"
#include "format/DemoFormats.h"
#include "storage/SchemaUpgrade.h"
#include "storage/ShippedDatabase.h"

namespace kestrio {

bool StartupSequence::OpenData(AppContext& app)
{
    // A failure to make the file shows up as the connection message below.
    bool created = false;
    ShippedDatabase::CreateIfMissing(app.Paths().DatabasePath(), nullptr, &created);
    const bool opened = app.DbOp().OpenDatabase();
    SchemaUpgrade::Run(app.DbOp());
    // A new file starts with the demo formats, so that the first start shows a cheque to fill
    // in. They are a convenience: a failure leaves the user with an empty library, unasked.
    if (created && opened) DemoFormats::Install(app.DbOp(), app.Paths().Folder());
    return opened;
}

StartupSequence::Next StartupSequence::Start(AppContext& app)
{
    OpenData(app);
    if (!app.Instance().Acquire()) return Next::AnotherInstanceRuns;
    app.ChosenValue.clear();
    AccessPassword password(app.Parameters());
    return password.IsSet() ? Next::AskPassword : Next::ShowMainWindow;
}

} // namespace kestrio
