#pragma once

#include <QString>

// The last company and user name typed at login, kept in TreskVelun.json in
// the home data folder. The password is never part of it.
struct RememberedLogin
{
    QString company;
    QString username;

    static constexpr int maxLength = 200;
    static QString filePath();
    // An absent file gives empty entries; an unreadable or malformed one raises EAppError.
    static RememberedLogin load(const QString &path);
    void save(const QString &path) const;
};

// The per-user folder that holds the program's own files.
QString homeDataFolder();
