#include "Grafy.h"

#include "app/Main.h"
#include "platform/AtomicFile.h"
#include "tariff/ImpulseComputation.h"
#include "widgets/ColorCombo.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QShortcut>
#include <QSignalBlocker>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace evidor {

namespace {

constexpr const char* kBarStyles[] = {"Rectangle", "RectGradient", "Arrow",     "Cilinder",
                                      "Ellipse",   "Pyramid",      "InvPyramid"};
const QColor kLightYellow(255, 255, 191);

} // namespace

TfGrafy::TfGrafy(TfMain& fMain, ChartStatistics& statistics, QWidget* parent)
    : QDialog(parent), m_main(fMain), m_statistics(statistics)
{
    // 1. The form and its controls.
    buildForm();
    // 2. A computation of its own: no tariff yet, band values in force 0.
    m_computation = std::make_unique<ImpulseComputation>(m_main.prompts(), m_statistics);
    // 3. The period to come back to.
    m_savedPeriod = m_main.ComboBox1->currentIndex();
    // 4. The pass, whose messages come before the window.
    RunPeriodPass();
}

TfGrafy::~TfGrafy() = default;

void TfGrafy::buildForm()
{
    setObjectName(QStringLiteral("fGrafy"));
    setWindowTitle(QStringLiteral("Grafy"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
    QFont small = font();
    small.setPointSize(8);
    setFont(small);
    resize(651, 505);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameShape(QFrame::StyledPanel);
    Panel1->setFixedHeight(105);
    layout->addWidget(Panel1);

    GroupBox2 = new QGroupBox(QStringLiteral(" Typ grafu "), Panel1);
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    GroupBox2->setGeometry(8, 8, 209, 89);
    ComboBox1 = new QComboBox(GroupBox2);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    for (const char* item : kChartKindItems)
        ComboBox1->addItem(QString::fromUtf8(item));
    ComboBox1->setGeometry(12, 36, 185, 24);

    GroupBox1 = new QGroupBox(QStringLiteral(" Vlastnosti grafu "), Panel1);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(225, 8, 418, 89);
    cb3D = new QCheckBox(QStringLiteral("3D"), GroupBox1);
    cb3D->setObjectName(QStringLiteral("cb3D"));
    cb3D->setGeometry(12, 20, 80, 20);
    cbPozadie = new QCheckBox(QStringLiteral("Pozadie"), GroupBox1);
    cbPozadie->setObjectName(QStringLiteral("cbPozadie"));
    cbPozadie->setGeometry(12, 42, 80, 20);
    ElColorCombo1 = new ColorCombo(GroupBox1);
    ElColorCombo1->setObjectName(QStringLiteral("ElColorCombo1"));
    ElColorCombo1->setGeometry(92, 40, 130, 24);
    ElColorCombo1->setColor(kLightYellow);
    cbSiet = new QCheckBox(QStringLiteral("Sieť"), GroupBox1);
    cbSiet->setObjectName(QStringLiteral("cbSiet"));
    cbSiet->setGeometry(12, 64, 80, 20);
    ComboBox2 = new QComboBox(GroupBox1);
    ComboBox2->setObjectName(QStringLiteral("ComboBox2"));
    for (const char* item : kBarStyles)
        ComboBox2->addItem(QString::fromLatin1(item));
    ComboBox2->setGeometry(244, 20, 160, 24);
    SpeedButton1 = new QToolButton(GroupBox1);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton1->setText(QStringLiteral("Export grafu"));
    SpeedButton1->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    SpeedButton1->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    SpeedButton1->setAutoRaise(true);
    SpeedButton1->setGeometry(244, 52, 160, 28);

    Graf = new Chart(this);
    Graf->setObjectName(QStringLiteral("Graf"));
    layout->addWidget(Graf, 1);
    m_graf = std::make_unique<GrafChart>(Graf->scene(), m_statistics, m_main.regional());
    Series1 = m_graf->Series1();
    Series2 = m_graf->Series2();

    SaveDialog1 = [this]() -> QString {
        QFileDialog dialog(this);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(QStringLiteral("wmf"));
        dialog.setNameFilter(QStringLiteral("Windows metafile (*.wmf)"));
        dialog.selectFile(QStringLiteral("graf"));
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return {};
        return dialog.selectedFiles().front();
    };

    connect(ComboBox1, &QComboBox::activated, this, [this] { ComboBox1Change(); });
    connect(cb3D, &QCheckBox::clicked, this, [this] { cb3DClick(); });
    connect(cbPozadie, &QCheckBox::clicked, this, [this] { cbPozadieClick(); });
    connect(ElColorCombo1, &ColorCombo::colorChanged, this, [this] { cbPozadieClick(); });
    connect(cbSiet, &QCheckBox::clicked, this, [this] { cbSietClick(); });
    connect(ComboBox2, &QComboBox::activated, this, [this] { ComboBox2Change(); });
    connect(SpeedButton1, &QToolButton::clicked, this, [this] { SpeedButton1Click(); });
    // The form sees keys before its controls do.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WindowShortcut);
    connect(escape, &QShortcut::activated, this, [this] { FormKeyDown(Qt::Key_Escape); });
}

void TfGrafy::RunPeriodPass()
{
    if (!m_computation)
        return;
    ++m_passes;
    const PassSummary summary = m_computation->RunPeriodPass(m_main, m_main.regional());
    // The pass leaves the statistics of an earlier period alone when this one has no
    // connections; its charts show nothing rather than another period's figures.
    if (summary.emptyPeriod)
        m_statistics.ClearStatistics();
}

void TfGrafy::showPeriodCaption()
{
    setWindowTitle(QStringLiteral("Grafy - ") + m_main.Obdobie->text());
}

void TfGrafy::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TfGrafy::FormShow()
{
    if (const QScreen* screen = this->screen(); screen && !parentWidget())
        move(screen->availableGeometry().center() - rect().center());
    showPeriodCaption();
    ComboBox2->setCurrentIndex(0);
    Series1->setBarStyle(BarSeries::BarStyle::Rectangle);
    ElColorCombo1->hide();
    ComboBox1->setCurrentIndex(KindDayProfile);
    ComboBox1Change();
}

void TfGrafy::ComboBox1Change()
{
    auto setMainPeriod = [this](int index) {
        {
            const QSignalBlocker block(m_main.ComboBox1);
            m_main.ComboBox1->setCurrentIndex(index);
        }
        m_main.ComboBox1Change();
        RunPeriodPass();
        showPeriodCaption();
    };
    if (m_main.ComboBox1->currentIndex() != m_savedPeriod)
        setMainPeriod(m_savedPeriod);
    const int kind = ComboBox1->currentIndex();
    switch (kind) {
    case KindDayProfile:
    case KindWeekdayTime:
    case KindWeekdayPrice:
    case KindWeekdayImpulses:
        BuildChart(kind);
        break;
    case KindMonthPrice:
        setMainPeriod(0);
        BuildChart(kind);
        break;
    default:
        break;
    }
}

void TfGrafy::BuildChart(int kind)
{
    // A new kind starts from the whole chart.
    Graf->resetZoom();
    m_graf->BuildChart(kind);
}

void TfGrafy::cb3DClick()
{
    Graf->scene().setView3D(cb3D->isChecked());
    Series2->setLineWidth(cb3D->isChecked() && ComboBox1->currentIndex() == KindDayProfile ? 1 : 2);
}

void TfGrafy::cbPozadieClick()
{
    Graf->scene().setGradientEndColor(ElColorCombo1->color());
    const bool on = cbPozadie->isChecked();
    ElColorCombo1->setVisible(on);
    Graf->scene().setGradientVisible(on);
}

void TfGrafy::cbSietClick()
{
    Graf->scene().setLeftAxisGridVisible(cbSiet->isChecked());
}

void TfGrafy::ComboBox2Change()
{
    const int index = std::clamp(ComboBox2->currentIndex(), 0, 6);
    Series1->setBarStyle(static_cast<BarSeries::BarStyle>(index));
}

void TfGrafy::SpeedButton1Click()
{
    const QString path = SaveDialog1 ? SaveDialog1() : QString();
    if (path.isEmpty())
        return;
    const std::string bytes = Graf->toMetafile();
    if (const auto error = writeFileAtomically(path.toStdString(), bytes))
        m_main.prompts().message("Graf sa nepodarilo uložiť do súboru " + path.toStdString() + "\n" + *error);
}

void TfGrafy::FormKeyDown(int key)
{
    if (key == Qt::Key_Escape)
        close();
}

void TfGrafy::done(int result)
{
    FormClose();
    QDialog::done(result);
}

void TfGrafy::FormClose()
{
    if (m_closed)
        return;
    m_closed = true;
    {
        const QSignalBlocker block(m_main.ComboBox1);
        m_main.ComboBox1->setCurrentIndex(m_savedPeriod);
    }
    m_main.ComboBox1Change();
    m_computation.reset();
}

void Grafy1Click(TfMain& fMain)
{
    auto fGrafy = std::make_unique<TfGrafy>(fMain);
    fGrafy->exec();
}

} // namespace evidor
