#pragma once

#include "data/InstallSettings.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariantList>

#include <functional>

namespace ts {

// The private cluster the test command started; a test run without it fails.
QString host();
int port();
int plainPort();
QString password();
InstallSettings settings();

// Runs a statement; on failure returns false and the database's message.
bool exec(QSqlDatabase db, const QString &sql, const QVariantList &params = {}, QString *error = nullptr);
QVariant scalar(QSqlDatabase db, const QString &sql, const QVariantList &params = {});

#define TS_EXEC(db, sql, ...)                                                                          \
    do {                                                                                               \
        QString tsError_;                                                                              \
        QVERIFY2(ts::exec(db, QStringLiteral(sql), QVariantList(__VA_OPT__(__VA_ARGS__)), &tsError_), \
                 qPrintable(tsError_));                                                                \
    } while (0)

// A database made afresh from a template for one test, dropped afterwards.
class TempDb
{
public:
    explicit TempDb(const QString &templateName, int port = 0);
    ~TempDb();
    const QString &name() const { return m_name; }
    QSqlDatabase db() const;

private:
    QString m_name;
    QString m_connection;
    int m_port;
};

// A registry and a company database with a company, an operator and this
// program's registration: what a successful login needs.
struct Company
{
    Company(const QString &companyName = QStringLiteral("Firma Test"), const QString &hashType = QStringLiteral("HashSHA2"));
    TempDb registry{QStringLiteral("nolvex_tpl_registry")};
    TempDb company{QStringLiteral("nolvex_tpl_company")};
    QString name;
    QString user = QStringLiteral("ion.pop");
    QString pass = QStringLiteral("Parola1!");
    QString title;     // this executable's application title
    InstallSettings settings() const;   // registry points at this registry database
};

// Home data folder of the test: a fresh temporary folder.
class HomeDataFolder
{
public:
    HomeDataFolder();
    QString path() const;

private:
    QTemporaryDir m_dir;
};

// Captures the next message box shown while action runs, closes it and returns its text.
QString messageBoxText(const std::function<void()> &action, int timeoutMs = 20000);
// Runs action; the error box it may show is captured. Returns "" if none.
QString errorOf(const std::function<void()> &handler);

// Stops or starts the SSL cluster of the test run.
void pgctl(const QString &what);

} // namespace ts
