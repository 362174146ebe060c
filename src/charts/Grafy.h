#pragma once

#include "charts/ChartStatistics.h"
#include "charts/GrafChart.h"
#include "widgets/Chart.h"

#include <QDialog>

#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QToolButton;

namespace evidor {

class ColorCombo;
class ImpulseComputation;
class TfMain;

/// The charts window: the day profile, the weekday charts and the month chart of the period the
/// main window lists, with their look, and the chart's export as a Windows metafile. Creating
/// it runs the period pass (with its validation messages) before it appears.
class TfGrafy : public QDialog
{
public:
    /// `statistics` are the program's unless a test gives its own.
    explicit TfGrafy(TfMain& fMain, ChartStatistics& statistics = ChartStatistics::program(),
                     QWidget* parent = nullptr);
    ~TfGrafy() override;

    // Controls, named as the form names them.
    QFrame* Panel1 = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QCheckBox* cb3D = nullptr;
    QCheckBox* cbPozadie = nullptr;
    ColorCombo* ElColorCombo1 = nullptr;
    QCheckBox* cbSiet = nullptr;
    QComboBox* ComboBox2 = nullptr;
    QToolButton* SpeedButton1 = nullptr;
    Chart* Graf = nullptr;
    BarSeries* Series1 = nullptr;
    LineSeries* Series2 = nullptr;

    /// SaveDialog1: asks for the metafile's path; empty when the user cancels.
    std::function<QString()> SaveDialog1;

    void FormShow();
    void ComboBox1Change();
    void cb3DClick();
    void cbPozadieClick();
    void cbSietClick();
    void ComboBox2Change();
    void SpeedButton1Click();
    /// Escape closes the window.
    void FormKeyDown(int key);
    /// Restores the main window's period and releases the computation's tariff and holidays.
    void FormClose();
    /// Fills the chart with one kind (0..4) from the statistics.
    void BuildChart(int kind);

    /// The main window's month list index when this window was created.
    int savedPeriodIndex() const { return m_savedPeriod; }
    /// How many period passes this window has run.
    int passCount() const { return m_passes; }

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    void buildForm();
    void RunPeriodPass();
    void showPeriodCaption();

    TfMain& m_main;
    ChartStatistics& m_statistics;
    std::unique_ptr<GrafChart> m_graf;
    std::unique_ptr<ImpulseComputation> m_computation;
    int m_savedPeriod = 0;
    int m_passes = 0;
    bool m_closed = false;
};

/// The main window's menu command "Grafy": a new charts window, shown modally and destroyed
/// when it closes.
void Grafy1Click(TfMain& fMain);

} // namespace evidor
