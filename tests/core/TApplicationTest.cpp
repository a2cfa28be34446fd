#include "core/TApplication.h"
#include "core/VespernError.h"
#include "support/RecordingDialogs.h"

#include <gtest/gtest.h>

namespace vespern::test {
namespace {

TEST(TApplication, ErrorBoxAddsAFullStopOnlyAfterCharactersAboveIt)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        { "InitiateSystemShutdown failed", "InitiateSystemShutdown failed." },
        { "Error 42", "Error 42." },
        { "ClassID: {00021401-0000-0000-C000-000000000046}", "ClassID: {00021401-0000-0000-C000-000000000046}." },
        { "OpenProcessToken failed.", "OpenProcessToken failed." },
        { "Failed to set data for 'NoClose'", "Failed to set data for 'NoClose'" },
        { "(see above)", "(see above)" },
        { "ends with a comma,", "ends with a comma," },
        { "", "" },
    };
    for (const auto& [message, shown] : cases)
        EXPECT_EQ(ErrorBoxText(message), shown) << message;
}

TEST(TApplication, AnErrorEndsTheEventAndIsShownOnce)
{
    RecordingDialogs dialogs;
    TApplication application(dialogs);
    application.Title = "Vespern";
    bool after = false;
    EXPECT_FALSE(application.Dispatch([&] {
        throw VespernError("AdjustTokenPrivileges disable failed.");
        after = true;
    }));
    EXPECT_FALSE(after);
    const std::vector<ShownMessage> expected
        = { { "Vespern", "AdjustTokenPrivileges disable failed.", MessageIcon::Error } };
    EXPECT_EQ(dialogs.shown, expected);
    EXPECT_TRUE(application.Dispatch([] {}));
    EXPECT_EQ(dialogs.shown.size(), 1u);
}

} // namespace
} // namespace vespern::test
