#include "tariff/ImpulseComputation.h"

#include "platform/Cp1250.h"
#include "stats/Period.h"
#include "support/RecordingPrompts.h"
#include "support/TempDir.h"
#include "tariff/Sviatky.h"
#include "tariff/Tarifa.h"

#include <gtest/gtest.h>

using namespace evidor;
using evidor::test::RecordingPrompts;
using evidor::test::TempDir;

namespace {

TPasmo band(const char* from, const char* to, int length, int price, bool weekend = false)
{
    auto t = [](const char* s) {
        int h = 0, m = 0, sec = 0;
        std::sscanf(s, "%d:%d:%d", &h, &m, &sec);
        return timeOfDay(h, m, sec);
    };
    return {t(from), t(to), price, length, weekend};
}

Instant at(int day, int month, int year, int h, int m, int s)
{
    return Instant::of({year, month, day}, h * 3600 + m * 60 + s);
}

struct RecordingStats : IStatisticsHooks
{
    int clears = 0;
    struct Time
    {
        Instant start, end;
        int weekday;
    };
    std::vector<Time> times;
    std::vector<std::array<int, 3>> impulses; // weekday, month, price

    void ClearStatistics() override { ++clears; }
    void AddConnectionTime(const Instant& s, const Instant& e, int w) override { times.push_back({s, e, w}); }
    void AddImpulse(int w, int m, std::int32_t p) override { impulses.push_back({w, m, p}); }
    std::vector<int> prices() const
    {
        std::vector<int> out;
        for (const auto& i : impulses)
            out.push_back(i[2]);
        return out;
    }
};

/// A program directory with a tariff, a holiday list and a computation over them.
struct Program
{
    TempDir dir;
    RecordingPrompts prompts;
    RecordingStats stats;
    WeekendValues weekend; // each test its own, so no test sees another's weekend band
    ImpulseComputation comp{prompts, stats, weekend};

    void tariff(const std::vector<TPasmo>& bands, const std::string& name = "t.tfa")
    {
        dir.write(name, *encodeTarifa(TTarifa{"test", bands}, static_cast<int>(bands.size())));
    }
    void holidays(const std::string& text) { dir.write("sviatky.dat", *utf8ToCp1250(text)); }
    void load(const std::string& name = "t.tfa")
    {
        comp.LoadComputationTariff(dir.path(), name);
        comp.LoadHolidayDates(dir.path(), slovakRegional());
    }
};

std::string logLine(const std::string& date, const std::string& time, const std::string& duration, int price,
                    int impulses)
{
    return date + " " + time + " Po " + duration + " " + std::to_string(price) + " " +
           std::to_string(impulses) + " 1000 20000 33600 50 Slovak Telecom\r\n";
}

/// The main window as the pass sees it; making a row current is recorded among the prompts'
/// events so the order of beep, row and box shows.
class Window : public LogPeriodHost
{
public:
    Window(const std::string& dir, const std::string& tariff, const ConnectionLog& log, std::int32_t rows,
           bool kontrola, RecordingPrompts& prompts)
        : LogPeriodHost(dir, tariff, log, rows, kontrola), m_prompts(prompts)
    {
    }
    void makeRowCurrent(std::int32_t row) override
    {
        LogPeriodHost::makeRowCurrent(row);
        m_prompts.events.push_back("row " + std::to_string(row));
    }

private:
    RecordingPrompts& m_prompts;
};

} // namespace

