#include "ChatContextPacket.h"

#include "model/CompanionDestinations.h"
#include "model/StrictJson.h"

#include <QJsonArray>
#include <QLocale>
#include <QStringList>
#include <QUrlQuery>

using namespace Qt::StringLiterals;

namespace ChatContextPacket {
namespace {

const QString missing = QStringLiteral("Missing");

// The member under key when it is an object, else an empty object.
QJsonObject dict(QStringView key, const QJsonObject& in)
{
    const QJsonValue value = in.value(key);
    return value.isObject() ? value.toObject() : QJsonObject();
}

// How a snapshot value reads in the packet: text verbatim, whole numbers the
// reader kept exactly as integers, other numbers in their shortest form,
// Booleans as 1 or 0, anything else "Missing".
QString text(const QJsonValue& value)
{
    switch (value.type()) {
    case QJsonValue::String: return value.toString();
    case QJsonValue::Bool: return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    case QJsonValue::Double: {
        // Whole numbers the reader kept exactly print as integers; any other
        // number in the shortest form that reads back as the same double.
        const QVariant number = value.toVariant();
        if (number.typeId() == QMetaType::LongLong)
            return QString::number(number.toLongLong());
        return QString::number(value.toDouble(), 'g', QLocale::FloatingPointShortest);
    }
    default: return missing;
    }
}

// The member under key as the packet writes it.
QString text(QStringView key, const QJsonObject& in) { return text(in.value(key)); }

// True only for JSON true and for a number that is exactly 1.
bool isTrue(const QJsonValue& value)
{
    if (value.isBool())
        return value.toBool();
    return value.isDouble() && value.toDouble() == 1.0;
}

// The providers when the member is a list of objects only; a list holding
// anything else counts as no list at all.
QJsonArray providerList(const QJsonObject& snapshot)
{
    const QJsonValue value = snapshot.value(u"integrationHealth");
    if (!value.isArray())
        return {};
    const QJsonArray list = value.toArray();
    for (const QJsonValue& element : list) {
        if (!element.isObject())
            return {};
    }
    return list;
}

QString providerBlock(const QJsonObject& snapshot)
{
    QStringList lines;
    for (const QJsonValue& element : providerList(snapshot)) {
        const QJsonObject provider = element.toObject();
        const bool ready = isTrue(provider.value(u"connected"));
        lines.append(text(u"name", provider) + u": "_s + text(u"state", provider) + u" ["_s
                     + (ready ? u"ready"_s : u"not ready"_s) + u"] — "_s + text(u"detail", provider));
    }
    if (lines.isEmpty())
        return QStringLiteral("Missing provider status");
    return lines.join(u'\n');
}

// Every character but the unreserved ones travels percent-escaped, so any
// reader of the query ("+" as a space or not) gets the packet back exactly.
QString escapedQueryValue(const QString& value) { return QString::fromLatin1(QUrl::toPercentEncoding(value)); }

} // namespace

QString standardRequest()
{
    return QStringLiteral("Review this live Varadi OS context and tell me what requires my attention now.");
}

QString fromSnapshot(const QJsonObject& snapshot, const QString& request)
{
    const QJsonObject receivables = dict(u"summary", dict(u"accountsReceivable", snapshot));
    const QJsonObject customers = dict(u"customerSummary", snapshot);
    const QJsonObject payroll = dict(u"payrollSummary", snapshot);
    const QJsonObject software = dict(u"softwareSpendSummary", snapshot);
    const QJsonObject validation = dict(u"validation", snapshot);
    const QJsonObject checks = dict(u"summary", validation);

    const QStringList lines{
        QStringLiteral("VARADI OS 2.0 LIVE CONTEXT"),
        u"As of: "_s + text(u"refreshedAtIso", snapshot),
        u"Cash in Mercury: "_s + text(u"cashInMercury", receivables),
        u"Expected revenue MTD: "_s + text(u"expectedRevenueMtd", receivables),
        u"Collected revenue MTD: "_s + text(u"collectedRevenueMtd", receivables),
        u"Open A/R: "_s + text(u"openAr", receivables),
        u"Expected remaining collections: "_s + text(u"expectedRemainingCollections", receivables),
        u"Payroll actual MTD: "_s + text(u"actualMtd", payroll),
        u"Software actual MTD: "_s + text(u"actualMtd", software),
        u"Customers: "_s + text(u"total", customers) + u"; unpaid: "_s + text(u"unpaid", customers)
            + u"; unpaid revenue: "_s + text(u"unpaidRevenue", customers),
        u"Validation: "_s + text(u"status", validation) + u"; "_s + text(u"updatedToday", checks) + u" updated, "_s
            + text(u"needsReview", checks) + u" review, "_s + text(u"missing", checks) + u" missing"_s,
        QString(),
        QStringLiteral("PROVIDER STATUS"),
        providerBlock(snapshot),
        QString(),
        QStringLiteral("RULES"),
        QStringLiteral(
            "Treat only ready/live sources as current evidence. Preserve Missing, Needs Review, Not Verified, "
            "stale, and blocked wording. Never invent unavailable figures."),
        QString(),
        QStringLiteral("REQUEST"),
        request,
    };
    return lines.join(u'\n');
}

QString fallback(const QString& request)
{
    return QStringLiteral("VARADI OS LIVE CONTEXT\n"
                          "Live context could not be loaded from the local Varadi OS server. State that the dashboard "
                          "context is unavailable and do not estimate.\n"
                          "\n"
                          "REQUEST\n")
        + request;
}

QString fromSnapshotBody(const QByteArray& body, const QString& request)
{
    const std::optional<QJsonObject> snapshot = StrictJson::parseObject(body);
    return snapshot ? fromSnapshot(*snapshot, request) : fallback(request);
}

QUrl assistantPage(const QString& packet)
{
    QUrl page = CompanionRoute::lumivoGPT();
    page.setQuery(QStringLiteral("q=") + escapedQueryValue(packet), QUrl::StrictMode);
    return page;
}

} // namespace ChatContextPacket
