#pragma once

#include <QAbstractTableModel>
#include <QStringList>
#include <QTableView>

#include <functional>

namespace evidor {

/// Model of a string grid whose data rows are produced on demand by a cell function, so a
/// year of connections costs no item per cell. Row 0 of the grid is the header; model row i is
/// grid row i + 1.
class StringGridModel : public QAbstractTableModel
{
public:
    using CellFn = std::function<QString(int gridRow, int column)>;

    explicit StringGridModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

    void setTitles(const QStringList& titles);
    /// Replaces all data rows; `cell` is called with grid rows 1..dataRows.
    void resetRows(int dataRows, CellFn cell);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    QString cell(int column, int gridRow) const;

private:
    QStringList m_titles;
    int m_rows = 0;
    CellFn m_cell;
};

/// A read-only grid with one fixed header row, whole-row selection and columns the user can
/// resize. Rows are numbered as the user sees them: row 0 is the header, data starts at 1.
class StringGrid : public QTableView
{
    Q_OBJECT
public:
    explicit StringGrid(QWidget* parent = nullptr);

    void setTitles(const QStringList& titles);
    void setColumnWidths(const QList<int>& widths);
    /// Replaces the data rows (at least one is shown: an empty period has one empty row).
    void resetRows(int dataRows, StringGridModel::CellFn cell);

    /// Rows including the header row.
    int rowCount() const { return m_model->rowCount() + 1; }
    QString cell(int column, int row) const { return m_model->cell(column, row); }
    int currentRow() const;

    /// Makes (column, row) current and reports it through cellSelected, also when it was
    /// current already.
    void setCurrentCell(int column, int row);

    /// Each column becomes as wide as its widest text plus 10 pixels, now and after every
    /// refill; nothing turns it off again.
    void setAutoSizeColumns();
    bool autoSizeColumns() const { return m_autoSize; }

    StringGridModel* gridModel() const { return m_model; }

    /// Gives, for a column, the texts among which its widest cell is, so a long grid is sized
    /// without measuring every cell; without it auto-size measures the cells themselves.
    using WidestTextsFn = std::function<QStringList(int column)>;
    void setWidestTexts(WidestTextsFn fn) { m_widestTexts = std::move(fn); }

signals:
    /// The user (or setCurrentCell) selected a cell; rows as the user sees them.
    void cellSelected(int column, int row);

protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    void applyAutoSize();

    StringGridModel* m_model;
    WidestTextsFn m_widestTexts;
    bool m_autoSize = false;
    bool m_reporting = true;
};

} // namespace evidor
