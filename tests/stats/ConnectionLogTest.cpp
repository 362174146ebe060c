#include "stats/ConnectionLog.h"
#include "support/RecordingPrompts.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace evidor;
using T = TConnectionRecord;

namespace {

const char* kLine1 = "01.05.2000 10:20:00 So 0:30:00 500 5 1000 2000 33600 45 Slovanet a.s.\n";
const char* kLine2 = "02.05.2000 21:00:00 Ne 1:00:00 1200 12 3000 4000 28800 60 EuroWeb\n";

std::vector<std::string> isps(const ConnectionLog& log)
{
    std::vector<std::string> v;
    for (const auto& r : log.Records)
        v.emplace_back(log.text(r, T::Isp));
    return v;
}

} // namespace

TEST(ConnectionLogTest, ReadsFieldsInLogOrder)
{
    const auto log = ConnectionLog::parse(kLine1);
    ASSERT_EQ(log.RecordCount, 1);
    const auto& r = log.Records[0];
    EXPECT_EQ(log.text(r, T::Date), "01.05.2000");
    EXPECT_EQ(log.text(r, T::Time), "10:20:00");
    EXPECT_EQ(log.text(r, T::Day), "So");
    EXPECT_EQ(log.text(r, T::Duration), "0:30:00");
    EXPECT_EQ(r.Price, 500);
    EXPECT_EQ(r.Impulses, 5);
    EXPECT_EQ(r.Sent, 1000);     // field 7
    EXPECT_EQ(r.Received, 2000); // field 8
    EXPECT_EQ(r.Speed, 33600);
    EXPECT_EQ(log.text(r, T::Utilisation), "45");
    EXPECT_EQ(log.text(r, T::Isp), "Slovanet a.s.");
    EXPECT_EQ(r.RowRecord, 0);
}

TEST(ConnectionLogTest, LinesBlanksAndTheUnfinishedLastLine)
{
    const std::string l1 = kLine1, l2 = kLine2;
    std::string unterminated = l2.substr(0, l2.size() - 1);
    struct Case
    {
        const char* name;
        std::string bytes;
        std::vector<std::string> isps;
    };
    const Case cases[] = {
        {"empty file", "", {}},
        {"only blank lines", "\n\n\r\n", {}},
        {"two lines", l1 + l2, {"Slovanet a.s.", "EuroWeb"}},
        {"crlf line ends", "01.05.2000 10:20:00 So 0:30:00 500 5 1000 2000 33600 45 Isp X\r\n", {"Isp X"}},
        {"blank line between", l1 + "\n" + l2, {"Slovanet a.s.", "EuroWeb"}},
        {"blank line at the end", l1 + l2 + "\n", {"Slovanet a.s.", "EuroWeb"}},
        {"unterminated last line", l1 + unterminated, {"Slovanet a.s."}},
        {"unterminated last line after a blank line", l1 + "\n" + unterminated, {"Slovanet a.s."}},
        {"only an unterminated line", unterminated, {}},
        {"nothing after field ten",
         "01.05.2000 10:20:00 So 0:30:00 500 5 1000 2000 33600 45\n" + l2,
         {"", "EuroWeb"}},
        {"blanks around the provider",
         "01.05.2000 10:20:00 So 0:30:00 500 5 1 2 3 45 \t  Net  Provider \t \n",
         {"Net  Provider"}},
        {"fields taken across lines",
         "01.05.2000 10:20:00 So 0:30:00 500\n5 1000 2000 33600 45 Split\n",
         {"Split"}},
    };
    for (const auto& c : cases) {
        const auto log = ConnectionLog::parse(c.bytes);
        EXPECT_EQ(isps(log), c.isps) << c.name;
        EXPECT_EQ(log.RecordCount, static_cast<int>(c.isps.size())) << c.name;
        EXPECT_EQ(log.skippedCount, 0) << c.name;
    }
}

TEST(ConnectionLogTest, OverlongFieldsAreCutAndStayInStepWithTheLines)
{
    const std::string longIsp(100, 'P');
    const std::string bytes =
        "01.05.2000XXXXX 10:20:00:99 Sobota 0:30:00 500 5 1 2 3 45678901234 " + longIsp + " tail\n" + kLine2;
    const auto log = ConnectionLog::parse(bytes);
    ASSERT_EQ(log.RecordCount, 2);
    EXPECT_EQ(log.text(0, T::Date), "01.05.2000X");
    EXPECT_EQ(log.text(0, T::Time), "10:20:00");
    EXPECT_EQ(log.text(0, T::Day), "So");
    EXPECT_EQ(log.text(0, T::Utilisation), "4567890");
    EXPECT_EQ(log.text(0, T::Isp), std::string(47, 'P')); // 48 bytes with the blank before it
    EXPECT_EQ(log.text(1, T::Isp), "EuroWeb");
}

TEST(ConnectionLogTest, LinesWithBadNumbersAreSkippedAndNamedOnce)
{
    const std::string bytes = std::string(kLine1) + "03.05.2000 10:00:00 Ut 0:01:00 12x 1 1 1 1 1 Bad\n" +
                              kLine2 + "04.05.2000 10:00:00 St 0:01:00 1 1 1 1 99999999999 1 Big\n";
    const auto log = ConnectionLog::parse(bytes);
    EXPECT_EQ(isps(log), (std::vector<std::string>{"Slovanet a.s.", "EuroWeb"}));
    EXPECT_EQ(log.Records[1].RowRecord, 1);
    EXPECT_EQ(log.skippedCount, 2);
    EXPECT_EQ(log.firstSkipped.lineNumber, 2);
    EXPECT_EQ(log.firstSkipped.text, "12x");
    EXPECT_EQ(skippedLinesMessage(log),
              "Niektoré riadky súboru evidor.log majú chybné číslo a boli vynechané (2). "
              "Prvý z nich je riadok 2: \"12x\"");
}

TEST(ConnectionLogTest, LoadLogReportsAMissingLogAndSkippedLines)
{
    test::TempDir dir;
    test::RecordingPrompts prompts;
    auto log = LoadLog(dir.path(), prompts);
    EXPECT_EQ(log.RecordCount, 0);
    EXPECT_EQ(prompts.texts(), std::vector<std::string>{"Neexistuje subor evidor.log"});

    dir.write("evidor.log", "");
    prompts.shown.clear();
    log = LoadLog(dir.path(), prompts);
    EXPECT_EQ(log.RecordCount, 0);
    EXPECT_TRUE(prompts.shown.empty());

    dir.write("evidor.log", std::string(kLine1) + "x x x x y 1 1 1 1 1 z\n");
    log = LoadLog(dir.path(), prompts);
    EXPECT_EQ(log.RecordCount, 1);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_NE(prompts.shown[0].text.find("riadok 2: \"y\""), std::string::npos);
}
