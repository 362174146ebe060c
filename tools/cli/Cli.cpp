#include "Cli.h"

#include "ChartFile.h"
#include "charts/ChartStatistics.h"
#include "charts/GrafChart.h"
#include "platform/AtomicFile.h"
#include "platform/Hive.h"
#include "platform/Regional.h"
#include "platform/StreamPrompts.h"
#include "settings/MeterSettings.h"
#include "stats/ConnectionLog.h"
#include "stats/Period.h"
#include "tariff/ImpulseComputation.h"
#include "tariff/PeriodHost.h"

#include <QGuiApplication>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <memory>
#include <optional>

namespace evidor {

namespace {

constexpr const char* kUsage = R"(usage: evidor-cli COMMAND [OPTIONS]

Reads the Linkora meter's connection log of a program directory and shows a period of it as
the Evidor windows do.

Commands:
  rows       the period's grid, header row first, one line a row, cells separated by tabs
  totals     the period's totals, one "label<TAB>text" line each
  validate   recomputes every connection of the period from the tariff and the holidays and
             lists those the meter billed differently, one line each: grid row, log record
             number, logged impulses, logged price, computed impulses, computed price (prices
             in hundredths of a crown), tab-separated; what the tariff or holiday files lack
             goes to standard error
  stats      the chart statistics of the period as the charts window gathers them, without
             validating, tab-separated:
               25 lines "slot<TAB>seconds": connection time per hour of the day, slots 0..24
               (slot h is h:00:00 to h:59:59; slot 24 stays 0)
               7 lines "weekday<TAB>seconds<TAB>price<TAB>impulses", weekdays 1..7 with
               1 = Sunday: the time spent on that day, the price and the number of the
               impulses that began on it
               12 lines "month<TAB>price", months 1..12: the price of the impulses that began
               in that month (all 0 but the chosen month's unless --month 0)
             prices in hundredths of a crown, as the statistics keep them (the charts show
             crowns); what the tariff or holiday files lack goes to standard error
  chart      draws one chart of the charts window, as the window first shows it (flat, no
             background, no grid, plain bars), at the window's chart size of 651 x 400
             pixels, into the file given by --out
  --help     this text

Options:
  --dir DIR         program directory with evidor.log, the tariff files and sviatky.dat
                    (default: the current directory)
  --month 0..12     the month, 0 for the whole year (default: the current month)
  --year YYYY       the year, 1000..9999 (default: the current year)
  --tariff NAME.tfa the tariff file of the program directory to price with
                    (default: the tariff the meter's settings name)
  --locale sk|system  regional formats: Slovak, or the system's (default: system)
  --kind 0..4       chart only (default: 0):
                    0 "Profil dňa": seconds per hour of the day
                    1 "Čas pripojenií v dňoch": seconds per weekday, marks in percent
                    2 "Cena pripojenia v dňoch": crowns per weekday
                    3 "Počet impulzov v dňoch": impulses per weekday
                    4 "Cena pripojenií v mesiacoch": crowns per month of the whole year,
                      whatever --month says
  --out FILE        chart only: the picture to write, created or replaced; its extension
                    chooses the format: .wmf (placeable Windows metafile, as the window
                    exports), .png or .svg

Exit codes: 0 done and nothing mismatched, 1 mismatching connections found (validate),
2 usage or file errors (a missing log, a picture that cannot be written; stats and chart also
when the tariff or the holidays cannot be read, after printing or drawing what the window
would show then).
)";

struct Options
{
    std::string command;
    std::string dir = ".";
    int month = 0;
    int year = 0;
    bool slovak = false;
    std::optional<std::string> tariff;
    std::optional<int> kind;
    std::optional<std::string> out;
};

struct UsageError
{
    std::string text;
};

int parseNumber(const std::string& option, const std::string& value, int low, int high)
{
    const auto v = parseInt32(value);
    if (!v || *v < low || *v > high)
        throw UsageError{"invalid value '" + value + "' for " + option + " (expected " + std::to_string(low) +
                         ".." + std::to_string(high) + ")"};
    return *v;
}

Options parseOptions(const std::vector<std::string>& args)
{
    Options o;
    const CivilDate today = localToday();
    o.month = today.month;
    o.year = today.year;
    if (args.empty())
        throw UsageError{"no command given"};
    o.command = args[0];
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size())
                throw UsageError{"option " + a + " needs a value"};
            return args[++i];
        };
        if (a == "--dir")
            o.dir = value();
        else if (a == "--month")
            o.month = parseNumber(a, value(), 0, 12);
        else if (a == "--year")
            o.year = parseNumber(a, value(), 1000, 9999);
        else if (a == "--tariff")
            o.tariff = value();
        else if (a == "--kind")
            o.kind = parseNumber(a, value(), 0, kChartKindCount - 1);
        else if (a == "--out")
            o.out = value();
        else if (a == "--locale") {
            const std::string& v = value();
            if (v != "sk" && v != "system")
                throw UsageError{"invalid value '" + v + "' for --locale (expected sk or system)"};
            o.slovak = v == "sk";
        } else
            throw UsageError{"unknown option '" + a + "'"};
    }
    return o;
}

