#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>

// Unix time as sent to BaseLinker: whole seconds since 1970-01-01 00:00 UTC,
// from a local date-time; a date stands for its local midnight.
qint64 unixTime(const QDateTime &local);
qint64 unixTime(const QDate &localDate);
QString unixTimeText(const QDateTime &local);
QString unixTimeText(const QDate &localDate);
