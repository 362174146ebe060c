#pragma once

#include "platform/Prompts.h"
#include "platform/Regional.h"
#include "stats/ConnectionLog.h"
#include "stats/Period.h"
#include "tariff/PeriodHost.h"

#include <QDateTime>
#include <QMainWindow>
#include <QUrl>

#include <array>
#include <functional>
#include <optional>

class QAction;
class QComboBox;
class QFrame;
class QLabel;
class QMenuBar;
class QSpinBox;
class QStatusBar;
class QToolButton;

namespace evidor {
class IHive;
}

namespace evidor {

class StringGrid;

/// What the main window takes from the process: how it talks to the user, the regional
/// formats, its directory and the seams to the desktop.
struct MainContext
{
    IPrompts* prompts = nullptr;
    RegionalSettings regional;
    std::string programDir; ///< where evidor.log and the tariffs are
    std::function<QDateTime()> now = [] { return QDateTime::currentDateTime(); };
    std::function<void(const QUrl&)> openUrl;                              ///< opens a web or mail address
    std::function<bool()> readKontrola = [] { return true; };              ///< the stored validation flag
    std::function<std::string()> readTarif = [] { return std::string(); }; ///< the tariff in use
};

/// Reads the validation flag and the tariff in use from the meter's settings on `hive`, which
/// must outlive the window; `ctx.prompts` must be set.
void useSettingsStore(MainContext& ctx, IHive& hive);

/// The statistics window: the connection log of a month or a year with its totals.
class TfMain : public QMainWindow, public IPeriodHost
{
public:
    static constexpr const char* kWebAddress = "https://www.linkora.sk";
    static constexpr const char* kMailAddress = "info@linkora.sk";

    explicit TfMain(MainContext context, QWidget* parent = nullptr);
    ~TfMain() override;

    // Shared state, read by the other windows through the one main window.
    std::int32_t SelRow = 0;
    std::int32_t SelCol = 0;
    std::uint16_t Month = 0;
    std::uint16_t Year = 0;
    PeriodTotals totals() const { return m_period.totals; }

    ConnectionLog& log() { return m_log; }
    const ConnectionLog& log() const { return m_log; }
    std::int32_t RecordCount() const { return m_log.RecordCount; }
    IPrompts& prompts() const { return *m_ctx.prompts; }
    const RegionalSettings& regional() const { return m_ctx.regional; }

    // Controls, named as the form names them.
    StringGrid* StringGrid1 = nullptr;
    QToolButton* SpeedButton1 = nullptr;
    QFrame* Panel1 = nullptr;
    QLabel* Obdobie = nullptr;
    QLabel* lCelkovyCas = nullptr;
    QLabel* Impulzy = nullptr;
    QLabel* CelkovaSuma = nullptr;
    QLabel* CelkovoPrijate = nullptr;
    QLabel* CelkovoOdoslane = nullptr;
    QLabel* PriemRychlost = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QSpinBox* RxRok = nullptr;
    QLabel* lDnes = nullptr;
    QLabel* RzURLLabel1 = nullptr;
    QLabel* RzURLLabel2 = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    std::array<QLabel*, 3> statusPanels{};
    QMenuBar* MainMenu1 = nullptr;
    QAction* Grafy1 = nullptr;
    QAction* Sluby1 = nullptr;
    QAction* Export1 = nullptr;
    QAction* Doc1 = nullptr;
    QAction* xls1 = nullptr;
    QAction* html1 = nullptr;
    QAction* Tla1 = nullptr;
    QAction* Nastavenie1 = nullptr;
    QAction* Oprograme1 = nullptr;

    /// The period changed (month list or year, or another window asked for it).
    void ComboBox1Change();
    /// Lists the selected period in the grid, the totals panel and the status bar.
    void ShowPeriod();
    bool InPeriod(std::int32_t i) const;
    void StringGrid1SelectCell(int column, int row);
    void SpeedButton1Click();

    // What the period pass of the charts window reads of this window.
    std::string ProgramDir() const override { return m_ctx.programDir; }
    std::string tariffFileName() override { return m_ctx.readTarif(); }
    std::int32_t gridRowCount() const override;
    bool firstDataCellEmpty() const override;
    const ConnectionLog& connectionLog() const override { return m_log; }
    bool Kontrola() const override { return m_kontrola; }
    void makeRowCurrent(std::int32_t row) override;
    void setKontrola(bool on) { m_kontrola = on; }

    /// Text of status bar panel 0..2.
    QString statusText(int panel) const;

    /// Handlers of the menu commands whose windows arrive later; they do nothing yet.
    std::function<void()> onGrafy, onNastavenie, onOprograme, onDoc, onXls, onHtml, onTlac;

private:
    void FormCreate();
    void buildControls();
    void buildMenu();

    MainContext m_ctx;
    bool m_kontrola = true;
    ConnectionLog m_log;
    PeriodResult m_period;
    std::optional<std::array<std::vector<std::string>, 10>> m_widest; ///< of the period listed
};

} // namespace evidor
