// The requests, the servers and the catalogue window of these tests run on the event loop of
// one application, made before the first test and drawn offscreen.
#include <QApplication>

#include <gtest/gtest.h>

namespace {

class WebTestEnvironment final : public ::testing::Environment {
public:
    void SetUp() override
    {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        mApplication = std::make_unique<QApplication>(mArgc, mArgv);
    }
    void TearDown() override { mApplication.reset(); }

private:
    int mArgc = 1;
    char mName[16] = "web_tests";
    char* mArgv[2] = {mName, nullptr};
    std::unique_ptr<QApplication> mApplication;
};

[[maybe_unused]] ::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new WebTestEnvironment);

} // namespace
