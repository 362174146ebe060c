#include "Main.h"

#include "settings/MeterSettings.h"
#include "widgets/StringGrid.h"

#include <QAction>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QSpinBox>
#include <QStatusBar>
#include <QToolButton>

namespace evidor {

namespace {

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text)
{
    auto* l = new QLabel(text, parent);
    if (name)
        l->setObjectName(QString::fromLatin1(name));
    return l;
}

QString qs(const std::string& s)
{
    return QString::fromStdString(s);
}

} // namespace

void useSettingsStore(MainContext& ctx, IHive& hive)
{
    IPrompts* prompts = ctx.prompts;
    ctx.readKontrola = [&hive, prompts] { return readKontrola(hive, *prompts); };
    ctx.readTarif = [&hive, prompts] { return readTarif(hive, *prompts); };
}

TfMain::TfMain(MainContext context, QWidget* parent) : QMainWindow(parent), m_ctx(std::move(context))
{
    setObjectName(QStringLiteral("fMain"));
    setWindowTitle(QStringLiteral("Evidor pripojenia na internet"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    // The form's layout is in pixels for a small dialog font; larger ones would cut the cells.
    QFont small = font();
    small.setPointSize(8);
    setFont(small);
    buildMenu();
    buildControls();
    FormCreate();
}

TfMain::~TfMain() = default;

void TfMain::buildMenu()
{
    MainMenu1 = menuBar();
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    auto action = [this](QMenu* menu, const char* name, const QString& text, std::function<void()>* handler) {
        QAction* a = menu ? menu->addAction(text) : MainMenu1->addAction(text);
        a->setObjectName(QString::fromLatin1(name));
        connect(a, &QAction::triggered, this, [handler] {
            if (*handler)
                (*handler)();
        });
        return a;
    };
    Grafy1 = action(nullptr, "Grafy1", QStringLiteral("Grafy"), &onGrafy);

    auto* sluzby = MainMenu1->addMenu(QStringLiteral("&Služby"));
    sluzby->setObjectName(QStringLiteral("Sluby1Menu"));
    Sluby1 = sluzby->menuAction();
    Sluby1->setObjectName(QStringLiteral("Sluby1"));
    auto* export1 = sluzby->addMenu(QStringLiteral("&Export"));
    export1->setObjectName(QStringLiteral("Export1Menu"));
    Export1 = export1->menuAction();
    Export1->setObjectName(QStringLiteral("Export1"));
    Doc1 = action(export1, "Doc1", QStringLiteral("MS Word"), &onDoc);
    xls1 = action(export1, "xls1", QStringLiteral("MS Excel"), &onXls);
    html1 = action(export1, "html1", QStringLiteral("Súbor html"), &onHtml);
    Tla1 = action(sluzby, "Tla1", QStringLiteral("&Tlač..."), &onTlac);

    Nastavenie1 = action(nullptr, "Nastavenie1", QStringLiteral("&Nastavenie"), &onNastavenie);
    Oprograme1 = action(nullptr, "Oprograme1", QStringLiteral("&O programe"), &onOprograme);
}

void TfMain::buildControls()
{
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    setCentralWidget(client);

    // Totals panel, top left.
    Panel1 = new QFrame(client);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameShape(QFrame::StyledPanel);
    Panel1->setFrameShadow(QFrame::Raised);
    Panel1->setGeometry(8, 6, 392, 150);
    auto* grid = new QGridLayout(Panel1);
    grid->setContentsMargins(10, 6, 10, 6);
    grid->setVerticalSpacing(2);
    grid->setHorizontalSpacing(12);
    QFont bold = font();
    bold.setBold(true);
    auto row = [&](int r, const QString& title, QLabel*& value, const char* name, const QString& initial) {
        grid->addWidget(makeLabel(Panel1, nullptr, title), r, 0);
        value = makeLabel(Panel1, name, initial);
        value->setFont(bold);
        grid->addWidget(value, r, 1);
    };
    row(0, QStringLiteral("Zúčtovacie obdobie :"), Obdobie, "Obdobie", QStringLiteral("Január 2000"));
    row(1, QStringLiteral("Celkový čas :"), lCelkovyCas, "lCelkovyCas", QStringLiteral("00:00:00"));
    row(2, QStringLiteral("Celkový počet impulzov :"), Impulzy, "Impulzy", QStringLiteral("0"));
    row(3, QStringLiteral("Celková suma :"), CelkovaSuma, "CelkovaSuma", QStringLiteral("000,00 Sk"));
    row(4, QStringLiteral("Celkovo prijaté :"), CelkovoPrijate, "CelkovoPrijate",
        QStringLiteral("000,00 kB"));
    row(5, QStringLiteral("Celkovo odoslané :"), CelkovoOdoslane, "CelkovoOdoslane",
        QStringLiteral("000,00 kB"));
    row(6, QStringLiteral("Priemerná rýchlosť :"), PriemRychlost, "PriemRychlost",
        QStringLiteral("00 000 bps"));
    grid->setColumnStretch(1, 1);

    // Period choice, top right.
    makeLabel(client, nullptr, QStringLiteral("Mesiac :"))->setGeometry(414, 10, 60, 22);
    ComboBox1 = new QComboBox(client);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    for (const char* item : kMonthItems)
        ComboBox1->addItem(QString::fromUtf8(item));
    ComboBox1->setMaxVisibleItems(13);
    ComboBox1->setGeometry(474, 10, 162, 24);
    makeLabel(client, nullptr, QStringLiteral("Rok :"))->setGeometry(414, 42, 60, 22);
    RxRok = new QSpinBox(client);
    RxRok->setObjectName(QStringLiteral("RxRok"));
    RxRok->setRange(1000, 9999);
    RxRok->setGeometry(474, 42, 80, 24);
    // Arrows and keys only: a half-typed year would list a period nobody asked for.
    if (auto* edit = RxRok->findChild<QLineEdit*>())
        edit->setReadOnly(true);

    lDnes = makeLabel(client, "lDnes", QString());
    lDnes->setGeometry(414, 78, 222, 20);
    RzURLLabel1 = makeLabel(client, "RzURLLabel1",
                            QStringLiteral("<a href=\"%1\">%1</a>").arg(QLatin1String(kWebAddress)));
    RzURLLabel1->setGeometry(414, 106, 222, 20);
    RzURLLabel2 = makeLabel(client, "RzURLLabel2",
                            QStringLiteral("<a href=\"mailto:%1\">%1</a>").arg(QLatin1String(kMailAddress)));
    RzURLLabel2->setGeometry(414, 130, 222, 20);
    for (QLabel* link : {RzURLLabel1, RzURLLabel2}) {
        link->setTextFormat(Qt::RichText);
        link->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
        link->setCursor(Qt::PointingHandCursor);
    }
    connect(RzURLLabel1, &QLabel::linkActivated, this, [this](const QString&) {
        if (m_ctx.openUrl)
            m_ctx.openUrl(QUrl(QLatin1String(kWebAddress)));
    });
    connect(RzURLLabel2, &QLabel::linkActivated, this, [this](const QString&) {
        if (m_ctx.openUrl)
            m_ctx.openUrl(QUrl(QStringLiteral("mailto:%1?subject=Odoslane z programu Linkora")
                                   .arg(QLatin1String(kMailAddress))));
    });

    // Grid with its auto-size button above the right end.
    SpeedButton1 = new QToolButton(client);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton1->setAutoRaise(true);
    SpeedButton1->setToolTip(QStringLiteral("AutoSize"));
    SpeedButton1->setText(QStringLiteral("↔"));
    SpeedButton1->setGeometry(614, 160, 22, 20);
    StringGrid1 = new StringGrid(client);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->setGeometry(8, 182, 628, 252);

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    setStatusBar(StatusBar1);
    const int widths[3] = {230, 200, 200};
    for (int i = 0; i < 3; ++i) {
        auto* p = makeLabel(StatusBar1, nullptr, qs(kStatusInitial[static_cast<std::size_t>(i)]));
        p->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        p->setFixedWidth(widths[i]);
        p->setStyleSheet(QStringLiteral("color: blue; font-weight: bold;"));
        StatusBar1->addWidget(p);
        statusPanels[static_cast<std::size_t>(i)] = p;
    }

    client->setFixedSize(644, 440);
    setFixedSize(644, 440 + menuBar()->sizeHint().height() + StatusBar1->sizeHint().height());

    connect(ComboBox1, &QComboBox::currentIndexChanged, this, [this] { ComboBox1Change(); });
    connect(RxRok, &QSpinBox::valueChanged, this, [this] { ComboBox1Change(); });
    connect(StringGrid1, &StringGrid::cellSelected, this,
            [this](int c, int r) { StringGrid1SelectCell(c, r); });
    connect(SpeedButton1, &QToolButton::clicked, this, [this] { SpeedButton1Click(); });
}

void TfMain::FormCreate()
{

    QStringList titles;
    for (const char* t : kGridTitles)
        titles << QString::fromUtf8(t);
    StringGrid1->setTitles(titles);
    StringGrid1->setColumnWidths(QList<int>(kGridWidths.begin(), kGridWidths.end()));

    const QDateTime now = m_ctx.now();
    Month = static_cast<std::uint16_t>(now.date().month());
    Year = static_cast<std::uint16_t>(now.date().year());
    {
        // The period is listed once, below, after the log is loaded.
        const QSignalBlocker b1(ComboBox1), b2(RxRok);
        ComboBox1->setCurrentIndex(Month);
        RxRok->setValue(Year);
    }

    const std::string& month =
        m_ctx.regional.longMonthNames[static_cast<std::size_t>(now.date().month() - 1)];
    lDnes->setText(QStringLiteral("Dnes je %1. %2 %3")
                       .arg(now.date().day(), 2, 10, QLatin1Char('0'))
                       .arg(qs(month))
                       .arg(now.date().year(), 4, 10, QLatin1Char('0')));

    m_log = LoadLog(m_ctx.programDir, *m_ctx.prompts);
    ComboBox1Change();
    m_kontrola = m_ctx.readKontrola();
}

void TfMain::ComboBox1Change()
{
    const int index = ComboBox1->currentIndex();
    const int year = RxRok->value();
    Obdobie->setText(qs(periodLabel(index, year)));
    Month = static_cast<std::uint16_t>(index);
    Year = static_cast<std::uint16_t>(year);
    ShowPeriod();
}

bool TfMain::InPeriod(std::int32_t i) const
{
    return evidor::InPeriod(m_log, i, static_cast<std::uint16_t>(ComboBox1->currentIndex()), Year);
}

void TfMain::ShowPeriod()
{
    m_period = evidor::ShowPeriod(m_log, Month, Year, m_ctx.regional);
    const std::int32_t rows = m_period.rows;
    if (rows > 0) {
        // Auto-size measures the texts that can be the widest, found in the records directly.
        m_widest.reset();
        StringGrid1->setWidestTexts([this, rows](int column) {
            if (!m_widest)
                m_widest = widestCellCandidates(m_log, rows, m_ctx.regional);
            QStringList texts;
            for (const std::string& t : (*m_widest)[static_cast<std::size_t>(column)])
                texts << qs(t);
            return texts;
        });
        StringGrid1->resetRows(rows, [this](int gridRow, int column) {
            return qs(gridCell(m_log, recordOfRow(m_log, gridRow), column, m_ctx.regional));
        });
    } else {
        StringGrid1->setWidestTexts({});
        StringGrid1->resetRows(1, {}); // the empty-period marker: one row of empty cells
    }

    const PeriodLabels& l = m_period.labels;
    lCelkovyCas->setText(qs(l.lCelkovyCas));
    CelkovaSuma->setText(qs(l.CelkovaSuma));
    CelkovoPrijate->setText(qs(l.CelkovoPrijate));
    CelkovoOdoslane->setText(qs(l.CelkovoOdoslane));
    PriemRychlost->setText(qs(l.PriemRychlost));
    Impulzy->setText(qs(l.Impulzy));

    if (rows > 0) {
        StringGrid1->setCurrentCell(1, 1);
    } else {
        for (std::size_t i = 0; i < 3; ++i)
            statusPanels[i]->setText(qs(kStatusEmptyPeriod[i]));
    }
}

void TfMain::StringGrid1SelectCell(int column, int row)
{
    SelCol = column;
    SelRow = row;
    if (row == 0 || m_log.RecordCount == 0)
        return;
    if (StringGrid1->rowCount() == 2 && StringGrid1->cell(0, 1).isEmpty())
        return;
    if (row >= StringGrid1->rowCount())
        return;
    const StatusTexts texts = rowDetails(m_log, recordOfRow(m_log, row), m_ctx.regional);
    for (std::size_t i = 0; i < 3; ++i)
        statusPanels[i]->setText(qs(texts[i]));
}

void TfMain::SpeedButton1Click()
{
    StringGrid1->setAutoSizeColumns();
}

std::int32_t TfMain::gridRowCount() const
{
    return StringGrid1->rowCount();
}

bool TfMain::firstDataCellEmpty() const
{
    return StringGrid1->cell(0, 1).isEmpty();
}

void TfMain::makeRowCurrent(std::int32_t row)
{
    StringGrid1->setCurrentCell(std::max(SelCol, 0), row);
}

QString TfMain::statusText(int panel) const
{
    return statusPanels[static_cast<std::size_t>(panel)]->text();
}

} // namespace evidor
