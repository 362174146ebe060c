#include "Period.h"

#include "platform/Cp1250.h"

namespace evidor {

const std::array<const char*, 13> kMonthItems = {"Celý rok ...", "Január",   "Február", "Marec",  "Apríl",
                                                 "Máj",          "Jún",      "Júl",     "August", "September",
                                                 "Október",      "November", "December"};

const std::array<const char*, 10> kGridTitles = {
    "Dátum a čas", "Deň", "Dĺžka", "Cena", "Impulzy", "Prijaté", "Odoslané", "Rýchlosť", "Vyťaženie", "ISP"};

const std::array<int, 10> kGridWidths = {105, 40, 50, 54, 50, 64, 64, 64, 64, 64};

const StatusTexts kStatusInitial = {"Celkovo prenesene", "Cena za 1MB", "Priemerny tok dat"};
const StatusTexts kStatusEmptyPeriod = {" Celkovo prenesené :", " Cena za 1MB :", " Priemerný tok dát :"};

std::string periodLabel(int monthIndex, int year)
{
    if (monthIndex == 0)
        return "Celý rok " + std::to_string(year);
    return std::string(kMonthItems[static_cast<std::size_t>(monthIndex)]) + "  " + std::to_string(year);
}

namespace {

bool digitsAt(std::string_view s, std::size_t from, std::size_t count, unsigned& value)
{
    value = 0;
    for (std::size_t i = from; i < from + count; ++i) {
        const char c = s[i];
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    return true;
}

} // namespace

bool InPeriod(const ConnectionLog& log, std::int32_t i, std::uint16_t month, std::uint16_t year)
{
    const std::string_view date = log.text(i, TConnectionRecord::Date);
    unsigned m = 0, y = 0;
    if (date.size() < 10 || !digitsAt(date, 3, 2, m) || !digitsAt(date, 6, 4, y))
        return false;
    if (month == 0)
        return y == year;
    return m == month && y == year;
}

PeriodResult ShowPeriod(ConnectionLog& log, std::uint16_t month, std::uint16_t year,
                        const RegionalSettings& rs)
{
    PeriodResult res;
    PeriodTotals& t = res.totals;
    std::int32_t r = 0;
    for (std::int32_t i = 0; i < log.RecordCount; ++i) {
        if (!InPeriod(log, i, month, year))
            continue;
        log.Records[static_cast<std::size_t>(r)].RowRecord = i;
        ++r;
        const TConnectionRecord& rec = log.Records[static_cast<std::size_t>(i)];
        t.Price += rec.Price;
        t.Impulses += rec.Impulses;
        t.Received += rec.Received;
        t.Sent += rec.Sent;
        t.Speed += rec.Speed;
        t.Seconds += parseDurationSeconds(log.text(rec, TConnectionRecord::Duration), rs).value_or(0);
    }
    res.rows = r;

    PeriodLabels& l = res.labels;
    l.lCelkovyCas = formatHms(t.Seconds);
    l.CelkovaSuma = formatNumber(static_cast<double>(t.Price) * 0.01, 2, rs) + " Sk";
    if (t.Received > 1022976)
        l.CelkovoPrijate = formatNumber(static_cast<double>(t.Received) / 1048576.0, 2, rs) + " MB";
    else
        l.CelkovoPrijate = formatNumber(static_cast<double>(t.Received) / 1024.0, 2, rs) + " kB";
    l.CelkovoOdoslane = formatNumber(static_cast<double>(t.Sent) / 1024.0, 2, rs) + " kB";
    l.PriemRychlost = r == 0 ? "0 bps" : formatNumber(static_cast<double>(t.Speed / r), 0, rs) + " bps";
    l.Impulzy = std::to_string(t.Impulses);
    return res;
}

std::string gridCell(const ConnectionLog& log, std::int32_t k, int column, const RegionalSettings& rs)
{
    const TConnectionRecord& rec = log.Records[static_cast<std::size_t>(k)];
    auto txt = [&](TConnectionRecord::Text f) { return cp1250ToUtf8(log.text(rec, f)); };
    switch (column) {
    case 0:
        return txt(TConnectionRecord::Date) + " " + txt(TConnectionRecord::Time);
    case 1:
        return txt(TConnectionRecord::Day);
    case 2:
        return txt(TConnectionRecord::Duration);
    case 3:
        return formatNumber(rec.Price * 0.01, 2, rs) + " Sk";
    case 4:
        return std::to_string(rec.Impulses);
    case 5:
        return formatNumber(rec.Received / 1024.0, 2, rs) + " kB";
    case 6:
        return formatNumber(rec.Sent / 1024.0, 2, rs) + " kB";
    case 7:
        return std::to_string(rec.Speed);
    case 8:
        return txt(TConnectionRecord::Utilisation) + " %";
    case 9:
        return txt(TConnectionRecord::Isp);
    default:
        return {};
    }
}

StatusTexts rowDetails(const ConnectionLog& log, std::int32_t k, const RegionalSettings& rs)
{
    const TConnectionRecord& rec = log.Records[static_cast<std::size_t>(k)];
    // Signed 32-bit as the meter's fields are; the sum is taken in 64 bits so it cannot wrap.
    const std::int64_t total = static_cast<std::int64_t>(rec.Received) + rec.Sent;
    const double t = static_cast<double>(total);
    StatusTexts s;
    if (total > 10238976)
        s[0] = " Celkovo prenesené : " + formatNumber(t / 1048576.0, 2, rs) + " MB";
    else
        s[0] = " Celkovo prenesené : " + formatNumber(t / 1024.0, 2, rs) + " kB";
    if (total != 0)
        s[1] = " Cena za 1MB : " + formatNumber((rec.Price * 0.01) / (t / 1048576.0), 2, rs) + " Sk";
    else
        s[1] = " Cena za 1MB : - ";
    const auto d = parseDurationSeconds(log.text(rec, TConnectionRecord::Duration), rs);
    if (d && *d > 0)
        s[2] =
            " Priemerný tok dát : " + formatNumber((t / 1024.0) / static_cast<double>(*d), 2, rs) + " kB/s";
    else
        s[2] = " Priemerný tok dát : - ";
    return s;
}

} // namespace evidor
