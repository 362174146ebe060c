#include "Cli.h"
#include "support/RecordingPrompts.h"
#include "support/TempDir.h"
#include "tariff/Tarifa.h"

#include <gtest/gtest.h>
#include <sstream>

using namespace evidor;

namespace {

struct Run
{
    int code;
    std::string out;
    std::string err;
};

Run cli(std::vector<std::string> args)
{
    std::ostringstream out, err;
    const int code = runCli(args, out, err);
    return {code, out.str(), err.str()};
}

// Two connections in May 2000, one in June; fields 7 and 8 differ so a swap would show.
const char* kLog = "02.05.2000 10:00:00 Ut 0:10:00 1000 5 1024 2097152 33600 50 Slovanet a.s.\n"
                   "15.06.2000 21:00:00 St 1:00:00 2000 10 0 0 28800 10 EuroWeb\n"
                   "20.05.2000 08:00:00 So 0:00:00 150 1 0 0 0 0 Nextra\n";

} // namespace

TEST(CliTest, RowsAreTheGridAsTheWindowShowsIt)
{
    test::TempDir dir;
    dir.write("evidor.log", kLog);
    const auto r = cli({"rows", "--dir", dir.path(), "--month", "5", "--year", "2000", "--locale", "sk"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(
        r.out,
        "Dátum a čas\tDeň\tDĺžka\tCena\tImpulzy\tPrijaté\tOdoslané\tRýchlosť\tVyťaženie\tISP\n"
        "02.05.2000 10:00:00\tUt\t0:10:00\t10,00 Sk\t5\t2 048,00 kB\t1,00 kB\t33600\t50 %\tSlovanet a.s.\n"
        "20.05.2000 08:00:00\tSo\t0:00:00\t1,50 Sk\t1\t0,00 kB\t0,00 kB\t0\t0 %\tNextra\n");
    EXPECT_EQ(r.err, "");

    const auto empty = cli({"rows", "--dir", dir.path(), "--month", "7", "--year", "2000", "--locale", "sk"});
    EXPECT_EQ(empty.code, 0);
    EXPECT_EQ(empty.out.substr(empty.out.find('\n') + 1), "\t\t\t\t\t\t\t\t\t\n");
}

TEST(CliTest, TotalsAreThePanelsLabelsAndTexts)
{
    test::TempDir dir;
    dir.write("evidor.log", kLog);
    const auto r = cli({"totals", "--dir", dir.path(), "--month", "0", "--year", "2000", "--locale", "sk"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "Zúčtovacie obdobie :\tCelý rok 2000\n"
                     "Celkový čas :\t01:10:00\n"
                     "Celkový počet impulzov :\t16\n"
                     "Celková suma :\t31,50 Sk\n"
                     "Celkovo prijaté :\t2,00 MB\n"
                     "Celkovo odoslané :\t1,00 kB\n"
                     "Priemerná rýchlosť :\t20 800 bps\n");
}

TEST(CliTest, ErrorsAreOneClearLineAndExitTwo)
{
    test::TempDir dir;
    struct Case
    {
        std::vector<std::string> args;
        std::string err;
    };
    const Case cases[] = {
        {{"totals", "--dir", dir.path()},
         "evidor-cli: Neexistuje subor evidor.log (" + dir.file("evidor.log") + ")\n"},
        {{"rows", "--month", "13"}, "evidor-cli: invalid value '13' for --month (expected 0..12)\n"},
        {{"rows", "--year"}, "evidor-cli: option --year needs a value\n"},
        {{"rows", "--bogus"}, "evidor-cli: unknown option '--bogus'\n"},
        {{"rows", "--locale", "de"}, "evidor-cli: invalid value 'de' for --locale (expected sk or system)\n"},
        {{"frobnicate"}, "evidor-cli: unknown command 'frobnicate'\n"},
        {{}, "evidor-cli: no command given\n"},
    };
    for (const auto& c : cases) {
        const auto r = cli(c.args);
        EXPECT_EQ(r.code, 2) << c.err;
        EXPECT_EQ(r.err.substr(0, r.err.find('\n') + 1), c.err);
        EXPECT_EQ(r.out, "");
    }
    const auto help = cli({"--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_NE(help.out.find("--month 0..12"), std::string::npos);
}

TEST(CliTest, ValidateListsMismatchesWithExitCodes)
{
    test::TempDir dir;
    // One all-day band of 60 s at 1,00 Sk and a weekend band of 120 s at 0,50 Sk.
    TTarifa t;
    t.popis = "Test";
    t.pasma = {TPasmo{0.0, timeOfDay(23, 59, 59), 100, 60, false}, TPasmo{0.0, 0.0, 50, 120, true}};
    test::RecordingPrompts quiet;
    ASSERT_TRUE(UlozTarifu(dir.file("t.tfa"), t, 2, quiet));
    dir.write("sviatky.dat", "");
    dir.write("evidor.log", "02.05.2000 10:00:00 Ut 0:01:59 200 2 0 0 1 1 Right\n"
                            "03.05.2000 10:00:00 St 0:02:00 300 2 0 0 1 1 Wrong impulses\n"
                            "06.05.2000 10:00:00 So 0:02:00 200 2 0 0 1 1 Wrong price\n");
    const std::vector<std::string> base = {"validate", "--dir",    dir.path(), "--year",
                                           "2000",     "--tariff", "t.tfa"};
    auto with = [&](std::vector<std::string> extra) {
        auto a = base;
        a.insert(a.end(), extra.begin(), extra.end());
        return cli(a);
    };
    const auto bad = with({"--month", "5"});
    EXPECT_EQ(bad.code, 1);
    EXPECT_EQ(bad.out, "2\t2\t2\t300\t3\t300\n3\t3\t2\t200\t2\t100\n");
    EXPECT_EQ(bad.err, "");

    dir.write("evidor.log", "02.05.2000 10:00:00 Ut 0:01:59 200 2 0 0 1 1 Right\n");
    EXPECT_EQ(with({"--month", "5"}).code, 0);
    EXPECT_EQ(with({"--month", "6"}).code, 0); // an empty period reads no file and finds nothing

    dir.write("t.tfa", "");
    const auto broken =
        cli({"validate", "--dir", dir.path(), "--year", "2000", "--month", "5", "--tariff", "none.tfa"});
    EXPECT_EQ(broken.code, 2);
    EXPECT_EQ(broken.err, "Chyba pri otvoreni súboru " + dir.file("none.tfa") + "\n");
}
