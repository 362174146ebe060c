#pragma once

#include <QColor>
#include <QComboBox>

#include <functional>
#include <optional>

namespace evidor {

/// A drop-down colour picker: the standard colours with their swatches, and "Iná..." for any
/// other colour, asked through a seam (a colour dialog unless replaced).
class ColorCombo : public QComboBox
{
    Q_OBJECT
public:
    explicit ColorCombo(QWidget* parent = nullptr);

    QColor color() const { return m_color; }
    /// Selects `color`; a colour outside the list is added as a custom item.
    void setColor(const QColor& color);

    /// Asks the user for another colour; nothing when cancelled.
    std::function<std::optional<QColor>(const QColor& current)> askColor;

signals:
    /// The colour changed by the user or by setColor.
    void colorChanged(const QColor& color);

private:
    void itemChosen(int index);
    int indexOf(const QColor& color) const;
    void addColorItem(const QColor& color, const QString& name);

    QColor m_color;
    int m_otherIndex = -1;
};

} // namespace evidor
