// One QApplication for the whole test program, made before the first test and gone after
// the last, while main() still runs. The windows are drawn offscreen.
#include "workbench/ui/GuiApplication.h"

#include <QApplication>

#include <gtest/gtest.h>

namespace {

class QtApplicationEnvironment final : public ::testing::Environment {
public:
    void SetUp() override
    {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        mApplication = new QApplication(mArgc, mArgv);
        kestrio::GuiApplication::RegisterFontSubstitutions();
    }

    void TearDown() override
    {
        delete mApplication;
        mApplication = nullptr;
    }

private:
    int mArgc = 1;
    char mName[16] = "kestrio_ui";
    char* mArgv[2] = {mName, nullptr};
    QApplication* mApplication = nullptr;
};

[[maybe_unused]] ::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtApplicationEnvironment);

} // namespace
