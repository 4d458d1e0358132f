// The requests and the servers of these tests run on the event loop of one application, made
// before the first test.
#include "GuiApplication.h"

#include <gtest/gtest.h>

namespace {

class WebTestEnvironment final : public ::testing::Environment {
public:
    void SetUp() override { kestrio::test::EnsureGuiApplication(); }
};

[[maybe_unused]] ::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new WebTestEnvironment);

} // namespace
