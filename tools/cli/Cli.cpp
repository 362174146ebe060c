#include "Cli.h"

#include "platform/AtomicFile.h"
#include "platform/Regional.h"
#include "platform/StreamPrompts.h"
#include "stats/ConnectionLog.h"
#include "stats/Period.h"
#include "tariff/ImpulseComputation.h"
#include "tariff/PeriodHost.h"

#include <chrono>
#include <ctime>
#include <filesystem>
#include <optional>

namespace evidor {

namespace {

constexpr const char* kUsage = R"(usage: evidor-cli COMMAND [OPTIONS]

Reads the Linkora meter's connection log of a program directory and shows a period of it as
the Evidor window does.

Commands:
  rows       the period's grid, header row first, one line a row, cells separated by tabs
  totals     the period's totals, one "label<TAB>text" line each
  validate   recomputes every connection of the period from the tariff and the holidays and
             lists those the meter billed differently, one line each: grid row, log record
             number, logged impulses, logged price, computed impulses, computed price (prices
             in hundredths of a crown), tab-separated; what the tariff or holiday files lack
             goes to standard error
  --help     this text

Options:
  --dir DIR         program directory with evidor.log, the tariff files and sviatky.dat
                    (default: the current directory)
  --month 0..12     the month, 0 for the whole year (default: the current month)
  --year YYYY       the year, 1000..9999 (default: the current year)
  --tariff NAME.tfa the tariff file of the program directory to validate with
                    (default: the tariff the meter's settings name)
  --locale sk|system  regional formats: Slovak, or the system's (default: system)

Exit codes: 0 done and nothing mismatched, 1 mismatching connections found (validate),
2 usage or file errors.
)";

struct Options
{
    std::string command;
    std::string dir = ".";
    int month = 0;
    int year = 0;
    bool slovak = false;
    std::optional<std::string> tariff;
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
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    o.month = local.tm_mon + 1;
    o.year = local.tm_year + 1900;
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

std::string tariffOf(const Options& o)
{
    return o.tariff.value_or(std::string());
}

int validate(const Options& o, const ConnectionLog& log, const PeriodResult& period,
             const RegionalSettings& rs, std::ostream& out, std::ostream& err)
{
    LogPeriodHost host(o.dir, tariffOf(o), log, period.rows, false);
    StreamPrompts prompts(err);
    ImpulseComputation computation(prompts);
    bool mismatched = false;
    computation.setMismatchObserver([&](std::int32_t row, std::int32_t k, const WalkResult& w) {
        const TConnectionRecord& rec = log.Records[static_cast<std::size_t>(k)];
        out << row << '\t' << k + 1 << '\t' << rec.Impulses << '\t' << rec.Price << '\t' << w.impulses << '\t'
            << w.total << '\n';
        mismatched = true;
    });
    const PassSummary summary = computation.RunPeriodPass(host, rs);
    // Without its tariff or holidays the pass compares against one impulse a connection: a
    // script must not take that for a verdict.
    if (!summary.emptyPeriod && computation.noData())
        return 2;
    return mismatched ? 1 : 0;
}

} // namespace

int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    if (!args.empty() && (args[0] == "--help" || args[0] == "-h" || args[0] == "help")) {
        out << kUsage;
        return 0;
    }
    Options o;
    try {
        o = parseOptions(args);
        if (o.command != "rows" && o.command != "totals" && o.command != "validate")
            throw UsageError{"unknown command '" + o.command + "'"};
    } catch (const UsageError& e) {
        err << "evidor-cli: " << e.text << "\nTry 'evidor-cli --help'.\n";
        return 2;
    }
    const RegionalSettings rs = o.slovak ? slovakRegional() : systemRegional();
    auto log = loadLog(o, err);
    if (!log)
        return 2;
    const PeriodResult period =
        ShowPeriod(*log, static_cast<std::uint16_t>(o.month), static_cast<std::uint16_t>(o.year), rs);
    int code = 0;
    if (o.command == "rows")
        printRows(*log, period, rs, out);
    else if (o.command == "totals")
        printTotals(o, period, out);
    else
        code = validate(o, *log, period, rs, out, err);
    out.flush();
    return code;
}

} // namespace evidor
