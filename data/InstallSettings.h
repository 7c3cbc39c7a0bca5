#pragma once

#include <QString>

// Where the databases live and how BaseLinker is reached on this installation.
// Built-in defaults, overridden by Nolvex.ini beside the executable. Passwords
// normally stay empty so that libpq reads its own password file.
struct DbEndpoint
{
    QString host;
    int port = 5432;
    QString password;
    QString database;
};

struct InstallSettings
{
    DbEndpoint company;
    DbEndpoint registry;
    QString passFile;               // optional libpq password file
    int requestsPerMinute = 100;    // 0 switches the client-side limiter off
    QString caCertificates;         // extra PEM certificates trusted for BaseLinker

    static InstallSettings builtIn();
    // Reads the given INI file over the built-in defaults; a missing file keeps them.
    static InstallSettings load(const QString &iniPath);
    static QString defaultIniPath();
};
