#include "StringGrid.h"

#include <QHeaderView>

#include <algorithm>

namespace evidor {

void StringGridModel::setTitles(const QStringList& titles)
{
    beginResetModel();
    m_titles = titles;
    endResetModel();
}

void StringGridModel::resetRows(int dataRows, CellFn cell)
{
    beginResetModel();
    m_rows = dataRows;
    m_cell = std::move(cell);
    endResetModel();
}

int StringGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int StringGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_titles.size());
}

QVariant StringGridModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid())
        return {};
    return cell(index.column(), index.row() + 1);
}

QVariant StringGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 || section >= m_titles.size())
        return {};
    return m_titles[section];
}

QString StringGridModel::cell(int column, int gridRow) const
{
    if (column < 0 || column >= m_titles.size())
        return {};
    if (gridRow == 0)
        return m_titles[column];
    if (gridRow < 1 || gridRow > m_rows || !m_cell)
        return {};
    return m_cell(gridRow, column);
}

StringGrid::StringGrid(QWidget* parent) : QTableView(parent), m_model(new StringGridModel(this))
{
    setModel(m_model);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(true);
    setWordWrap(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(18);
    verticalHeader()->setMinimumSectionSize(18);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setFixedHeight(18);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

void StringGrid::setTitles(const QStringList& titles)
{
    m_model->setTitles(titles);
}

void StringGrid::setColumnWidths(const QList<int>& widths)
{
    for (int c = 0; c < widths.size(); ++c)
        setColumnWidth(c, widths[c]);
}

void StringGrid::resetRows(int dataRows, StringGridModel::CellFn cell)
{
    m_reporting = false;
    m_model->resetRows(std::max(dataRows, 1), std::move(cell));
    m_reporting = true;
    if (m_autoSize)
        applyAutoSize();
}

int StringGrid::currentRow() const
{
    const QModelIndex i = currentIndex();
    return i.isValid() ? i.row() + 1 : 0;
}

void StringGrid::setCurrentCell(int column, int row)
{
    if (row < 1 || row >= rowCount())
        return;
    const QModelIndex target = m_model->index(row - 1, column);
    m_reporting = false;
    setCurrentIndex(target);
    selectionModel()->select(target, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(target);
    m_reporting = true;
    emit cellSelected(column, row);
}

void StringGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTableView::currentChanged(current, previous);
    if (m_reporting && current.isValid())
        emit cellSelected(current.column(), current.row() + 1);
}

void StringGrid::setAutoSizeColumns()
{
    m_autoSize = true;
    applyAutoSize();
}

void StringGrid::applyAutoSize()
{
    const QFontMetrics body(font());
    const QFontMetrics head(horizontalHeader()->font());
    for (int c = 0; c < m_model->columnCount(); ++c) {
        int widest = head.horizontalAdvance(m_model->cell(c, 0));
        // A long grid names its candidates; a short one is measured cell by cell.
        if (m_widestTexts) {
            for (const QString& text : m_widestTexts(c))
                widest = std::max(widest, body.horizontalAdvance(text));
        } else {
            for (int r = 1; r <= m_model->rowCount(); ++r)
                widest = std::max(widest, body.horizontalAdvance(m_model->cell(c, r)));
        }
        setColumnWidth(c, widest + 10);
    }
}

} // namespace evidor
