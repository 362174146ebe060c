#include "Cli.h"
#include "charts/WmfRecords.h"
#include "support/RecordingPrompts.h"
#include "support/TempDir.h"
#include "tariff/Tarifa.h"

#include <QImage>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>

using namespace evidor;

namespace {

// The meter's settings of the whole test run: an empty store of its own, never the user's.
class IsolatedSettings : public ::testing::Environment
{
public:
    void SetUp() override { ::setenv("XDG_CONFIG_HOME", m_dir.path().c_str(), 1); }

private:
    test::TempDir m_dir;
};
const auto* const kIsolatedSettings = ::testing::AddGlobalTestEnvironment(new IsolatedSettings);

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

// One all-day band of 60 s at 1,00 Sk and a weekend band of 120 s at 0,50 Sk, no holidays.
void writeTariff(const test::TempDir& dir)
{
    TTarifa t;
    t.popis = "Test";
    t.pasma = {TPasmo{0.0, timeOfDay(23, 59, 59), 100, 60, false}, TPasmo{0.0, 0.0, 50, 120, true}};
    test::RecordingPrompts quiet;
    ASSERT_TRUE(UlozTarifu(dir.file("t.tfa"), t, 2, quiet));
    dir.write("sviatky.dat", "");
}

// A Tuesday connection over three hour slots, a Saturday one into Sunday and one in June. The
// logged impulses and prices are wrong on purpose: the statistics count the tariff's.
const char* kChartLog = "02.05.2000 10:20:00 Ut 1:45:30 1 1 0 0 1 1 Slots\n"
                        "06.05.2000 23:59:00 So 0:02:00 1 1 0 0 1 1 Midnight\n"
                        "15.06.2000 21:00:00 Št 0:01:00 1 1 0 0 1 1 June\n";

struct ChartDir
{
    test::TempDir dir;
    ChartDir()
    {
        writeTariff(dir);
        dir.write("evidor.log", kChartLog);
    }
    std::vector<std::string> args(const std::string& command, std::vector<std::string> extra) const
    {
        std::vector<std::string> a = {command,    "--dir", dir.path(), "--year", "2000",
                                      "--locale", "sk",    "--tariff", "t.tfa"};
        a.insert(a.end(), extra.begin(), extra.end());
        return a;
    }
};

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
        {{"stats", "--dir", dir.path()},
         "evidor-cli: Neexistuje subor evidor.log (" + dir.file("evidor.log") + ")\n"},
        {{"stats", "--bogus"}, "evidor-cli: unknown option '--bogus'\n"},
        {{"stats", "--kind", "1"}, "evidor-cli: --kind is for the chart command only\n"},
        {{"rows", "--out", "c.png"}, "evidor-cli: --out is for the chart command only\n"},
        {{"chart", "--dir", dir.path(), "--out", dir.file("c.png")},
         "evidor-cli: Neexistuje subor evidor.log (" + dir.file("evidor.log") + ")\n"},
        {{"chart", "--kind", "5", "--out", "c.png"},
         "evidor-cli: invalid value '5' for --kind (expected 0..4)\n"},
        {{"chart", "--kind", "x", "--out", "c.png"},
         "evidor-cli: invalid value 'x' for --kind (expected 0..4)\n"},
        {{"chart", "--kind", "1"}, "evidor-cli: chart needs --out FILE\n"},
        {{"chart", "--out", "c.jpg"},
         "evidor-cli: invalid value 'c.jpg' for --out (expected a .wmf, .png or .svg file)\n"},
        {{"chart", "--out", "wmf"},
         "evidor-cli: invalid value 'wmf' for --out (expected a .wmf, .png or .svg file)\n"},
    };
    for (const auto& c : cases) {
        const auto r = cli(c.args);
        EXPECT_EQ(r.code, 2) << c.err;
        if (r.code != 2)
            continue;
        EXPECT_EQ(r.err.substr(0, r.err.find('\n') + 1), c.err);
        EXPECT_EQ(r.out, "");
    }
    EXPECT_FALSE(std::filesystem::exists(dir.file("c.png")));
    // The meter's settings of this test name no tariff.
    dir.write("evidor.log", "02.05.2000 10:00:00 Ut 0:01:59 200 2 0 0 1 1 Isp\n");
    for (const char* command : {"validate", "stats"}) {
        const auto r = cli({command, "--dir", dir.path(), "--month", "5", "--year", "2000"});
        EXPECT_EQ(r.code, 2);
        EXPECT_EQ(r.err,
                  "evidor-cli: no tariff in use: the meter's settings name none; choose one with --tariff "
                  "NAME.tfa\n");
        EXPECT_EQ(r.out, "");
    }
    EXPECT_EQ(cli({"rows", "--help"}).code, 0);
    const auto help = cli({"--help"});
    EXPECT_EQ(help.code, 0);
    for (const char* text : {"--month 0..12", "stats", "hundredths of a crown", "chart", "--kind 0..4",
                             "--out FILE", ".wmf", ".png", ".svg"})
        EXPECT_NE(help.out.find(text), std::string::npos) << text;
}

