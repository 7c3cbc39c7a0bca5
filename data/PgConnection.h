#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>

// One PostgreSQL connection in disconnected mode: it opens on first use, and
// when the server has dropped it between two uses (restart, idle cut) the next
// use connects afresh. A read that fails on a lost connection is retried once
// on the new one; a write never is: its error is raised and the next use
// reconnects.
class PgConnection
{
public:
    PgConnection(QString connectionName, QString database, QString user);
    ~PgConnection();
    PgConnection(const PgConnection &) = delete;
    PgConnection &operator=(const PgConnection &) = delete;

    // Changing any of these closes the open session; the next use reconnects.
    void setServer(const QString &host);
    void setPort(int port);
    void setDatabase(const QString &name);
    void setSslMode(const QString &mode);
    void setPassword(const QString &password);
    void setPassFile(const QString &path);

    QString server() const { return m_host; }
    int port() const { return m_port; }
    QString databaseName() const { return m_database; }
    QString sslMode() const { return m_sslMode; }
    int connectTimeout() const { return m_connectTimeout; }
    QString connectionName() const { return m_name; }

    bool isConnected() const;
    void close();

    // Prepared statements with positional or named (":name") parameters.
    QSqlQuery read(const QString &sql, const QVariantList &params, bool forwardOnly = false);
    QSqlQuery write(const QString &sql, const QVariantList &params);

private:
    QSqlDatabase openDatabase();
    bool connectionLost() const;
    QSqlQuery run(const QString &sql, const QVariantList &params, bool forwardOnly);
    void applyOptions(QSqlDatabase &db) const;

    QString m_name;
    QString m_host = QStringLiteral("localhost");
    int m_port = 5432;
    QString m_database;
    QString m_user;
    QString m_password;
    QString m_passFile;
    QString m_sslMode = QStringLiteral("require");
    int m_connectTimeout = 15;
};

// The database's own message of a failed statement or connection.
QString databaseMessage(const class QSqlError &error);
