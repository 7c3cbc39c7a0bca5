#include "UnixTime.h"

qint64 unixTime(const QDateTime &local) { return local.toSecsSinceEpoch(); }
qint64 unixTime(const QDate &localDate) { return localDate.startOfDay(Qt::LocalTime).toSecsSinceEpoch(); }
QString unixTimeText(const QDateTime &local) { return QString::number(unixTime(local)); }
QString unixTimeText(const QDate &localDate) { return QString::number(unixTime(localDate)); }
