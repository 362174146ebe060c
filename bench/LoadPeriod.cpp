// Times the start-up work of the main window on a big log without any window: loading the log
// and listing a whole year, as a user switching the period would wait for it.
#include "platform/StreamPrompts.h"
#include "stats/ConnectionLog.h"
#include "stats/Period.h"

#include <chrono>
#include <cstdlib>
#include <iostream>

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::cerr << "usage: evidor-load-bench PROGRAM_DIR YEAR\n";
        return 2;
    }
    using Clock = std::chrono::steady_clock;
    auto ms = [](Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); };
    evidor::StreamPrompts prompts(std::cerr);
    const auto rs = evidor::slovakRegional();
    const auto t0 = Clock::now();
    evidor::ConnectionLog log = evidor::LoadLog(argv[1], prompts);
    const auto t1 = Clock::now();
    const auto year = static_cast<std::uint16_t>(std::atoi(argv[2]));
    const auto res = evidor::ShowPeriod(log, 0, year, rs);
    const auto t2 = Clock::now();
    const auto month = evidor::ShowPeriod(log, 5, year, rs);
    const auto t3 = Clock::now();
    std::cout << "records\t" << log.RecordCount << "\nload_ms\t" << ms(t1 - t0) << "\nyear_rows\t" << res.rows
              << "\nyear_switch_ms\t" << ms(t2 - t1) << "\nmonth_rows\t" << month.rows
              << "\nmonth_switch_ms\t" << ms(t3 - t2) << "\n";
    return 0;
}
