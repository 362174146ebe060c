#include "ColorCombo.h"

#include <QColorDialog>
#include <QPainter>
#include <QPixmap>

namespace evidor {

namespace {

struct NamedColor
{
    QColor color;
    const char* name;
};

// The colours a Windows colour box offers, with their Slovak names.
const NamedColor kColors[] = {
    {QColor(0, 0, 0), "Čierna"},           {QColor(128, 0, 0), "Gaštanová"},
    {QColor(0, 128, 0), "Zelená"},         {QColor(128, 128, 0), "Olivová"},
    {QColor(0, 0, 128), "Námornícka"},     {QColor(128, 0, 128), "Fialová"},
    {QColor(0, 128, 128), "Modrozelená"},  {QColor(128, 128, 128), "Sivá"},
    {QColor(192, 192, 192), "Strieborná"}, {QColor(255, 0, 0), "Červená"},
    {QColor(0, 255, 0), "Limetková"},      {QColor(255, 255, 0), "Žltá"},
    {QColor(0, 0, 255), "Modrá"},          {QColor(255, 0, 255), "Purpurová"},
    {QColor(0, 255, 255), "Azúrová"},      {QColor(255, 255, 255), "Biela"},
    {QColor(255, 255, 191), "Svetložltá"},
};

QIcon swatch(const QColor& c)
{
    QPixmap pm(24, 12);
    pm.fill(c);
    QPainter p(&pm);
    p.setPen(Qt::black);
    p.drawRect(0, 0, pm.width() - 1, pm.height() - 1);
    return QIcon(pm);
}

} // namespace

ColorCombo::ColorCombo(QWidget* parent) : QComboBox(parent)
{
    setIconSize(QSize(24, 12));
    for (const auto& c : kColors)
        addColorItem(c.color, QString::fromUtf8(c.name));
    addItem(QStringLiteral("Iná..."));
    m_otherIndex = count() - 1;
    m_color = kColors[0].color;
    askColor = [this](const QColor& current) -> std::optional<QColor> {
        const QColor c = QColorDialog::getColor(current, this);
        if (!c.isValid())
            return std::nullopt;
        return c;
    };
    connect(this, &QComboBox::activated, this, &ColorCombo::itemChosen);
}

void ColorCombo::addColorItem(const QColor& color, const QString& name)
{
    const int at = m_otherIndex < 0 ? count() : m_otherIndex;
    insertItem(at, swatch(color), name, color);
    if (m_otherIndex >= 0)
        ++m_otherIndex;
}

int ColorCombo::indexOf(const QColor& color) const
{
    for (int i = 0; i < count(); ++i) {
        const QVariant v = itemData(i);
        if (v.isValid() && v.value<QColor>() == color)
            return i;
    }
    return -1;
}

void ColorCombo::setColor(const QColor& color)
{
    int i = indexOf(color);
    if (i < 0) {
        addColorItem(color, color.name());
        i = indexOf(color);
    }
    {
        const QSignalBlocker block(this);
        setCurrentIndex(i);
    }
    if (color != m_color) {
        m_color = color;
        emit colorChanged(m_color);
    }
}

void ColorCombo::itemChosen(int index)
{
    if (index == m_otherIndex) {
        const auto chosen = askColor ? askColor(m_color) : std::nullopt;
        if (chosen)
            setColor(*chosen);
        else
            setColor(m_color); // back to the colour held
        return;
    }
    setColor(itemData(index).value<QColor>());
}

} // namespace evidor
