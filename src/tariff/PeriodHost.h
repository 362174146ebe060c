#pragma once

#include "stats/ConnectionLog.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace evidor {

/// What the period pass reads of the main window, and the one thing it does to it.
class IPeriodHost
{
public:
    virtual ~IPeriodHost() = default;

    /// The program directory, which holds the tariff files and sviatky.dat.
    virtual std::string ProgramDir() const = 0;
    /// The tariff in use: the settings' `Tarif` (a file name with ".tfa", default empty). Asked
    /// once per pass; reading the settings may show its own message.
    virtual std::string tariffFileName() = 0;
    /// Rows of the grid, the header row included.
    virtual std::int32_t gridRowCount() const = 0;
    /// Whether the first cell of data row 1 is empty (with two rows: the empty-period marker).
    virtual bool firstDataCellEmpty() const = 0;
    /// `Records` with the row-to-record map of the listed period (see recordOfRow).
    virtual const ConnectionLog& connectionLog() const = 0;
    /// The validation flag.
    virtual bool Kontrola() const = 0;
    /// Makes grid row `row` (1-based, below the header) the current row.
    virtual void makeRowCurrent(std::int32_t row) = 0;
};

/// A host without a window: a log whose row-to-record map `ShowPeriod` wrote for `rows` rows.
/// For the command line, benchmarks and tests; it remembers the rows made current.
class LogPeriodHost : public IPeriodHost
{
public:
    LogPeriodHost(std::string programDir, std::string tariffFileName, const ConnectionLog& log,
                  std::int32_t rows, bool kontrola)
        : m_programDir(std::move(programDir)), m_tariff(std::move(tariffFileName)), m_log(log), m_rows(rows),
          m_kontrola(kontrola)
    {
    }

    std::string ProgramDir() const override { return m_programDir; }
    std::string tariffFileName() override { return m_tariff; }
    std::int32_t gridRowCount() const override { return m_rows == 0 ? 2 : m_rows + 1; }
    bool firstDataCellEmpty() const override { return m_rows == 0; }
    const ConnectionLog& connectionLog() const override { return m_log; }
    bool Kontrola() const override { return m_kontrola; }
    void makeRowCurrent(std::int32_t row) override { m_currentRows.push_back(row); }

    void setKontrola(bool on) { m_kontrola = on; }
    const std::vector<std::int32_t>& rowsMadeCurrent() const { return m_currentRows; }

private:
    std::string m_programDir;
    std::string m_tariff;
    const ConnectionLog& m_log;
    std::int32_t m_rows;
    bool m_kontrola;
    std::vector<std::int32_t> m_currentRows;
};

} // namespace evidor