TEST(CliTest, ValidateListsMismatchesWithExitCodes)
{
    test::TempDir dir;
    writeTariff(dir);
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

TEST(CliTest, StatsAreTheChartStatisticsOfThePeriod)
{
    ChartDir d;
    const auto may = cli(d.args("stats", {"--month", "5"}));
    EXPECT_EQ(may.code, 0);
    EXPECT_EQ(may.err, "");
    std::string want;
    for (int h = 0; h < 25; ++h) {
        // 10:20:00-12:05:30 spreads over three slots; 23:59:00-00:01:00 over the last and the first.
        const int seconds = h == 0 || h == 23 ? 60 : h == 10 ? 2400 : h == 11 ? 3600 : h == 12 ? 330 : 0;
        want += std::to_string(h) + "\t" + std::to_string(seconds) + "\n";
    }
    // Weekdays 1 = Sunday .. 7 = Saturday: seconds, price in hundredths, impulses. 6330 s at a
    // minute a crown are 106 impulses (one begins at the end); the weekend minute each side of
    // midnight is one impulse of 50 on each day.
    want += "1\t60\t50\t1\n"
            "2\t0\t0\t0\n"
            "3\t6330\t10600\t106\n"
            "4\t0\t0\t0\n"
            "5\t0\t0\t0\n"
            "6\t0\t0\t0\n"
            "7\t60\t50\t1\n";
    for (int m = 1; m <= 12; ++m)
        want += std::to_string(m) + "\t" + (m == 5 ? "10700" : "0") + "\n";
    EXPECT_EQ(may.out, want);

    // The whole year adds June; a month without connections shows zeros.
    const auto year = cli(d.args("stats", {"--month", "0"}));
    EXPECT_EQ(year.code, 0);
    EXPECT_NE(year.out.find("\n5\t10700\n6\t200\n7\t0\n"), std::string::npos) << year.out;
    EXPECT_NE(year.out.find("\n5\t60\t200\t2\n"), std::string::npos) << year.out; // Thursday
    const auto july = cli(d.args("stats", {"--month", "7"}));
    EXPECT_EQ(july.code, 0);
    std::istringstream lines(july.out);
    int count = 0;
    for (std::string line; std::getline(lines, line); ++count)
        EXPECT_EQ(line.substr(line.find('\t')).find_first_not_of("\t0"), std::string::npos) << line;
    EXPECT_EQ(count, 25 + 7 + 12);
}

TEST(CliTest, StatsWithoutTheTariffTellAndExitTwo)
{
    ChartDir d;
    auto args = d.args("stats", {"--month", "5"});
    std::replace(args.begin(), args.end(), std::string("t.tfa"), std::string("none.tfa"));
    const auto r = cli(args);
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.err, "Chyba pri otvoreni súboru " + d.dir.file("none.tfa") + "\n");
    // The time does not depend on the tariff and is still counted.
    EXPECT_EQ(r.out.substr(0, r.out.find("\n11\t")),
              "0\t60\n1\t0\n2\t0\n3\t0\n4\t0\n5\t0\n6\t0\n7\t0\n8\t0\n9\t0\n10\t2400");
}

