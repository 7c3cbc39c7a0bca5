#include "StandInData.h"

#include <QDateTime>
#include <QJsonArray>

#include <random>

namespace {
const char *firstNames[] = {"Ana", "Mihai", "Ioana", "Andrei", "Elena", "Vlad", "Maria", "Radu", "Cristina", "Dan",
                            "Laszlo", "Zsofia", "Gabriel", "Irina", "Sorin"};
const char *lastNames[] = {"Popescu", "Ionescu", "Dumitrescu", "Stan", "Georgescu", "Constantin", "Marin",
                           "Nagy", "Kovacs", "Tudor", "Munteanu", "Stoica"};
const char *cities[] = {"Bucuresti", "Cluj-Napoca", "Iasi", "Timisoara", "Brasov", "Constanta", "Oradea", "Sibiu",
                        "Debrecen", "Budapest"};
const char *streets[] = {"Str. Victoriei", "Bd. Unirii", "Str. Florilor", "Calea Dorobantilor", "Str. Lalelelor",
                         "Bd. Independentei"};
const char *products[] = {"Cana ceramica 350 ml", "Set prosoape bumbac", "Lampa LED birou", "Husa telefon",
                          "Rucsac laptop 15.6\"", "Cablu USB-C 2 m", "Perna decorativa", "Termos inox 500 ml",
                          "Casti bluetooth", "Suport laptop aluminiu"};
const char *companies[] = {"", "", "", "SC Alfa Distributie SRL", "Beta Trade SRL", "Gamma Service SRL"};

struct Gen
{
    std::mt19937 rng;
    int pick(int n) { return int(rng() % unsigned(n)); }
    double price() { return double(500 + pick(50000)) / 100.0; }
};

QJsonArray items(Gen &g, int n, double &total, qint64 orderProductBase)
{
    QJsonArray a;
    total = 0;
    for (int i = 0; i < n; ++i) {
        const double p = g.price();
        const int q = 1 + g.pick(3);
        total += p * q;
        a.append(QJsonObject{{"name", products[g.pick(10)]},
                             {"sku", QStringLiteral("SKU-%1").arg(1000 + g.pick(9000))},
                             {"ean", QStringLiteral("59%1").arg(qint64(10000000000LL) + g.pick(1000000000))},
                             {"price_brutto", p},
                             {"price_netto", qRound(p / 1.19 * 100) / 100.0},
                             {"tax_rate", 19},
                             {"quantity", q},
                             {"is_shipment", 0},
                             {"order_product_id", orderProductBase + i}});
    }
    return a;
}
} // namespace

