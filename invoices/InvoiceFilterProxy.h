#pragma once

#include <QSortFilterProxyModel>
#include <QVector>

class InvoiceListModel;

// The filter row's conditions over the list, matched in memory: a row passes
// when each column's text contains that column's condition, letter case aside.
class InvoiceFilterProxy : public QSortFilterProxyModel
{
    Q_OBJECT
public:
    explicit InvoiceFilterProxy(InvoiceListModel *source, QObject *parent = nullptr);

    void setColumnFilter(int column, const QString &text);

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;
    bool lessThan(const QModelIndex &left, const QModelIndex &right) const override;

private:
    InvoiceListModel *m_source;
    QVector<QString> m_filters;
};
