#include "PgConnection.h"

#include "EAppError.h"

#include <QSqlDriver>
#include <QSqlError>

#include <libpq-fe.h>

QString databaseMessage(const QSqlError &error)
{
    QString text = error.databaseText().trimmed();
    if (text.isEmpty())
        text = error.driverText().trimmed();
    if (text.isEmpty())
        text = error.text().trimmed();
    return text;
}

PgConnection::PgConnection(QString connectionName, QString database, QString user)
    : m_name(std::move(connectionName)), m_database(std::move(database)), m_user(std::move(user))
{
    QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_name);
}

PgConnection::~PgConnection()
{
    {
        QSqlDatabase db = QSqlDatabase::database(m_name, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_name);
}

void PgConnection::setServer(const QString &host) { if (host != m_host) { close(); m_host = host; } }
void PgConnection::setPort(int port) { if (port != m_port) { close(); m_port = port; } }
void PgConnection::setDatabase(const QString &name) { if (name != m_database) { close(); m_database = name; } }
void PgConnection::setSslMode(const QString &mode) { if (mode != m_sslMode) { close(); m_sslMode = mode; } }
void PgConnection::setPassword(const QString &password) { if (password != m_password) { close(); m_password = password; } }
void PgConnection::setPassFile(const QString &path) { if (path != m_passFile) { close(); m_passFile = path; } }

void PgConnection::close()
{
    QSqlDatabase db = QSqlDatabase::database(m_name, false);
    if (db.isOpen())
        db.close();
}

bool PgConnection::isConnected() const
{
    QSqlDatabase db = QSqlDatabase::database(m_name, false);
    return db.isOpen() && !connectionLost();
}

void PgConnection::applyOptions(QSqlDatabase &db) const
{
    db.setHostName(m_host);
    db.setPort(m_port);
    db.setDatabaseName(m_database);
    db.setUserName(m_user);
    db.setPassword(m_password);
    // Values are quoted for libpq's conninfo; none of them come from the operator.
    QStringList options{QStringLiteral("sslmode=") + m_sslMode,
                        QStringLiteral("connect_timeout=") + QString::number(m_connectTimeout),
                        QStringLiteral("application_name=Nolvex")};
    if (!m_passFile.isEmpty())
        options << QStringLiteral("passfile=") + m_passFile;
    db.setConnectOptions(options.join(QLatin1Char(';')));
}

bool PgConnection::connectionLost() const
{
    QSqlDatabase db = QSqlDatabase::database(m_name, false);
    if (!db.isOpen() || !db.driver())
        return true;
    QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "PGconn*") != 0)
        return false;
    auto *conn = *static_cast<PGconn *const *>(handle.constData());
    return conn == nullptr || PQstatus(conn) != CONNECTION_OK;
}

QSqlDatabase PgConnection::openDatabase()
{
    QSqlDatabase db = QSqlDatabase::database(m_name, false);
    if (db.isOpen() && connectionLost())
        db.close();
    if (!db.isOpen()) {
        applyOptions(db);
        if (!db.open()) {
            const QString message = databaseMessage(db.lastError());
            db.close();
            throw EAppError(message);
        }
    }
    return db;
}

QSqlQuery PgConnection::run(const QString &sql, const QVariantList &params, bool forwardOnly)
{
    QSqlDatabase db = openDatabase();
    QSqlQuery query(db);
    query.setForwardOnly(forwardOnly);
    if (!query.prepare(sql) && !connectionLost())
        throw EAppError(databaseMessage(query.lastError()));
    if (!connectionLost()) {
        for (int i = 0; i < params.size(); ++i)
            query.bindValue(i, params.at(i));
        if (query.exec())
            return query;
    }
    QSqlError error = query.lastError();
    if (connectionLost())
        db.close();
    throw EAppError(databaseMessage(error));
}

QSqlQuery PgConnection::read(const QString &sql, const QVariantList &params, bool forwardOnly)
{
    const bool wasOpen = QSqlDatabase::database(m_name, false).isOpen();
    try {
        return run(sql, params, forwardOnly);
    } catch (const EAppError &) {
        // A session that was open before and is gone now was cut by the
        // server: a read is safe to send once more on a fresh connection.
        if (!wasOpen || isConnected())
            throw;
    }
    return run(sql, params, forwardOnly);
}

QSqlQuery PgConnection::write(const QString &sql, const QVariantList &params)
{
    return run(sql, params, false);
}
