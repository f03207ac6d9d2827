#include "StrictJson.h"

#include <QJsonDocument>
#include <QJsonParseError>

namespace StrictJson {

std::optional<QJsonObject> parseObject(const QByteArray& body)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(body, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    return document.object();
}

std::optional<QJsonValue> ObjectReader::member(QStringView key, QJsonValue::Type type, Presence presence)
{
    if (m_failed)
        return std::nullopt;
    QJsonValue value = m_object.value(key);
    if (value.isUndefined() || value.isNull()) {
        if (presence == Presence::required)
            m_failed = true;
        return std::nullopt;
    }
    if (value.type() != type) {
        m_failed = true;
        return std::nullopt;
    }
    return value;
}

QString ObjectReader::text(QStringView key)
{
    const auto value = member(key, QJsonValue::String, Presence::required);
    return value ? value->toString() : QString();
}

std::optional<QString> ObjectReader::optionalText(QStringView key)
{
    const auto value = member(key, QJsonValue::String, Presence::optional);
    if (!value)
        return std::nullopt;
    return value->toString();
}

bool ObjectReader::boolean(QStringView key)
{
    const auto value = member(key, QJsonValue::Bool, Presence::required);
    return value && value->toBool();
}

std::optional<bool> ObjectReader::optionalBoolean(QStringView key)
{
    const auto value = member(key, QJsonValue::Bool, Presence::optional);
    if (!value)
        return std::nullopt;
    return value->toBool();
}

qint64 ObjectReader::integer(QStringView key)
{
    const auto value = member(key, QJsonValue::Double, Presence::required);
    if (!value)
        return 0;
    // toInteger() gives back its default for a number that is not whole or
    // lies outside the 64-bit range; two different defaults expose that case
    // without mistaking a genuine value for it. Qt's parser has already made
    // 7.0 and 1e3 whole, but it has also rounded any number it could not hold
    // exactly (e.g. -9223372036854775809 arrives as the 64-bit minimum).
    // No check here can see that; the server sends plain integers.
    const qint64 whole = value->toInteger(0);
    if (whole != value->toInteger(1)) {
        m_failed = true;
        return 0;
    }
    return whole;
}

double ObjectReader::number(QStringView key)
{
    const auto value = member(key, QJsonValue::Double, Presence::required);
    return value ? value->toDouble() : 0.0;
}

} // namespace StrictJson
