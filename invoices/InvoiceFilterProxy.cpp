#include "InvoiceFilterProxy.h"

#include "InvoiceListModel.h"

InvoiceFilterProxy::InvoiceFilterProxy(InvoiceListModel *source, QObject *parent)
    : QSortFilterProxyModel(parent), m_source(source), m_filters(InvoiceListModel::ColumnCount)
{
    setSourceModel(source);
}

void InvoiceFilterProxy::setColumnFilter(int column, const QString &text)
{
    if (column < 0 || column >= m_filters.size() || m_filters[column] == text)
        return;
    m_filters[column] = text;
    invalidateRowsFilter();
}

bool InvoiceFilterProxy::filterAcceptsRow(int sourceRow, const QModelIndex &) const
{
    for (int c = 0; c < m_filters.size(); ++c) {
        const QString &condition = m_filters[c];
        if (!condition.isEmpty() && !m_source->text(sourceRow, c).contains(condition, Qt::CaseInsensitive))
            return false;
    }
    return true;
}

bool InvoiceFilterProxy::lessThan(const QModelIndex &left, const QModelIndex &right) const
{
    const QString &a = m_source->text(left.row(), left.column());
    const QString &b = m_source->text(right.row(), right.column());
    if (InvoiceListModel::isNumeric(left.column()))
        return a.toLongLong() < b.toLongLong();
    return QString::localeAwareCompare(a, b) < 0;
}