StandInData StandInData::generate(quint32 seed, int count, int days, int busyDay, int busyCount)
{
    StandInData d;
    Gen g{std::mt19937(seed)};
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    const QDate today = QDate::currentDate();
    const int ordinary = count - (busyDay >= 0 ? busyCount : 0);
    std::vector<qint64> times;
    for (int i = 0; i < ordinary; ++i)
        times.push_back(now - qint64(days) * 86400 + qint64(double(i + 1) / ordinary * (qint64(days) * 86400 - 3600)));
    if (busyDay >= 0) {
        const qint64 dayStart = today.addDays(-busyDay).startOfDay().toSecsSinceEpoch();
        for (int i = 0; i < busyCount; ++i)
            times.push_back(dayStart + 3600 + i * 60);
    }
    std::sort(times.begin(), times.end());

    qint64 invoiceId = 7'000'000;
    qint64 orderId = 41'000'000;
    for (std::size_t i = 0; i < times.size(); ++i) {
        const qint64 t = times[i];
        const QDateTime when = QDateTime::fromSecsSinceEpoch(t);
        invoiceId += 1 + g.pick(3);
        orderId += 1 + g.pick(5);
        const QString fullName = QStringLiteral("%1 %2").arg(firstNames[g.pick(15)], lastNames[g.pick(12)]);
        const QString company = companies[g.pick(6)];
        const QString city = cities[g.pick(10)];
        const QString address = QStringLiteral("%1 nr. %2").arg(streets[g.pick(6)]).arg(1 + g.pick(120));
        const QString postcode = QStringLiteral("%1").arg(100000 + g.pick(800000));
        const int source = g.pick(10);   // 0-3 personal, 4-7 eMagRO, 8-9 eMagHU
        const QString orderSource = source < 4 ? "personal" : (source < 8 ? "eMagRO" : "eMagHU");
        const bool hu = orderSource == QLatin1String("eMagHU");
        double total = 0;
        const QJsonArray invoiceItems = items(g, 1 + g.pick(3), total, orderId * 10);
        const int number = int(i) + 1;
        const bool withoutOrder = g.pick(40) == 0;

        QJsonObject inv{{"invoice_id", invoiceId},
                        {"series_id", 15},
                        {"type", "normal"},
                        {"number", QStringLiteral("BLFV %1/%2/%3").arg(number).arg(when.date().month(), 2, 10, QChar('0')).arg(when.date().year())},
                        {"sub_id", number},
                        {"month", when.date().month()},
                        {"year", when.date().year()},
                        {"postfix", ""},
                        {"date_add", t},
                        {"date_sell", t},
                        {"date_pay_to", t + 14 * 86400},
                        {"currency", hu ? "HUF" : "RON"},
                        {"total_price_brutto", qRound(total * 100) / 100.0},
                        {"total_price_netto", qRound(total / 1.19 * 100) / 100.0},
                        {"payment", g.pick(2) ? "Card online" : "Ramburs"},
                        {"additional_info", ""},
                        {"invoice_fullname", fullName},
                        {"invoice_company", company},
                        {"invoice_nip", company.isEmpty() ? "" : QStringLiteral("RO%1").arg(10000000 + g.pick(9000000))},
                        {"invoice_address", address},
                        {"invoice_postcode", postcode},
                        {"invoice_city", city},
                        {"invoice_country", hu ? "Hungary" : "Romania"},
                        {"invoice_country_code", hu ? "HU" : "RO"},
                        {"seller", "Demo Shop SRL, Str. Fabricii 10, Cluj-Napoca"},
                        {"issuer", "Operator BaseLinker"},
                        {"correcting_to_invoice_id", 0},
                        {"correcting_reason", ""},
                        {"external_invoice_number", ""},
                        {"external_id", ""},
                        {"exchange_currency", ""},
                        {"exchange_rate", 0},
                        {"exchange_date", ""},
                        {"items", invoiceItems}};
        if (!withoutOrder)
            inv.insert("order_id", orderId);
        d.invoices.append(inv);
        if (withoutOrder)
            continue;

        QJsonArray orderProducts;
        for (const QJsonValue &it : invoiceItems) {
            const QJsonObject o = it.toObject();
            orderProducts.append(QJsonObject{{"storage", "db"}, {"storage_id", 0},
                                             {"order_product_id", o["order_product_id"]},
                                             {"product_id", QString::number(100000 + g.pick(900000))},
                                             {"variant_id", 0}, {"name", o["name"]}, {"sku", o["sku"]},
                                             {"ean", o["ean"]}, {"location", ""}, {"warehouse_id", 0},
                                             {"attributes", ""}, {"price_brutto", o["price_brutto"]},
                                             {"tax_rate", 19}, {"quantity", o["quantity"]}, {"weight", 0.5},
                                             {"bundle_id", 0}});
        }
        const bool personal = orderSource == QLatin1String("personal");
        QJsonObject order{{"order_id", orderId},
                          {"shop_order_id", 0},
                          {"external_order_id", personal ? "" : QString::number(300000000 + g.pick(99999999))},
                          {"order_source", orderSource},
                          {"order_source_id", personal ? 0 : (hu ? 2041 : 2040)},
                          {"order_source_info", ""},
                          {"order_status_id", 7712},
                          {"date_add", t - 3600},
                          {"date_confirmed", t - 3000},
                          {"date_in_status", t},
                          {"confirmed", true},
                          {"user_login", ""},
                          {"phone", QStringLiteral("07%1").arg(20000000 + g.pick(79999999))},
                          {"email", QStringLiteral("client%1@example.ro").arg(orderId)},
                          {"user_comments", ""},
                          {"admin_comments", personal ? QStringLiteral("Comanda telefonica, livrare %1").arg(city) : ""},
                          {"currency", hu ? "HUF" : "RON"},
                          {"payment_method", inv["payment"]},
                          {"payment_method_cod", inv["payment"].toString() == "Ramburs" ? "1" : "0"},
                          {"payment_done", inv["total_price_brutto"]},
                          {"delivery_method", "Curier"},
                          {"delivery_price", 19.99},
                          {"delivery_package_module", "fan"},
                          {"delivery_package_nr", QStringLiteral("FAN%1").arg(orderId)},
                          {"delivery_fullname", fullName},
                          {"delivery_company", company},
                          {"delivery_address", address},
                          {"delivery_city", city},
                          {"delivery_state", ""},
                          {"delivery_postcode", postcode},
                          {"delivery_country_code", hu ? "HU" : "RO"},
                          {"delivery_point_id", ""},
                          {"delivery_point_name", ""},
                          {"invoice_fullname", fullName},
                          {"invoice_company", company},
                          {"invoice_nip", inv["invoice_nip"]},
                          {"invoice_address", address},
                          {"invoice_city", city},
                          {"invoice_state", ""},
                          {"invoice_postcode", postcode},
                          {"invoice_country_code", hu ? "HU" : "RO"},
                          {"want_invoice", "1"},
                          {"extra_field_1", ""},
                          {"extra_field_2", ""},
                          {"custom_extra_fields", personal ? QJsonObject{{"24491", QStringLiteral("CMD-%1").arg(orderId)}}
                                                           : QJsonObject{}},
                          {"order_page", QStringLiteral("https://orders.example.ro/%1").arg(orderId)},
                          {"pick_state", 0},
                          {"pack_state", 0},
                          {"products", orderProducts}};
        QList<QJsonObject> elements{order};
        if (g.pick(20) == 0) {
            // A split order: BaseLinker lists the part shipped apart as a second element.
            QJsonObject part = order;
            part["external_order_id"] = personal ? "" : QString::number(400000000 + g.pick(99999999));
            part["admin_comments"] = personal ? QStringLiteral("Livrare separata, colet 2") : "";
            elements.append(part);
        }
        d.orders.insert(orderId, elements);
    }
    return d;
}

StandInData StandInData::fromJson(const QJsonObject &file)
{
    StandInData d;
    for (const QJsonValue &v : file["invoices"].toArray())
        d.invoices.append(v.toObject());
    const QJsonObject orders = file["orders"].toObject();
    for (auto it = orders.begin(); it != orders.end(); ++it) {
        QList<QJsonObject> elements;
        for (const QJsonValue &v : it.value().toArray())
            elements.append(v.toObject());
        d.orders.insert(it.key().toLongLong(), elements);
    }
    std::sort(d.invoices.begin(), d.invoices.end(), [](const QJsonObject &a, const QJsonObject &b) {
        return a["invoice_id"].toVariant().toLongLong() < b["invoice_id"].toVariant().toLongLong();
    });
    return d;
}

QJsonObject StandInData::toJson() const
{
    QJsonArray inv;
    for (const QJsonObject &o : invoices)
        inv.append(o);
    QJsonObject orders;
    for (auto it = this->orders.begin(); it != this->orders.end(); ++it) {
        QJsonArray elements;
        for (const QJsonObject &o : it.value())
            elements.append(o);
        orders.insert(QString::number(it.key()), elements);
    }
    return QJsonObject{{"invoices", inv}, {"orders", orders}};
}
