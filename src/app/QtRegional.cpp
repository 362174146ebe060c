#include "QtRegional.h"

namespace evidor {

namespace {

// The first separator character of a date or time pattern, when it is plain ASCII.
std::optional<char> separatorOf(const QString& pattern)
{
    for (QChar ch : pattern)
        if (!ch.isLetter() && !ch.isSpace())
            return ch.unicode() < 128 ? std::optional<char>(static_cast<char>(ch.unicode())) : std::nullopt;
    return std::nullopt;
}

} // namespace

RegionalSettings regionalFromLocale(const QLocale& locale)
{
    RegionalSettings rs;
    rs.decimalSeparator = locale.decimalPoint().toStdString();
    rs.thousandSeparator = locale.groupSeparator().toStdString();
    // Regional formats use a plain blank where the locale gives a no-break one.
    if (rs.thousandSeparator == "\u00A0" || rs.thousandSeparator == "\u202F")
        rs.thousandSeparator = " ";
    // The meter writes its dates day first; a locale that orders them otherwise keeps the
    // point, so the log still reads.
    const QString date = locale.dateFormat(QLocale::ShortFormat);
    if (date.startsWith(QLatin1Char('d')))
        rs.dateSeparator = separatorOf(date).value_or('.');
    rs.timeSeparator = separatorOf(locale.timeFormat(QLocale::LongFormat)).value_or(':');
    for (int m = 1; m <= 12; ++m)
        rs.longMonthNames[static_cast<std::size_t>(m - 1)] =
            locale.standaloneMonthName(m, QLocale::LongFormat).toStdString();
    return rs;
}

} // namespace evidor
