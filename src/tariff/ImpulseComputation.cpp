#include "tariff/ImpulseComputation.h"

#include "platform/AtomicFile.h"
#include "stats/Period.h"
#include "tariff/BandRecords.h"
#include "tariff/Sviatky.h"

#include <algorithm>

namespace evidor {

IStatisticsHooks& noStatistics()
{
    static IStatisticsHooks none;
    return none;
}

WeekendValues& processWeekendValues()
{
    static WeekendValues values;
    return values;
}

namespace {

// The user's date format first; the holiday list is written with full stops whatever the
// locale, and so are the logs of a meter set to another separator.
std::optional<CivilDate> readDate(std::string_view text, const RegionalSettings& rs)
{
    if (auto d = parseDate(text, rs))
        return d;
    if (rs.dateSeparator == '.')
        return std::nullopt;
    RegionalSettings dots = rs;
    dots.dateSeparator = '.';
    return parseDate(text, dots);
}

std::optional<std::int64_t> readClock(std::string_view text, const RegionalSettings& rs)
{
    auto s = parseDurationSeconds(text, rs);
    if (!s && rs.timeSeparator != ':') {
        RegionalSettings colons = rs;
        colons.timeSeparator = ':';
        s = parseDurationSeconds(text, colons);
    }
    if (s && *s >= 86400)
        return std::nullopt;
    return s;
}

std::string joinList(const std::vector<std::string>& items, std::size_t limit)
{
    std::string out;
    for (std::size_t i = 0; i < items.size() && i < limit; ++i)
        out += (i ? ", " : "") + items[i];
    if (items.size() > limit)
        out += ", ...";
    return out;
}

std::string bandName(int number, bool weekend)
{
    return weekend ? "víkendové pásmo" : "pásmo č. " + std::to_string(number);
}

} // namespace

std::optional<std::pair<Instant, Instant>> connectionSpan(const ConnectionLog& log, std::int32_t record,
                                                          const RegionalSettings& rs)
{
    const auto date = readDate(log.text(record, TConnectionRecord::Date), rs);
    const auto clock = readClock(log.text(record, TConnectionRecord::Time), rs);
    // A duration of a day or more is read as that many hours.
    const auto duration = parseDurationSeconds(log.text(record, TConnectionRecord::Duration), rs);
    if (!date || !clock || !duration)
        return std::nullopt;
    const Instant start = Instant::of(*date, *clock);
    return std::pair{start, start.plus(*duration)};
}

ImpulseComputation::ImpulseComputation(IPrompts& prompts, IStatisticsHooks& hooks, WeekendValues& weekend)
    : m_prompts(prompts), m_hooks(hooks), m_weekend(weekend)
{
}

bool ImpulseComputation::LoadComputationTariff(const std::string& programDir,
                                               const std::string& tariffFileName)
{
    m_tariffName = tariffFileName;
    const std::string path = joinPath(programDir, tariffFileName);
    const auto bytes = readWholeFile(path);
    if (!bytes) {
        m_prompts.message("Chyba pri otvoreni súboru " + path);
        m_noData = true;
        return false;
    }

    std::vector<ComputationBand> bands;
    std::vector<std::string> skipped;
    std::vector<int> zero;
    int weekendNumber = 0;
    detail::forEachBandRecord(*bytes, [&](const detail::BandRecord& rec) {
        if (rec.size < 10)
            return false; // only whole bands count
        const int number = rec.index + 1;
        const auto band = detail::decodeBandRecord(rec.data, rec.weekend);
        if (!band) {
            skipped.push_back(bandName(number, rec.weekend));
            return true;
        }
        if (band->dlzkaImpulzu == 0)
            zero.push_back(number);
        if (rec.weekend) {
            m_weekend = {band->dlzkaImpulzu, band->cenaImpulzu, true};
            weekendNumber = number;
        } else {
            bands.push_back({secondsOfDay(band->zaciatok), secondsOfDay(band->koniec), band->dlzkaImpulzu,
                             band->cenaImpulzu, number});
        }
        return true;
    });
    m_bands = std::move(bands);
    m_zeroBands = std::move(zero);
    m_weekendNumber = weekendNumber;
    if (!skipped.empty())
        m_prompts.message("Tarifa '" + tariffFileName +
                          "' má pásma s chybným časom alebo hodnotou, výpočet ich " +
                          "vynechá: " + joinList(skipped, 30) + ".");
    return true;
}

bool ImpulseComputation::LoadHolidayDates(const std::string& programDir, const RegionalSettings& rs)
{
    m_holidayDates.clear();
    m_holidayDays.clear();
    m_cachedDay = std::numeric_limits<std::int64_t>::min();
    const auto bytes = readWholeFile(sviatkyPath(programDir));
    if (!bytes) {
        m_prompts.message(kSviatkyMissing);
        m_noData = true;
        return false;
    }
    std::vector<std::string> skipped;
    for (const TSviatok& s : parseSviatky(*bytes)) {
        if (const auto d = readDate(s.datum, rs)) {
            m_holidayDates.push_back(*d);
            m_holidayDays.push_back(daysFromCivil(*d));
        } else {
            skipped.push_back("'" + s.datum + "'");
        }
    }
    std::sort(m_holidayDays.begin(), m_holidayDays.end());
    if (!skipped.empty())
        m_prompts.message(
            "Zoznam sviatkov sviatky.dat má dátumy, ktoré nie sú dátumom, výpočet ich vynechá: " +
            joinList(skipped, 10) + ".");
    return true;
}

void ImpulseComputation::classifyDay(std::int64_t day)
{
    m_cachedDay = day;
    m_cachedClass = {weekdayNumber(day), civilFromDays(day).month};
    m_cachedWeekendDay = m_cachedClass.weekday == 1 || m_cachedClass.weekday == 7 ||
                         std::binary_search(m_holidayDays.begin(), m_holidayDays.end(), day);
}

DayClass ImpulseComputation::FindBand(const Instant& t)
{
    if (t.day != m_cachedDay)
        classifyDay(t.day);
    if (m_cachedWeekendDay) {
        m_price = m_weekend.cenaImpulzu;
        m_length = m_weekend.dlzkaImpulzu;
        m_source = Source::Weekend;
        return m_cachedClass;
    }
    for (const ComputationBand& b : m_bands) {
        if (b.from <= t.seconds && t.seconds <= b.to) {
            m_price = b.cenaImpulzu;
            m_length = b.dlzkaImpulzu;
            m_source = Source::Band;
            break;
        }
    }
    return m_cachedClass;
}

WalkResult ImpulseComputation::WalkConnection(const Instant& start, const Instant& end)
{
    WalkResult r;
    Instant cursor = start;
    for (;;) {
        const DayClass day = FindBand(cursor);
        ++r.impulses;
        r.total += m_price;
        m_hooks.AddImpulse(day.weekday, day.month, m_price);
        if (m_noData)
            break;
        // A step of 0 would never reach the end.
        if (m_length <= 0) {
            reportZeroLength(cursor);
            break;
        }
        cursor = cursor.plus(m_length);
        if (cursor > end)
            break;
    }
    return r;
}

void ImpulseComputation::reportZeroLength(const Instant& at)
{
    if (m_zeroReported)
        return;
    m_zeroReported = true;
    std::string text = "Tarifa '" + m_tariffName + "' ";
    const bool fromThisTariff =
        !m_zeroBands.empty() &&
        (m_source == Source::Band || (m_source == Source::Weekend && m_weekendNumber > 0));
    if (fromThisTariff) {
        std::vector<std::string> names;
        for (int n : m_zeroBands)
            names.push_back(bandName(n, n == m_weekendNumber));
        text += "má pásmo s dĺžkou impulzu 0:00 (" + joinList(names, 30) + ").";
    } else if (m_source == Source::Weekend) {
        text += "nemá víkendové pásmo a dĺžka impulzu cez víkendy a sviatky nie je známa.";
    } else if (m_source == Source::Band) {
        text += "neurčuje dĺžku impulzu pre čas " + formatHms(at.seconds) + ".";
    } else {
        text +=
            "nemá pásmo pre pracovný deň o " + formatHms(at.seconds) + " a dĺžka impulzu ešte nie je známa.";
    }
    text += " Spojenie sa tam ďalej neráta: jeho výpočet končí impulzom, ktorý tam začal.";
    m_prompts.message(text);
}

std::string mismatchText(std::int32_t row, std::int32_t record, const WalkResult& computed,
                         const RegionalSettings& rs)
{
    return "Aktuálny záznam č." + std::to_string(row) + " (v súbore evidor.log č." +
           std::to_string(record + 1) +
           ") ma zlý počet impulzov a/alebo aj cenu\nSprávny počet impulzov ma byť=" +
           std::to_string(computed.impulses) +
           " a cena=" + formatNumber(static_cast<double>(computed.total) / 100.0, 2, rs) + " Sk";
}

std::string mismatchCaption(const std::string& tariffFileName)
{
    return "Použitá tarifa: " + tariffFileName;
}

PassSummary ImpulseComputation::RunPeriodPass(IPeriodHost& host, const RegionalSettings& rs)
{
    PassSummary summary;
    m_noData = false;
    m_zeroReported = false;
    const std::int32_t rows = host.gridRowCount();
    if (rows == 2 && host.firstDataCellEmpty()) {
        m_noData = true;
        summary.emptyPeriod = true;
        return summary;
    }
    const std::string programDir = host.ProgramDir();
    LoadComputationTariff(programDir, host.tariffFileName());
    LoadHolidayDates(programDir, rs);
    m_hooks.ClearStatistics();

    const ConnectionLog& log = host.connectionLog();
    std::vector<std::string> unreadable;
    for (std::int32_t r = 1; r < rows; ++r) {
        if (r > log.RecordCount)
            break;
        const std::int32_t k = recordOfRow(log, r);
        const auto span = k >= 0 && k < log.RecordCount ? connectionSpan(log, k, rs) : std::nullopt;
        if (!span) {
            ++summary.unreadable;
            unreadable.push_back("č." + std::to_string(r) + " (v súbore evidor.log č." +
                                 std::to_string(k + 1) + ")");
            continue;
        }
        const auto& [start, end] = *span;
        const DayClass day = FindBand(start);
        m_hooks.AddConnectionTime(start, end, day.weekday);
        const WalkResult w = WalkConnection(start, end);
        ++summary.connections;
        summary.impulses += w.impulses;

        const TConnectionRecord& rec = log.Records[static_cast<std::size_t>(k)];
        if (rec.Impulses == w.impulses && rec.Price == w.total)
            continue;
        ++summary.mismatches;
        if (m_mismatchObserver)
            m_mismatchObserver(r, k, w);
        if (!host.Kontrola())
            continue;
        m_prompts.beep();
        host.makeRowCurrent(r);
        m_prompts.messageBox(mismatchText(r, k, w, rs), mismatchCaption(m_tariffName),
                             IPrompts::Icon::Warning, IPrompts::Buttons::Ok);
    }
    if (!unreadable.empty())
        m_prompts.message("Záznamy s chybným dátumom, časom alebo dĺžkou sa nedali prepočítať (" +
                          std::to_string(unreadable.size()) + "): " + joinList(unreadable, 5) + ".");
    return summary;
}

} // namespace evidor
