#pragma once

#include <QList>
#include <QSqlRecord>
#include <QString>
#include <QStringList>
#include <QVariant>

class PgConnection;

// A configured read query over one connection: fixed SQL, named parameters,
// and once open, the rows it returned. Opening reads the whole result.
class TPgQuery
{
public:
    TPgQuery(PgConnection &connection, QString sql);

    const QString &sql() const { return m_sql; }
    void setParam(const QString &name, const QVariant &value);

    void open();
    void close();
    void refresh() { close(); open(); }

    bool isOpen() const { return m_open; }
    int recordCount() const { return int(m_rows.size()); }
    bool isEmpty() const { return m_rows.isEmpty(); }
    const QList<QSqlRecord> &rows() const { return m_rows; }
    // A column of the first row; a null value when the query is closed or empty.
    QVariant field(const QString &name) const;

private:
    PgConnection &m_connection;
    QString m_sql;
    QStringList m_paramNames;
    QVariantList m_values;
    QList<QSqlRecord> m_rows;
    bool m_open = false;
};
