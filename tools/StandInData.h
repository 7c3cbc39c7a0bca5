#pragma once

#include <QJsonObject>
#include <QList>
#include <QMap>

// The shop behind the stand-in: invoices and the orders they belong to.
struct StandInData
{
    QList<QJsonObject> invoices;              // ascending invoice_id
    QMap<qint64, QList<QJsonObject>> orders;  // order_id -> the elements a getOrders by id returns

    // Deterministic data: count invoices spread over the last days days
    // (ending now), with busyDay (days back, -1 for none) holding busyCount of them.
    static StandInData generate(quint32 seed, int count, int days, int busyDay = -1, int busyCount = 0);
    static StandInData fromJson(const QJsonObject &file);
    QJsonObject toJson() const;
};