// A log that is missing is an error here: a script must not take it for an empty period.
std::optional<ConnectionLog> loadLog(const Options& o, std::ostream& err)
{
    const std::string path = joinPath(o.dir, "evidor.log");
    if (!std::filesystem::is_regular_file(path)) {
        err << "evidor-cli: Neexistuje subor evidor.log (" << path << ")\n";
        return std::nullopt;
    }
    StreamPrompts prompts(err);
    return LoadLog(o.dir, prompts);
}

void printRows(const ConnectionLog& log, const PeriodResult& period, const RegionalSettings& rs,
               std::ostream& out)
{
    for (std::size_t c = 0; c < kGridTitles.size(); ++c)
        out << (c ? "\t" : "") << kGridTitles[c];
    out << '\n';
    if (period.rows == 0) {
        out << std::string(kGridTitles.size() - 1, '\t') << '\n';
        return;
    }
    std::string line;
    for (std::int32_t r = 1; r <= period.rows; ++r) {
        line.clear();
        const std::int32_t k = recordOfRow(log, r);
        for (int c = 0; c < static_cast<int>(kGridTitles.size()); ++c) {
            if (c)
                line += '\t';
            line += gridCell(log, k, c, rs);
        }
        line += '\n';
        out << line;
    }
}

void printTotals(const Options& o, const PeriodResult& p, std::ostream& out)
{
    const PeriodLabels& l = p.labels;
    out << "Zúčtovacie obdobie :\t" << periodLabel(o.month, o.year) << '\n'
        << "Celkový čas :\t" << l.lCelkovyCas << '\n'
        << "Celkový počet impulzov :\t" << l.Impulzy << '\n'
        << "Celková suma :\t" << l.CelkovaSuma << '\n'
        << "Celkovo prijaté :\t" << l.CelkovoPrijate << '\n'
        << "Celkovo odoslané :\t" << l.CelkovoOdoslane << '\n'
        << "Priemerná rýchlosť :\t" << l.PriemRychlost << '\n';
}

// The tariff in use is the one the meter's settings name, unless the command line names one.
std::string tariffOf(const Options& o, std::ostream& err)
{
    if (o.tariff)
        return *o.tariff;
    StreamPrompts prompts(err);
    const std::unique_ptr<IHive> hive = openUserHive(prompts);
    return readTarif(*hive, prompts);
}

// The period pass of the charts window over the listed rows, with the validation's boxes off:
// the file messages go to `err`. False when a period with connections was walked without its
// tariff or holidays, so the figures are not the tariff's.
bool runPass(const Options& o, const ConnectionLog& log, const PeriodResult& period,
             const RegionalSettings& rs, std::ostream& err, IStatisticsHooks& hooks,
             ImpulseComputation::MismatchObserver observer = {})
{
    LogPeriodHost host(o.dir, tariffOf(o, err), log, period.rows, false);
    StreamPrompts prompts(err);
    ImpulseComputation computation(prompts, hooks);
    computation.setMismatchObserver(std::move(observer));
    const PassSummary summary = computation.RunPeriodPass(host, rs);
    return summary.emptyPeriod || !computation.noData();
}

int validate(const Options& o, const ConnectionLog& log, const PeriodResult& period,
             const RegionalSettings& rs, std::ostream& out, std::ostream& err)
{
    std::string lines;
    const bool priced = runPass(
        o, log, period, rs, err, noStatistics(), [&](std::int32_t row, std::int32_t k, const WalkResult& w) {
            const TConnectionRecord& rec = log.Records[static_cast<std::size_t>(k)];
            lines += std::to_string(row) + '\t' + std::to_string(k + 1) + '\t' +
                     std::to_string(rec.Impulses) + '\t' + std::to_string(rec.Price) + '\t' +
                     std::to_string(w.impulses) + '\t' + std::to_string(w.total) + '\n';
        });
    // Without its tariff or holidays the pass compares against one impulse a connection: its
    // list would be noise, and a script must not take it for a verdict.
    if (!priced)
        return 2;
    out << lines;
    return lines.empty() ? 0 : 1;
}

int stats(const Options& o, const ConnectionLog& log, const PeriodResult& period, const RegionalSettings& rs,
          std::ostream& out, std::ostream& err)
{
    ChartStatistics s;
    const bool priced = runPass(o, log, period, rs, err, s);
    for (int h = 0; h < ChartStatistics::kHourSlots; ++h)
        out << h << '\t' << s.hourSlot(h) << '\n';
    for (int w = 1; w <= 7; ++w)
        out << w << '\t' << s.weekdayTime(w) << '\t' << s.weekdayPrice(w) << '\t' << s.weekdayImpulses(w)
            << '\n';
    for (int m = 1; m <= 12; ++m)
        out << m << '\t' << s.monthPrice(m) << '\n';
    return priced ? 0 : 2;
}

