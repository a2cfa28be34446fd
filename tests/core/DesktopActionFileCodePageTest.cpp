#include "core/DesktopActionFiles.h"
#include "support/ScriptedPlatform.h"

#include <gtest/gtest.h>

namespace vespern::test {
namespace {

// The link's path reaches the shell in UTF-16 and the folder test in 8-bit text, both converted
// by the system in its own code page: a desktop below "Zoé" must stay that folder, whether the
// 8-bit text is UTF-8 or a single-byte code page.
TEST(DesktopActionFileCodePage, TheLinkPathIsConvertedInTheSystemCodePage)
{
    struct Case {
        bool singleByte;
        std::string folder; // "C:\Users\Zoé\Desktop" in the system's 8-bit text
    };
    for (const Case& c :
        { Case { false, "C:\\Users\\Zo\xC3\xA9\\Desktop" }, Case { true, "C:\\Users\\Zo\xE9\\Desktop" } }) {
        RecordingPlatform recorder;
        recorder.script().singleByteCodePage = c.singleByte;
        CreateShellLink(recorder.platform(), c.folder + "\\", "C:\\Vespern\\vespern.exe", "",
            u"C:\\Users\\Zo\u00E9\\Desktop\\SHUTDOWN.link", "shutdown", "C:\\Vespern\\Vespern.ico", 0);
        const auto calls = recorder.callsTo({ "GetFileAttributesA", "IPersistFile::Save" });
        ASSERT_EQ(calls.size(), 2u) << c.singleByte;
        EXPECT_EQ(calls[0], "GetFileAttributesA lpFileName=\"" + c.folder + "\"");
        EXPECT_NE(calls[1].find("pszFileName=L\"" + c.folder + "\\SHUTDOWN.link\""), std::string::npos) << calls[1];
    }
}

} // namespace
} // namespace vespern::test
