#include "AppContext.h"

#include "seams/UserSettings.h"

namespace kestrio {

namespace {
const QString kApplication = QStringLiteral("RUR_U");
const QString kSection = QStringLiteral("Para");
const QString kMarker = QStringLiteral("CrlfChr");
} // namespace

AppContext::AppContext(AppPaths paths, Seams seams)
    : mPaths(std::move(paths)),
      mSeams(seams),
      mDbOperate(mDatabase, seams.prompter, mPaths.DatabasePath()),
      mParams(mDbOperate),
      mInstance(mPaths.Folder())
{
}

QString AppContext::ReadLineBreakMarker()
{
    mLineBreakMarker = mSeams.settings.ReadUserSetting(kApplication, kSection, kMarker, QStringLiteral("//"));
    return mLineBreakMarker;
}

bool AppContext::SetLineBreakMarker(const QString& marker)
{
    if (marker.isEmpty()) return true;
    if (!mSeams.settings.WriteUserSetting(kApplication, kSection, kMarker, marker)) return false;
    mLineBreakMarker = marker;
    return true;
}

} // namespace kestrio
