// The file type that makes the desktop open the desktop action files with Vespern must name
// exactly the files the command line acts on: a name missing there would open with nothing, a
// name too many would run nothing.
#include "core/ActionFiles.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace vespern {
namespace {

std::string ReadPackagingFile(const std::string& name)
{
    std::ifstream in(std::string(VESPERN_TEST_SOURCE_DIR) + "/../packaging/" + name);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> AllMatches(const std::string& text, const std::regex& pattern)
{
    std::vector<std::string> found;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), pattern); it != std::sregex_iterator(); ++it)
        found.push_back((*it)[1].str());
    return found;
}

TEST(ActionFileType, GlobsAreExactlyTheActionFileNamesWithLetterCase)
{
    const std::string xml = ReadPackagingFile("vespern-mime.xml.in");
    ASSERT_FALSE(xml.empty());

    std::vector<std::string> expected;
    for (const ActionKind kind : ActionFileOrder)
        expected.emplace_back(Info(kind).actionFile);
    EXPECT_EQ(AllMatches(xml, std::regex(R"re(<glob pattern="([^"]*)" case-sensitive="true"/>)re")), expected);
    EXPECT_EQ(AllMatches(xml, std::regex(R"re(<glob pattern="([^"]*)")re")).size(), expected.size())
        << "every glob must be case-sensitive";
    EXPECT_EQ(AllMatches(xml, std::regex(R"re(<sub-class-of type="([^"]*)"/>)re")),
        std::vector<std::string> { "application/x-ms-shortcut" });
}

} // namespace
} // namespace vespern
