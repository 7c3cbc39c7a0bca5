#include "InvoiceListModel.h"

#include <QBrush>

#include <array>
#include <QDateTime>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {
struct ColumnInfo { const char *name; int width; const char *caption; };
// Grid order, widths and captions.
const ColumnInfo columns[InvoiceListModel::ColumnCount] = {
    {"id_doc", 77, nullptr}, {"json_doc_date", 92, nullptr}, {"json_doc_tip", 80, nullptr},
    {"json_doc_nr", 100, nullptr}, {"err_ins_tresk", 160, nullptr}, {"data_doc_tresk", 95, nullptr},
    {"tip_doc_tresk", 78, nullptr}, {"nr_doc_tresk", 100, nullptr}, {"partener", 208, nullptr},
    {"data_stoc", 118, nullptr}, {"da_nu_scazut_total_stoc", 160, nullptr}, {"magazie_sursa", 93, nullptr},
    {"order_id", 91, nullptr}, {"id_doc_extern_cmd", 118, nullptr}, {"sursa_cmd", 100, nullptr},
    {"id_doc_extra_fields_cmd", 150, nullptr}, {"admin_comments_cmd", 138, nullptr},
    {"msg_tip", 153, "msg_tip_efact"}, {"msg_index_incarcare", 143, "index_incarcare_efact"}, {"data_log", 123, nullptr},
};

QString cellText(const QVariant &v)
{
    if (v.isNull())
        return {};
    switch (v.typeId()) {
    case QMetaType::QDateTime:
        return v.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    case QMetaType::QDate:
        return v.toDate().toString(Qt::ISODate);
    case QMetaType::Bool:
        return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    default:
        return v.toString();
    }
}
} // namespace

const QStringList &InvoiceListModel::queryColumns()
{
    static const QStringList names{
        QStringLiteral("id_doc"), QStringLiteral("json_doc_date"), QStringLiteral("json_doc_tip"),
        QStringLiteral("json_doc_nr"), QStringLiteral("err_ins_tresk"), QStringLiteral("data_log"),
        QStringLiteral("order_id"), QStringLiteral("id_doc_extern_cmd"), QStringLiteral("sursa_cmd"),
        QStringLiteral("id_doc_extra_fields_cmd"), QStringLiteral("admin_comments_cmd"),
        QStringLiteral("data_doc_tresk"), QStringLiteral("tip_doc_tresk"), QStringLiteral("nr_doc_tresk"),
        QStringLiteral("partener"), QStringLiteral("data_stoc"), QStringLiteral("da_nu_scazut_total_stoc"),
        QStringLiteral("magazie_sursa"), QStringLiteral("msg_tip"), QStringLiteral("msg_index_incarcare")};
    return names;
}

QString InvoiceListModel::columnName(int column) { return QString::fromLatin1(columns[column].name); }
int InvoiceListModel::columnWidth(int column) { return columns[column].width; }

InvoiceListModel::InvoiceListModel(QObject *parent) : QAbstractTableModel(parent) {}

int InvoiceListModel::rowCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : m_rows; }
int InvoiceListModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : ColumnCount; }

QVariant InvoiceListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    const QString &t = text(index.row(), index.column());
    if (index.column() == da_nu_scazut_total_stoc) {
        if (role == Qt::CheckStateRole && !t.isEmpty())
            return t == QLatin1String("True") ? Qt::Checked : Qt::Unchecked;
        if (role == Qt::DisplayRole)
            return QVariant();
    }
    if (role == Qt::DisplayRole || role == Qt::EditRole || role == Qt::ToolTipRole)
        return t;
    if (role == Qt::TextAlignmentRole && isNumeric(index.column()))
        return int(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant InvoiceListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < ColumnCount)
        return QString::fromLatin1(columns[section].caption ? columns[section].caption : columns[section].name);
    return QAbstractTableModel::headerData(section, orientation, role);
}

// For each grid column, the index of the query column that fills it.
static std::array<int, InvoiceListModel::ColumnCount> gridToQuery(const QSqlRecord &record)
{
    std::array<int, InvoiceListModel::ColumnCount> map{};
    for (int c = 0; c < InvoiceListModel::ColumnCount; ++c)
        map[c] = record.indexOf(InvoiceListModel::columnName(c));
    return map;
}

QVector<QString> InvoiceListModel::readRow(QSqlQuery &query, const int *map)
{
    QVector<QString> row(ColumnCount);
    for (int c = 0; c < ColumnCount; ++c)
        if (map[c] >= 0)
            row[c] = cellText(query.value(map[c]));
    return row;
}

void InvoiceListModel::load(QSqlQuery &query)
{
    std::vector<QString> cells;
    int rows = 0;
    const auto map = gridToQuery(query.record());
    while (query.next()) {
        for (int c = 0; c < ColumnCount; ++c)
            cells.push_back(map[c] >= 0 ? cellText(query.value(map[c])) : QString());
        ++rows;
    }
    beginResetModel();
    m_cells = std::move(cells);
    m_rows = rows;
    indexRows();
    endResetModel();
}

void InvoiceListModel::clear()
{
    beginResetModel();
    m_cells.clear();
    m_rows = 0;
    m_rowsById.clear();
    endResetModel();
}

void InvoiceListModel::indexRows()
{
    m_rowsById.clear();
    m_rowsById.reserve(m_rows);
    for (int r = 0; r < m_rows; ++r)
        m_rowsById[idDoc(r)].append(r);
}

void InvoiceListModel::replaceInvoice(qint64 idDoc, QSqlQuery &query)
{
    const QVector<int> rows = m_rowsById.value(idDoc);
    const auto map = gridToQuery(query.record());
    int i = 0;
    // Fresh rows overwrite the invoice's rows in their places; the number of
    // order elements of a listed invoice does not change once fetched.
    while (i < rows.size() && query.next()) {
        const QVector<QString> fresh = readRow(query, map.data());
        for (int c = 0; c < ColumnCount; ++c)
            m_cells[std::size_t(rows[i]) * ColumnCount + c] = fresh[c];
        emit dataChanged(index(rows[i], 0), index(rows[i], ColumnCount - 1));
        ++i;
    }
}