namespace {

bool hasText(const std::string& svg, const std::string& text)
{
    return svg.find(">" + text + "</text>") != std::string::npos;
}

std::string parsedSvgError(const std::string& svg)
{
    QXmlStreamReader xml(QByteArray::fromStdString(svg));
    bool root = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && !root) {
            root = true;
            if (xml.name() != QStringLiteral("svg"))
                return "root element " + xml.name().toString().toStdString();
        }
    }
    return xml.hasError() ? xml.errorString().toStdString() : std::string();
}

} // namespace

TEST(CliTest, ChartIsWrittenInTheFormatOfItsExtension)
{
    ChartDir d;
    // Kind 2: the weekday prices, marks in crowns with " Sk".
    for (const char* name : {"c.png", "c.wmf", "c.svg", "C.SVG"}) {
        const auto r = cli(d.args("chart", {"--month", "5", "--kind", "2", "--out", d.dir.file(name)}));
        EXPECT_EQ(r.code, 0) << name << r.err;
        EXPECT_EQ(r.out, "") << name;
        EXPECT_EQ(r.err, "") << name;
    }
    const QImage png(QString::fromStdString(d.dir.file("c.png")));
    ASSERT_FALSE(png.isNull());
    EXPECT_EQ(png.size(), QSize(651, 400));
    EXPECT_EQ(png.pixelColor(2, 2), QColor(Qt::white)); // no background gradient

    const std::string wmf = d.dir.read("c.wmf");
    ASSERT_GE(wmf.size(), 22u);
    EXPECT_EQ(wmf.substr(0, 4), std::string("\xD7\xCD\xC6\x9A", 4));
    const auto parsed = test::parseWmf(wmf);
    ASSERT_TRUE(parsed.valid) << parsed.error;
    EXPECT_EQ(parsed.box[2], 651);
    EXPECT_EQ(parsed.box[3], 400);
    if (std::system("command -v wmf2svg >/dev/null 2>&1") == 0) {
        const std::string cmd = "wmf2svg -o '" + d.dir.file("wmf.svg") + "' '" + d.dir.file("c.wmf") +
                                "' 2>'" + d.dir.file("err.txt") + "'";
        EXPECT_EQ(std::system(cmd.c_str()), 0) << d.dir.read("err.txt");
        EXPECT_EQ(d.dir.read("err.txt"), "");
        // At least the seven bars and their seven mark boxes.
        const std::string read = d.dir.read("wmf.svg");
        int rects = 0;
        for (auto at = read.find("<rect"); at != std::string::npos; at = read.find("<rect", at + 1))
            ++rects;
        EXPECT_GE(rects, 14);
    } else {
        ADD_FAILURE() << "wmf2svg (libwmf-bin) is not installed";
    }

    const std::string svg = d.dir.read("c.svg");
    EXPECT_EQ(parsedSvgError(svg), "");
    EXPECT_TRUE(hasText(svg, "Cena pripojení v jednotlivých dňoch"));
    EXPECT_TRUE(hasText(svg, "Cena [Sk]"));
    EXPECT_TRUE(hasText(svg, "106 Sk")); // Tuesday
    EXPECT_TRUE(hasText(svg, "0,5 Sk")); // Saturday and Sunday
    EXPECT_TRUE(hasText(svg, "Nedeľa"));
    EXPECT_EQ(d.dir.read("C.SVG"), svg);
}