// Qt's own notes (such as a missing runtime directory) would read as errors of the command;
// only its errors go to standard error.
void qtErrorsOnly(QtMsgType type, const QMessageLogContext&, const QString& text)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "evidor-cli: %s\n", text.toLocal8Bit().constData());
}

// The chart is drawn without a display: the program picks the offscreen platform itself.
// A caller that already runs a Qt application (a test) lends it.
class OffscreenGui
{
public:
    OffscreenGui()
    {
        if (QCoreApplication::instance())
            return;
        m_previousHandler = qInstallMessageHandler(qtErrorsOnly);
        m_app = std::make_unique<QGuiApplication>(m_argc, m_argv.data());
    }
    ~OffscreenGui()
    {
        if (m_app) {
            m_app.reset();
            qInstallMessageHandler(m_previousHandler);
        }
    }
    OffscreenGui(const OffscreenGui&) = delete;
    OffscreenGui& operator=(const OffscreenGui&) = delete;
    bool usable() const { return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr; }

private:
    char m_name[11] = "evidor-cli";
    char m_platformOption[10] = "-platform";
    char m_platform[10] = "offscreen";
    int m_argc = 3;
    std::array<char*, 4> m_argv = {m_name, m_platformOption, m_platform, nullptr};
    QtMessageHandler m_previousHandler = nullptr;
    std::unique_ptr<QGuiApplication> m_app;
};

int chart(const Options& o, ChartFileFormat format, ConnectionLog& log, const RegionalSettings& rs,
          std::ostream& err)
{
    const int kind = o.kind.value_or(KindDayProfile);
    // The month chart lists the whole year, as the window switches to it first.
    const auto month = static_cast<std::uint16_t>(kind == KindMonthPrice ? 0 : o.month);
    const PeriodResult period = ShowPeriod(log, month, static_cast<std::uint16_t>(o.year), rs);
    ChartStatistics statistics;
    const bool priced = runPass(o, log, period, rs, err, statistics);

    OffscreenGui gui;
    if (!gui.usable()) {
        err << "evidor-cli: charts need a Qt Gui application\n";
        return 2;
    }
    ChartScene scene;
    GrafChart graf(scene, statistics, rs);
    graf.BuildChart(kind);
    const std::string bytes = chartFileBytes(scene, GrafChart::kFormSize, format);
    if (const auto error = writeFileAtomically(*o.out, bytes)) {
        err << "evidor-cli: cannot write the chart to " << *o.out << " (" << *error << ")\n";
        return 2;
    }
    return priced ? 0 : 2;
}

} // namespace

int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    if (std::any_of(args.begin(), args.end(),
                    [](const std::string& a) { return a == "--help" || a == "-h"; }) ||
        (!args.empty() && args[0] == "help")) {
        out << kUsage;
        return 0;
    }
    Options o;
    std::optional<ChartFileFormat> chartFormat;
    try {
        o = parseOptions(args);
        if (o.command != "rows" && o.command != "totals" && o.command != "validate" && o.command != "stats" &&
            o.command != "chart")
            throw UsageError{"unknown command '" + o.command + "'"};
        if (o.command == "chart") {
            if (!o.out)
                throw UsageError{"chart needs --out FILE"};
            chartFormat = chartFileFormat(*o.out);
            if (!chartFormat)
                throw UsageError{"invalid value '" + *o.out +
                                 "' for --out (expected a .wmf, .png or .svg file)"};
        } else if (o.kind || o.out) {
            throw UsageError{std::string(o.kind ? "--kind" : "--out") + " is for the chart command only"};
        }
    } catch (const UsageError& e) {
        err << "evidor-cli: " << e.text << "\nTry 'evidor-cli --help'.\n";
        return 2;
    }
    const RegionalSettings rs = o.slovak ? slovakRegional() : systemRegional();
    auto log = loadLog(o, err);
    if (!log)
        return 2;
    if (o.command == "validate" || o.command == "stats" || o.command == "chart") {
        o.tariff = tariffOf(o, err);
        if (o.tariff->empty()) {
            err << "evidor-cli: no tariff in use: the meter's settings name none; choose one with --tariff "
                   "NAME.tfa\n";
            return 2;
        }
    }
    if (o.command == "chart")
        return chart(o, *chartFormat, *log, rs, err);
    const PeriodResult period =
        ShowPeriod(*log, static_cast<std::uint16_t>(o.month), static_cast<std::uint16_t>(o.year), rs);
    int code = 0;
    if (o.command == "rows")
        printRows(*log, period, rs, out);
    else if (o.command == "totals")
        printTotals(o, period, out);
    else if (o.command == "stats")
        code = stats(o, *log, period, rs, out, err);
    else
        code = validate(o, *log, period, rs, out, err);
    out.flush();
    return code;
}

} // namespace evidor
