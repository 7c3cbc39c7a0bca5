#pragma once

#include <QAbstractTableModel>
#include <QDate>
#include <QHash>
#include <QStringList>
#include <QVector>

class QSqlQuery;

// The invoice list as the grid shows it: one row per invoice and order
// element, columns in grid order. Every cell is kept as the text the grid
// displays, read from the database in one pass.
class InvoiceListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column {
        id_doc, json_doc_date, json_doc_tip, json_doc_nr, err_ins_tresk, data_doc_tresk, tip_doc_tresk,
        nr_doc_tresk, partener, data_stoc, da_nu_scazut_total_stoc, magazie_sursa, order_id, id_doc_extern_cmd,
        sursa_cmd, id_doc_extra_fields_cmd, admin_comments_cmd, msg_tip, msg_index_incarcare, data_log, ColumnCount
    };
    // The list query's columns, in the order it selects them.
    static const QStringList &queryColumns();
    static QString columnName(int column);
    static int columnWidth(int column);
    static bool isNumeric(int column) { return column == id_doc; }

    explicit InvoiceListModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Replaces the rows with the result of the list query.
    void load(QSqlQuery &query);
    void clear();
    // Replaces the rows of one invoice with freshly read ones (same columns),
    // in place; no other row moves.
    void replaceInvoice(qint64 idDoc, QSqlQuery &query);

    const QString &text(int row, int column) const { return m_cells[std::size_t(row) * ColumnCount + column]; }
    qint64 idDoc(int row) const { return text(row, id_doc).toLongLong(); }
    QDate jsonDocDate(int row) const { return QDate::fromString(text(row, json_doc_date), Qt::ISODate); }
    QVector<int> rowsOf(qint64 idDoc) const { return m_rowsById.value(idDoc); }

private:
    static QVector<QString> readRow(QSqlQuery &query, const int *map);
    void indexRows();

    int m_rows = 0;
    std::vector<QString> m_cells;
    QHash<qint64, QVector<int>> m_rowsById;
};