TEST(ImpulseComputationTest, WalksAsTheOperatorBills)
{
    const TPasmo allDay60 = band("00:00:00", "23:59:59", 60, 100);
    const TPasmo day120 = band("07:00:00", "18:59:59", 120, 150);
    const TPasmo evening240 = band("19:00:00", "23:59:59", 240, 90);
    const TPasmo evening120 = band("19:00:00", "23:59:59", 120, 90);
    const TPasmo weekend120 = band("00:00:00", "23:59:59", 120, 50, true);
    struct Case
    {
        const char* name;
        std::vector<TPasmo> bands;
        Instant start;
        std::int64_t duration;
        std::vector<int> prices;   // one per impulse
        std::vector<int> weekdays; // empty: not checked
    };
    // 2001-01-03 is a Wednesday, 2001-01-05 a Friday.
    const Case cases[] = {
        {"zero duration", {allDay60}, at(3, 1, 2001, 10, 0, 0), 0, {100}, {4}},
        {"00:01:59 with 60 s", {allDay60}, at(3, 1, 2001, 10, 0, 0), 119, {100, 100}, {}},
        {"00:02:00 with 60 s", {allDay60}, at(3, 1, 2001, 10, 0, 0), 120, {100, 100, 100}, {}},
        {"band border, 00:06:00", {day120, evening240}, at(3, 1, 2001, 18, 58, 30), 360, {150, 90, 90}, {}},
        {"band border, 00:05:59", {day120, evening240}, at(3, 1, 2001, 18, 58, 30), 359, {150, 90}, {}},
        {"Friday into the weekend",
         {evening120, weekend120},
         at(5, 1, 2001, 23, 58, 0),
         300,
         {90, 50, 50},
         {6, 7, 7}},
        {"impulse of 61:40",
         {band("00:00:00", "23:59:59", 3700, 500)},
         at(3, 1, 2001, 8, 0, 0),
         7200,
         {500, 500},
         {}},
        {"impulse of 99:59",
         {band("00:00:00", "23:59:59", 5999, 500)},
         at(3, 1, 2001, 8, 0, 0),
         5999,
         {500, 500},
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Program s;
        s.tariff(c.bands);
        s.holidays("");
        s.load();
        const WalkResult w = s.comp.WalkConnection(c.start, c.start.plus(c.duration));
        std::int64_t total = 0;
        for (int p : c.prices)
            total += p;
        EXPECT_EQ(w, (WalkResult{static_cast<std::int64_t>(c.prices.size()), total}));
        EXPECT_EQ(s.stats.prices(), c.prices);
        if (!c.weekdays.empty()) {
            std::vector<int> weekdays;
            for (const auto& i : s.stats.impulses)
                weekdays.push_back(i[0]);
            EXPECT_EQ(weekdays, c.weekdays);
        }
        EXPECT_TRUE(s.prompts.events.empty());
    }
}

TEST(ImpulseComputationTest, FindsTheFirstCoveringBand)
{
    Program s;
    s.tariff({band("07:30:00", "18:29:59", 60, 1), band("00:00:00", "23:59:59", 120, 2),
              band("08:00:00", "09:00:00", 180, 3), band("00:00:00", "23:59:59", 300, 4, true)});
    s.holidays("");
    s.load();
    struct Case
    {
        Instant t;
        int price;
        int length;
    };
    const Case cases[] = {
        {at(3, 1, 2001, 8, 10, 0), 1, 60},   // the earlier band wins where bands overlap
        {at(3, 1, 2001, 18, 45, 0), 2, 120}, // 07:30:00-18:29:59 does not cover 18:45
        {at(3, 1, 2001, 7, 30, 0), 1, 60},   // both bounds inclusive
        {at(3, 1, 2001, 18, 29, 59), 1, 60}, {at(3, 1, 2001, 18, 30, 0), 2, 120},
        {at(6, 1, 2001, 8, 10, 0), 4, 300}, // Saturday
        {at(7, 1, 2001, 8, 10, 0), 4, 300}, // Sunday
    };
    for (const Case& c : cases) {
        const DayClass d = s.comp.FindBand(c.t);
        EXPECT_EQ(d.weekday, c.t.weekday());
        EXPECT_EQ(d.month, 1);
        EXPECT_EQ(s.comp.priceInForce(), c.price);
        EXPECT_EQ(s.comp.lengthInForce(), c.length);
    }
}

TEST(ImpulseComputationTest, UncoveredTimeKeepsTheValuesInForce)
{
    Program s;
    s.tariff({band("07:00:00", "18:59:59", 120, 150), band("00:00:00", "23:59:59", 300, 50, true)});
    s.holidays("");
    s.load();
    EXPECT_EQ(s.comp.priceInForce(), 0);
    s.comp.FindBand(at(3, 1, 2001, 6, 0, 0));
    EXPECT_EQ(s.comp.priceInForce(), 0);
    s.comp.FindBand(at(3, 1, 2001, 10, 0, 0));
    s.comp.FindBand(at(3, 1, 2001, 20, 0, 0));
    EXPECT_EQ(s.comp.priceInForce(), 150);
    s.comp.FindBand(at(6, 1, 2001, 20, 0, 0));
    s.comp.FindBand(at(8, 1, 2001, 20, 0, 0));
    EXPECT_EQ(s.comp.priceInForce(), 50);
}

TEST(ImpulseComputationTest, AHolidayIsOneDayOfOneYear)
{
    Program s;
    s.tariff({band("00:00:00", "23:59:59", 60, 100), band("00:00:00", "23:59:59", 60, 40, true)});
    s.holidays("01.01.2001   Deň vzniku Slovenskej republiky\r\n");
    s.load();
    ASSERT_EQ(s.comp.holidayDates(), (std::vector<CivilDate>{{2001, 1, 1}}));
    // 1.1.2001 is a Monday and 1.1.2002 a Tuesday.
    EXPECT_EQ(s.comp.WalkConnection(at(1, 1, 2001, 10, 0, 0), at(1, 1, 2001, 10, 1, 0)), (WalkResult{2, 80}));
    EXPECT_EQ(s.comp.WalkConnection(at(1, 1, 2002, 10, 0, 0), at(1, 1, 2002, 10, 1, 0)),
              (WalkResult{2, 200}));
    // The holiday ends at midnight.
    EXPECT_EQ(s.comp.WalkConnection(at(1, 1, 2001, 23, 59, 0), at(2, 1, 2001, 0, 0, 0)),
              (WalkResult{2, 140}));
}

TEST(ImpulseComputationTest, WeekendValuesOutliveTheComputation)
{
    TempDir dir;
    RecordingPrompts prompts;
    WeekendValues shared;
    dir.write(
        "with.tfa",
        *encodeTarifa(
            {"", {band("00:00:00", "23:59:59", 60, 100), band("00:00:00", "23:59:59", 60, 40, true)}}, 2));
    dir.write("without.tfa", *encodeTarifa({"", {band("00:00:00", "23:59:59", 60, 100)}}, 1));
    {
        ImpulseComputation first(prompts, noStatistics(), shared);
        first.LoadComputationTariff(dir.path(), "with.tfa");
    }
    ImpulseComputation second(prompts, noStatistics(), shared);
    second.LoadComputationTariff(dir.path(), "without.tfa");
    second.FindBand(at(6, 1, 2001, 10, 0, 0));
    EXPECT_EQ(second.priceInForce(), 40);
    EXPECT_TRUE(prompts.events.empty());
}

TEST(ImpulseComputationTest, ConnectionSpanReadsTheRecord)
{
    const auto log = ConnectionLog::parse(logLine("05.01.2001", "23:58:00", "0:05:00", 0, 0) +
                                          logLine("05.01.2001", "10:00:00", "25:00:00", 0, 0) +
                                          logLine("32.01.2001", "10:00:00", "0:01:00", 0, 0) +
                                          logLine("05.01.2001", "24:00:00", "0:01:00", 0, 0) +
                                          logLine("05.01.2001", "10:00:00", "0:61:00", 0, 0));
    const auto rs = slovakRegional();
    const auto a = connectionSpan(log, 0, rs);
    ASSERT_TRUE(a);
    EXPECT_EQ(a->first, at(5, 1, 2001, 23, 58, 0));
    EXPECT_EQ(a->second, at(6, 1, 2001, 0, 3, 0));
    const auto b = connectionSpan(log, 1, rs); // a day and more is read as that many hours
    ASSERT_TRUE(b);
    EXPECT_EQ(b->second, at(6, 1, 2001, 11, 0, 0));
    EXPECT_FALSE(connectionSpan(log, 2, rs));
    EXPECT_FALSE(connectionSpan(log, 3, rs));
    EXPECT_FALSE(connectionSpan(log, 4, rs));

    // A locale with another date separator still reads the full stops of the log.
    RegionalSettings other = rs;
    other.dateSeparator = '/';
    EXPECT_TRUE(connectionSpan(log, 0, other));
}

TEST(ImpulseComputationTest, PassReportsEachMismatchInGridOrder)
{
    Program s;
    s.tariff({band("00:00:00", "23:59:59", 60, 120), band("00:00:00", "23:59:59", 120, 50, true)},
             "Slovak Telecom.tfa");
    s.holidays("");
    auto log =
        ConnectionLog::parse(logLine("03.01.2001", "10:00:00", "0:01:59", 240, 2) +   // right
                             logLine("03.02.2001", "10:00:00", "0:01:59", 240, 2) +   // other month
                             logLine("04.01.2001", "10:00:00", "0:02:00", 240, 2) +   // one impulse short
                             logLine("06.01.2001", "10:00:00", "0:04:00", 150, 3) +   // right, Saturday
                             logLine("07.01.2001", "10:00:00", "1:00:00", 1000, 31)); // price wrong
    const auto rs = slovakRegional();
    const PeriodResult period = ShowPeriod(log, 1, 2001, rs);
    ASSERT_EQ(period.rows, 4);

    Window window(s.dir.path(), "Slovak Telecom.tfa", log, period.rows, true, s.prompts);
    const PassSummary sum = s.comp.RunPeriodPass(window, rs);
    EXPECT_EQ(sum.connections, 4);
    EXPECT_EQ(sum.mismatches, 2);
    EXPECT_EQ(sum.impulses, 2 + 3 + 3 + 31);
    EXPECT_EQ(s.prompts.events, (std::vector<std::string>{"beep", "row 2", "box", "beep", "row 4", "box"}));
    ASSERT_EQ(s.prompts.shown.size(), 2u);
    EXPECT_EQ(s.prompts.shown[0].text, "Aktuálny záznam č.2 (v súbore evidor.log č.3) ma zlý počet impulzov "
                                       "a/alebo aj cenu\nSprávny počet impulzov ma byť=3 a cena=3,60 Sk");
    EXPECT_EQ(s.prompts.shown[0].caption, "Použitá tarifa: Slovak Telecom.tfa");
    EXPECT_EQ(s.prompts.shown[0].icon, IPrompts::Icon::Warning);
    EXPECT_EQ(s.prompts.shown[0].buttons, IPrompts::Buttons::Ok);
    EXPECT_EQ(s.prompts.shown[1].text, "Aktuálny záznam č.4 (v súbore evidor.log č.5) ma zlý počet impulzov "
                                       "a/alebo aj cenu\nSprávny počet impulzov ma byť=31 a cena=15,50 Sk");

    // The statistics saw every connection and impulse of the period.
    EXPECT_EQ(s.stats.clears, 1);
    ASSERT_EQ(s.stats.times.size(), 4u);
    EXPECT_EQ(s.stats.times[3].start, at(7, 1, 2001, 10, 0, 0));
    EXPECT_EQ(s.stats.times[3].end, at(7, 1, 2001, 11, 0, 0));
    EXPECT_EQ(s.stats.times[3].weekday, 1);
    EXPECT_EQ(s.stats.impulses.size(), 39u);

    // With the validation off the pass computes the same and says nothing.
    RecordingPrompts quiet;
    RecordingStats stats;
    ImpulseComputation comp(quiet, stats, s.weekend);
    Window off(s.dir.path(), "Slovak Telecom.tfa", log, period.rows, false, quiet);
    const PassSummary sumOff = comp.RunPeriodPass(off, rs);
    EXPECT_EQ(sumOff.mismatches, 2);
    EXPECT_EQ(sumOff.impulses, sum.impulses);
    EXPECT_TRUE(quiet.events.empty());
    EXPECT_TRUE(off.rowsMadeCurrent().empty());
    EXPECT_EQ(stats.impulses, s.stats.impulses);
}

TEST(ImpulseComputationTest, EmptyPeriodReadsNothing)
{
    Program s; // no tariff file, no holiday list: reading either would show a message
    auto log = ConnectionLog::parse(logLine("03.01.2001", "10:00:00", "0:01:59", 240, 2));
    const PeriodResult period = ShowPeriod(log, 2, 2001, slovakRegional());
    ASSERT_EQ(period.rows, 0);
    Window window(s.dir.path(), "t.tfa", log, period.rows, true, s.prompts);
    const PassSummary sum = s.comp.RunPeriodPass(window, slovakRegional());
    EXPECT_TRUE(sum.emptyPeriod);
    EXPECT_TRUE(s.comp.noData());
    EXPECT_TRUE(s.prompts.events.empty());
    EXPECT_EQ(s.stats.clears, 0);
}

TEST(ImpulseComputationTest, MissingFilesGiveOneImpulseWalks)
{
    const auto rs = slovakRegional();
    auto log = ConnectionLog::parse(logLine("03.01.2001", "10:00:00", "0:10:00", 120, 10) +
                                    logLine("03.01.2001", "12:00:00", "0:00:30", 120, 1));
    const PeriodResult period = ShowPeriod(log, 1, 2001, rs);

    {
        SCOPED_TRACE("no tariff file");
        Program s;
        s.holidays("");
        Window window(s.dir.path(), "gone.tfa", log, period.rows, true, s.prompts);
        const PassSummary sum = s.comp.RunPeriodPass(window, rs);
        EXPECT_TRUE(s.comp.noData());
        // Both connections count one impulse at the price in force, 0 before any band was found.
        EXPECT_EQ(sum.impulses, 2);
        EXPECT_EQ(sum.mismatches, 2);
        ASSERT_EQ(s.prompts.shown.size(), 3u);
        EXPECT_EQ(s.prompts.shown[0].text, "Chyba pri otvoreni súboru " + s.dir.file("gone.tfa"));
        EXPECT_EQ(s.prompts.shown[0].caption, "");
        EXPECT_NE(s.prompts.shown[1].text.find("ma byť=1 a cena=0,00 Sk"), std::string::npos);
        EXPECT_EQ(s.stats.times.size(), 2u);
    }
    {
        SCOPED_TRACE("no holiday list");
        Program s;
        s.tariff({band("00:00:00", "23:59:59", 60, 120), band("00:00:00", "23:59:59", 60, 50, true)});
        Window window(s.dir.path(), "t.tfa", log, period.rows, true, s.prompts);
        const PassSummary sum = s.comp.RunPeriodPass(window, rs);
        EXPECT_TRUE(s.comp.noData());
        EXPECT_EQ(sum.impulses, 2);
        // The second connection, one impulse at 1,20 Sk, is right even so.
        EXPECT_EQ(sum.mismatches, 1);
        ASSERT_EQ(s.prompts.shown.size(), 2u);
        EXPECT_EQ(s.prompts.shown[0].text, "Neexistuje subor sviatky.dat");
        EXPECT_NE(s.prompts.shown[1].text.find("ma byť=1 a cena=1,20 Sk"), std::string::npos);
    }
}

TEST(ImpulseComputationTest, ZeroImpulseLengthEndsTheWalkAndIsReportedOncePerPass)
{
    Program s;
    // The template of a new tariff: every band of length 0:00.
    s.dir.write("nova.tfa", kTarifaTemplate);
    s.holidays("");
    const auto rs = slovakRegional();
    auto log = ConnectionLog::parse(logLine("03.01.2001", "10:00:00", "1:00:00", 0, 1) +
                                    logLine("06.01.2001", "10:00:00", "1:00:00", 0, 1));
    const PeriodResult period = ShowPeriod(log, 1, 2001, rs);
    Window window(s.dir.path(), "nova.tfa", log, period.rows, true, s.prompts);
    for (int pass = 0; pass < 2; ++pass) {
        s.prompts = {};
        const PassSummary sum = s.comp.RunPeriodPass(window, rs);
        EXPECT_EQ(sum.impulses, 2);
        EXPECT_EQ(sum.mismatches, 0);
        EXPECT_EQ(s.prompts.texts(),
                  (std::vector<std::string>{
                      "Tarifa 'nova.tfa' má pásmo s dĺžkou impulzu 0:00 (pásmo č. 1, víkendové "
                      "pásmo). Spojenie sa tam ďalej neráta: jeho výpočet končí impulzom, "
                      "ktorý tam začal."}));
    }
}

TEST(ImpulseComputationTest, UnknownImpulseLengthEndsTheWalk)
{
    Program s;
    s.tariff({band("07:00:00", "18:59:59", 120, 150)}); // no weekend band, nothing at night
    s.holidays("");
    s.load();
    EXPECT_EQ(s.comp.WalkConnection(at(3, 1, 2001, 3, 0, 0), at(3, 1, 2001, 4, 0, 0)), (WalkResult{1, 0}));
    EXPECT_EQ(s.comp.WalkConnection(at(6, 1, 2001, 3, 0, 0), at(6, 1, 2001, 4, 0, 0)), (WalkResult{1, 0}));
    ASSERT_EQ(s.prompts.shown.size(), 1u);
    EXPECT_NE(s.prompts.shown[0].text.find("nemá pásmo pre pracovný deň o 03:00:00"), std::string::npos);
}

TEST(ImpulseComputationTest, DamagedBandsAndDatesAreLeftOutAndNamed)
{
    Program s;
    const std::string bytes = "d" + std::string("\xFF\x08\x00\x00\x10\x3B\x3B\x01\x00\x01\x00", 11) +
                              std::string("\xFF\x18\x00\x00\x17\x00\x00\x01\x00\x01\x00", 11) + // hour 24
                              std::string("\xFF\x11\x00\x00\x17\x3B\x3B\x02\x00\x00\x50", 11) +
                              std::string("\xFE\x00\x00\x00\x17\x3B\x3B\x05\x00\x00\x28", 11) +
                              std::string("\xFF\x00\x00", 3);
    s.dir.write("t.tfa", bytes);
    s.holidays(
        "01.01.2001   Nový rok\r\n31.02.2001   Nikdy\r\nzajtra   Ktovie\r\n06.01.2001   Traja králi\r\n");
    s.load();
    ASSERT_EQ(s.comp.workingBands().size(), 2u);
    EXPECT_EQ(s.comp.workingBands()[0].number, 1);
    EXPECT_EQ(s.comp.workingBands()[1].number, 3);
    EXPECT_EQ(s.comp.workingBands()[1].from, 17 * 3600);
    EXPECT_EQ(s.weekend.dlzkaImpulzu, 300);
    EXPECT_EQ(s.weekend.cenaImpulzu, 40);
    EXPECT_EQ(s.comp.holidayDates(), (std::vector<CivilDate>{{2001, 1, 1}, {2001, 1, 6}}));
    EXPECT_EQ(
        s.prompts.texts(),
        (std::vector<std::string>{
            "Tarifa 't.tfa' má pásma s chybným časom alebo hodnotou, výpočet ich vynechá: pásmo č. 2.",
            "Zoznam sviatkov sviatky.dat má dátumy, ktoré nie sú dátumom, výpočet ich vynechá: '31.02.2001', "
            "'zajtra'."}));
}

TEST(ImpulseComputationTest, UnreadableRecordsAreNamedOnce)
{
    Program s;
    s.tariff({band("00:00:00", "23:59:59", 60, 120)});
    s.holidays("");
    auto log = ConnectionLog::parse(logLine("03.01.2001", "10:00:00", "0:01:59", 240, 2) +
                                    logLine("04.01.2001", "10:00:00", "nevie", 240, 2) +
                                    logLine("05.01.2001", "99:00:00", "0:01:00", 240, 2));
    const PeriodResult period = ShowPeriod(log, 1, 2001, slovakRegional());
    Window window(s.dir.path(), "t.tfa", log, period.rows, true, s.prompts);
    const PassSummary sum = s.comp.RunPeriodPass(window, slovakRegional());
    EXPECT_EQ(sum.connections, 1);
    EXPECT_EQ(sum.unreadable, 2);
    EXPECT_EQ(
        s.prompts.texts(),
        (std::vector<std::string>{"Záznamy s chybným dátumom, časom alebo dĺžkou sa nedali prepočítať (2): "
                                  "č.2 (v súbore evidor.log č.2), č.3 (v súbore evidor.log č.3)."}));
}
