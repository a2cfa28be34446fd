#include "platform/linux/system/LocaleFormat.h"

#include <gtest/gtest.h>

namespace vespern {
namespace {

TEST(LocaleFormat, StrftimeFormatsBecomeTimePictures)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        { "%H:%M:%S", "HH:mm:ss" },
        { "%T", "HH:mm:ss" },
        { "%r", "hh:mm:ss tt" },
        { "%I:%M:%S %p", "hh:mm:ss tt" },
        { "%l:%M:%S %P", "h:mm:ss tt" },
        { "%Hh%Mm%Ss", "HHhmmmsss" },
        { "%OH:%OM:%OS", "HH:mm:ss" },
        { "", "HH:mm:ss" },
    };
    for (const auto& [format, picture] : cases)
        EXPECT_EQ(TimePictureFromStrftime(format), picture) << format;
}

} // namespace
} // namespace vespern