TEST(CliTest, ChartKindsReadAsTheWindowShowsThem)
{
    ChartDir d;
    auto svgOf = [&](const char* kind, const char* month) {
        const auto r = cli(d.args("chart", {"--month", month, "--kind", kind, "--out", d.dir.file("k.svg")}));
        EXPECT_EQ(r.code, 0) << r.err;
        return d.dir.read("k.svg");
    };
    // The profile marks a time only where it rises above the point before.
    const std::string profile = svgOf("0", "5");
    EXPECT_TRUE(hasText(profile, "Profil dňa"));
    EXPECT_TRUE(hasText(profile, "sekundy"));
    for (const char* mark : {"00:01:00", "00:40:00", "01:00:00"})
        EXPECT_TRUE(hasText(profile, mark)) << mark;
    EXPECT_FALSE(hasText(profile, "00:05:30"));
    // Time per weekday in percent of the week.
    const std::string time = svgOf("1", "5");
    EXPECT_TRUE(hasText(time, "Dĺžka pripojenia v jednotlivých dňoch"));
    EXPECT_TRUE(hasText(time, "98,14 %"));
    EXPECT_TRUE(hasText(time, "0,93 %"));
    const std::string impulses = svgOf("3", "5");
    EXPECT_TRUE(hasText(impulses, "Počet impulzov v jednotlivých dňoch"));
    EXPECT_TRUE(hasText(impulses, "106"));
    EXPECT_FALSE(hasText(impulses, "106 Sk"));
    // The month chart lists the whole year whichever month is asked for.
    const std::string months = svgOf("4", "5");
    EXPECT_TRUE(hasText(months, "Cena za jednotlivé mesiace"));
    EXPECT_TRUE(hasText(months, "107 Sk")); // May
    EXPECT_TRUE(hasText(months, "2 Sk"));   // June
    EXPECT_TRUE(hasText(months, "Okóber"));
}

TEST(CliTest, ChartThatCannotBeWrittenIsOneLineAndExitTwo)
{
    ChartDir d;
    const std::string path = d.dir.file("none/c.png");
    const auto r = cli(d.args("chart", {"--month", "5", "--out", path}));
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.err.rfind("evidor-cli: cannot write the chart to " + path + " (", 0), 0u) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1);
    EXPECT_FALSE(std::filesystem::exists(path));

    // An existing picture is replaced.
    d.dir.write("old.wmf", "old");
    EXPECT_EQ(cli(d.args("chart", {"--month", "5", "--out", d.dir.file("old.wmf")})).code, 0);
    EXPECT_TRUE(test::parseWmf(d.dir.read("old.wmf")).valid);
}

TEST(CliTest, ProgramDrawsWithoutADisplay)
{
    ChartDir d;
    const std::string out = d.dir.file("p.png");
    const std::string cmd = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM '" EVIDOR_CLI
                            "' chart --dir '" +
                            d.dir.path() + "' --year 2000 --month 5 --tariff t.tfa --kind 4 --out '" + out +
                            "' 2>'" + d.dir.file("err.txt") + "'";
    EXPECT_EQ(std::system(cmd.c_str()), 0) << d.dir.read("err.txt");
    EXPECT_EQ(d.dir.read("err.txt"), "");
    EXPECT_EQ(QImage(QString::fromStdString(out)).size(), QSize(651, 400));
}

TEST(CliTest, ValidateTakesTheTariffInUseFromTheMetersSettings)
{
    test::TempDir dir, config;
    TTarifa t;
    t.popis = "Test";
    t.pasma = {TPasmo{0.0, timeOfDay(23, 59, 59), 100, 60, false}, TPasmo{0.0, 0.0, 50, 120, true}};
    test::RecordingPrompts quiet;
    ASSERT_TRUE(UlozTarifu(dir.file("in use.tfa"), t, 2, quiet));
    dir.write("sviatky.dat", "");
    dir.write("evidor.log", "03.05.2000 10:00:00 St 0:02:00 300 2 0 0 1 1 Wrong impulses\n");
    std::filesystem::create_directories(config.file("Linkora"));
    config.write("Linkora/registry.reg", "Windows Registry Editor Version 5.00\r\n\r\n"
                                         "[HKEY_CURRENT_USER\\Software\\Linkora\\Spy\\Tarifa]\r\n"
                                         "\"Tarif\"=\"in use.tfa\"\r\n");
    const char* saved = std::getenv("XDG_CONFIG_HOME");
    const std::string savedValue = saved ? saved : "";
    ::setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
    const auto r = cli({"validate", "--dir", dir.path(), "--year", "2000", "--month", "5"});
    if (saved)
        ::setenv("XDG_CONFIG_HOME", savedValue.c_str(), 1);
    else
        ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(r.code, 1) << r.err;
    EXPECT_EQ(r.out, "1\t1\t2\t300\t3\t300\n");
}
