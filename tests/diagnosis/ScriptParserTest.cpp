#include "diagnosis/script/Script.h"

#include <gtest/gtest.h>

using namespace kw::diagnosis::script;
using namespace Qt::StringLiterals;

TEST(ScriptParser, ReadsCommandsCommentsAndBlankLines)
{
    const auto result = parseScript(u"# a comment\n\nstart   # begins\nplug 2\nplug magsafe 140\nplug-device 1\n"
                                    u"unplug\nunplug 3\nunplug magsafe\nbreak 2\nwait phase result\n"
                                    u"wait status timedOut\nsleep 0.55\nexpect seconds 25\nexpect results 3\n"_s);
    ASSERT_TRUE(result.error.isEmpty()) << result.error.toStdString();
    ASSERT_EQ(result.lines.size(), 13u);
    EXPECT_EQ(result.lines[0].number, 3);
    EXPECT_EQ(std::get<Plug>(result.lines[1].command).watts, 96) << "the default charger";
    EXPECT_EQ(std::get<Plug>(result.lines[2].command).what, Plug::What::magSafeCharger);
    EXPECT_EQ(std::get<Plug>(result.lines[2].command).watts, 140);
    EXPECT_EQ(std::get<Sleep>(result.lines[10].command).duration, std::chrono::nanoseconds(550'000'000));
    EXPECT_EQ(std::get<Expect>(result.lines[12].command).number, 3);
}

TEST(ScriptParser, RefusesBadLinesWithTheirNumber)
{
    EXPECT_EQ(parseScript(u"start\nfly\n"_s).error, u"2: unknown command 'fly'"_s);
    EXPECT_EQ(parseScript(u"plug\n"_s).error, u"1: usage: plug N [WATTS] or plug magsafe [WATTS]"_s);
    EXPECT_EQ(parseScript(u"plug x\n"_s).error, u"1: the socket must be a whole number from 1 to 99, not 'x'"_s);
    EXPECT_EQ(parseScript(u"plug 1 9000\n"_s).error, u"1: the charger's watts must be a whole number from 1 to 500, not '9000'"_s);
    EXPECT_TRUE(parseScript(u"wait phase PortTesting\n"_s).error.startsWith(u"1: 'PortTesting' is not a phase"_s));
    EXPECT_TRUE(parseScript(u"expect status done\n"_s).error.startsWith(u"1: 'done' is not a status"_s));
    EXPECT_EQ(parseScript(u"sleep -1\n"_s).error, u"1: the seconds must be a decimal number from 0 to 86400, not '-1'"_s);
    EXPECT_EQ(parseScript(u"sleep 1e9\n"_s).error, u"1: the seconds must be a decimal number from 0 to 86400, not '1e9'"_s);
    EXPECT_EQ(parseScript(u"start extra\n"_s).error, u"1: usage: start"_s);
    EXPECT_EQ(parseScript(u"quit now\n"_s).error, u"1: usage: quit"_s);
}
