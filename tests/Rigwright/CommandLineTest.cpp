// The viewer's command line: what it runs, and paths made absolute against the folder the user
// started in.

#include "Applications/Rigwright/CommandLine.h"

#include <gtest/gtest.h>

using namespace Tess;
using EAction = CCommandLine::EAction;

TEST(CommandLine, FilesAndScriptsAreTakenFromTheStartFolder)
{
#ifdef _WIN32
    GTEST_SKIP() << "the cases are written in POSIX paths; Windows joins and roots paths its own way";
#endif
    const CCommandLine none({}, "/home/u");
    EXPECT_EQ(none.GetAction(), EAction::Run);
    EXPECT_TRUE(none.GetScript().empty());
    EXPECT_TRUE(none.GetModelFiles().empty());

    const CCommandLine files({"pump.step", "../parts/./lid.STL", "/abs/b.glb", "--", "-odd.obj"}, "/home/u/work");
    EXPECT_EQ(files.GetAction(), EAction::Run);
    EXPECT_EQ(files.GetModelFiles(), (std::vector<std::string>{"/home/u/work/pump.step", "/home/u/parts/lid.STL",
                                                                "/abs/b.glb", "/home/u/work/-odd.obj"}));
    EXPECT_TRUE(files.GetScript().empty());

    const CCommandLine script({"rigs/Valve.LUA"}, "/home/u");
    EXPECT_EQ(script.GetAction(), EAction::Run);
    EXPECT_EQ(script.GetScript(), "/home/u/rigs/Valve.LUA");
    EXPECT_TRUE(script.GetModelFiles().empty());
}

TEST(CommandLine, HelpAndVersionWinAndMistakesAreRefused)
{
#ifdef _WIN32
    GTEST_SKIP() << "the cases are written in POSIX paths; Windows joins and roots paths its own way";
#endif
    EXPECT_EQ(CCommandLine({"a.stl", "--help"}, "/").GetAction(), EAction::Help);
    EXPECT_EQ(CCommandLine({"-h"}, "/").GetAction(), EAction::Help);
    EXPECT_EQ(CCommandLine({"--version", "--bogus"}, "/").GetAction(), EAction::Version);

    for (const std::vector<std::string>& wrong :
         {std::vector<std::string>{"--bogus"}, {"a.lua", "b.lua"}, {"a.lua", "b.stl"}, {""}})
    {
        const CCommandLine line(wrong, "/");
        EXPECT_EQ(line.GetAction(), EAction::Refuse) << wrong.front();
        EXPECT_FALSE(line.GetError().empty());
    }
    // A lone "-" is a file name, as the usage promises for anything not an option.
    EXPECT_EQ(CCommandLine({"-"}, "/w").GetModelFiles(), std::vector<std::string>{"/w/-"});
    EXPECT_NE(CCommandLine::GetUsage("rigwright").find("Usage: rigwright"), std::string::npos);
}
