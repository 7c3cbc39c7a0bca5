#include "TPgQuery.h"

#include "EAppError.h"
#include "PgConnection.h"

#include <QRegularExpression>
#include <QSqlQuery>

// Parameter names in order of appearance (":name", never "::type" casts).
static QStringList parameterNames(const QString &sql)
{
    static const QRegularExpression re(QStringLiteral("(?<![:\\w]):([A-Za-z_][A-Za-z0-9_]*)"));
    QStringList names;
    for (auto it = re.globalMatch(sql); it.hasNext();) {
        const QString name = it.next().captured(1);
        names << name;
    }
    return names;
}

TPgQuery::TPgQuery(PgConnection &connection, QString sql)
    : m_connection(connection), m_sql(std::move(sql)), m_paramNames(parameterNames(m_sql))
{
    m_values.resize(m_paramNames.size());
}

void TPgQuery::setParam(const QString &name, const QVariant &value)
{
    bool found = false;
    for (int i = 0; i < m_paramNames.size(); ++i) {
        if (m_paramNames.at(i).compare(name, Qt::CaseInsensitive) == 0) {
            m_values[i] = value;
            found = true;
        }
    }
    if (!found)
        throw EAppError(QStringLiteral("Parameter '%1' not found").arg(name));
}

void TPgQuery::open()
{
    if (m_open)
        return;
    QSqlQuery query = m_connection.read(m_sql, m_values, true);
    QList<QSqlRecord> rows;
    while (query.next())
        rows.append(query.record());
    m_rows = std::move(rows);
    m_open = true;
}

void TPgQuery::close()
{
    m_rows.clear();
    m_open = false;
}

QVariant TPgQuery::field(const QString &name) const
{
    if (m_rows.isEmpty())
        return {};
    return m_rows.first().value(name);
}
