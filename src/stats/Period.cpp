#include "Period.h"

#include "platform/Cp1250.h"

#include <algorithm>

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

std::array<std::vector<std::string>, 10> widestCellCandidates(const ConnectionLog& log, std::int32_t rows,
                                                              const RegionalSettings& rs)
{
    std::array<std::vector<std::string>, 10> out;
    if (rows <= 0)
        return out;
    // Texts taken from the log: a few of each length, since glyph widths differ.
    constexpr std::size_t kPerLength = 8;
    struct TextColumn
    {
        int column;
        std::vector<std::vector<std::int32_t>> byLength; // record indices, by the cell's byte length
    };
    TextColumn texts[] = {{0, {}}, {1, {}}, {2, {}}, {8, {}}, {9, {}}};
    auto textLength = [&](const TConnectionRecord& r, int column) -> std::size_t {
        switch (column) {
        case 0:
            return r.textLength[TConnectionRecord::Date] + 1u + r.textLength[TConnectionRecord::Time];
        case 1:
            return r.textLength[TConnectionRecord::Day];
        case 2:
            return r.textLength[TConnectionRecord::Duration];
        case 8:
            return r.textLength[TConnectionRecord::Utilisation];
        default:
            return r.textLength[TConnectionRecord::Isp];
        }
    };
    auto sameText = [&](std::int32_t a, std::int32_t b, int column) {
        using T = TConnectionRecord;
        switch (column) {
        case 0:
            return log.text(a, T::Date) == log.text(b, T::Date) &&
                   log.text(a, T::Time) == log.text(b, T::Time);
        case 1:
            return log.text(a, T::Day) == log.text(b, T::Day);
        case 2:
            return log.text(a, T::Duration) == log.text(b, T::Duration);
        case 8:
            return log.text(a, T::Utilisation) == log.text(b, T::Utilisation);
        default:
            return log.text(a, T::Isp) == log.text(b, T::Isp);
        }
    };
    // Number columns: the widest text belongs to the smallest or the largest value.
    std::int32_t lowest[5]{}, highest[5]{};
    std::int32_t lowestAt[5]{}, highestAt[5]{};
    for (std::int32_t row = 1; row <= rows; ++row) {
        const std::int32_t k = recordOfRow(log, row);
        const TConnectionRecord& r = log.Records[static_cast<std::size_t>(k)];
        for (TextColumn& t : texts) {
            const std::size_t len = textLength(r, t.column);
            if (t.byLength.size() <= len)
                t.byLength.resize(len + 1);
            auto& same = t.byLength[len];
            if (same.size() < kPerLength && std::none_of(same.begin(), same.end(), [&](std::int32_t other) {
                    return sameText(other, k, t.column);
                }))
                same.push_back(k);
        }
        const std::int32_t values[5] = {r.Price, r.Impulses, r.Received, r.Sent, r.Speed};
        for (int i = 0; i < 5; ++i) {
            if (row == 1 || values[i] < lowest[i]) {
                lowest[i] = values[i];
                lowestAt[i] = k;
            }
            if (row == 1 || values[i] > highest[i]) {
                highest[i] = values[i];
                highestAt[i] = k;
            }
        }
    }
    for (const TextColumn& t : texts)
        for (const auto& same : t.byLength)
            for (std::int32_t k : same)
                out[static_cast<std::size_t>(t.column)].push_back(gridCell(log, k, t.column, rs));
    for (int i = 0; i < 5; ++i) {
        auto& column = out[static_cast<std::size_t>(3 + i)];
        column.push_back(gridCell(log, lowestAt[i], 3 + i, rs));
        column.push_back(gridCell(log, highestAt[i], 3 + i, rs));
    }
    return out;
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
