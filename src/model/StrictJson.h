#pragma once

// Strict reading of the local server's JSON feeds, shared by every feed so the
// type rules live in one place:
//  - keys are case-sensitive and keys nobody asks for are ignored;
//  - a required member that is absent or null fails the document, an optional
//    one that is absent or null reads as empty;
//  - a member of the wrong JSON type fails the document, required or not;
//    text is only a string, a boolean only true/false, an integer only a
//    number holding a whole value within the signed 64-bit range;
//  - a list is read element by element and one bad element fails it all.
// A feed is taken whole or not at all, so nothing half-read ever escapes.

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QStringView>

#include <optional>
#include <type_traits>
#include <utility>
#include <vector>

namespace StrictJson {

// Reads the members of one JSON object. The first error marks the reader as
// failed; every read after it returns an empty value without looking, and the
// record built from those values is thrown away by the caller.
class ObjectReader {
    // What `read` makes of one object.
    template <typename Read>
    using RecordOf = std::invoke_result_t<Read&, ObjectReader&>;

public:
    explicit ObjectReader(QJsonObject object) : m_object(std::move(object)) { }

    bool failed() const { return m_failed; }

    QString text(QStringView key);
    std::optional<QString> optionalText(QStringView key);
    bool boolean(QStringView key);
    std::optional<bool> optionalBoolean(QStringView key);
    qint64 integer(QStringView key);
    double number(QStringView key);

    // Nested objects, and lists of objects, each turned into a record by
    // `read(ObjectReader&)`.
    template <typename Read>
    auto object(QStringView key, Read read)
    {
        return objectMember(key, read, Presence::required).value_or(RecordOf<Read>{});
    }
    template <typename Read>
    auto optionalObject(QStringView key, Read read)
    {
        return objectMember(key, read, Presence::optional);
    }
    template <typename Read>
    auto objectList(QStringView key, Read read)
    {
        return listMember(key, read, Presence::required).value_or(std::vector<RecordOf<Read>>{});
    }
    template <typename Read>
    auto optionalObjectList(QStringView key, Read read)
    {
        return listMember(key, read, Presence::optional);
    }

    // Reads a whole object with `read`; nullopt when any read inside failed.
    template <typename Read>
    static std::optional<RecordOf<Read>> readWhole(QJsonObject object, Read& read)
    {
        ObjectReader reader(std::move(object));
        auto record = read(reader);
        if (reader.failed())
            return std::nullopt;
        return record;
    }

private:
    enum class Presence { required, optional };

    // The member's value when it is there, not null and of `type`. Otherwise
    // nullopt, and the reader fails unless an optional member is merely absent
    // or null.
    std::optional<QJsonValue> member(QStringView key, QJsonValue::Type type, Presence presence);

    template <typename Read>
    std::optional<RecordOf<Read>> objectMember(QStringView key, Read& read, Presence presence)
    {
        const auto value = member(key, QJsonValue::Object, presence);
        if (!value)
            return std::nullopt;
        return nested(value->toObject(), read);
    }

    template <typename Read>
    std::optional<std::vector<RecordOf<Read>>> listMember(QStringView key, Read& read, Presence presence)
    {
        const auto value = member(key, QJsonValue::Array, presence);
        if (!value)
            return std::nullopt;
        const QJsonArray elements = value->toArray();
        std::vector<RecordOf<Read>> records;
        records.reserve(size_t(elements.size()));
        for (const QJsonValue& element : elements) {
            if (!element.isObject()) {
                m_failed = true;
                return std::nullopt;
            }
            auto record = nested(element.toObject(), read);
            if (!record)
                return std::nullopt;
            records.push_back(std::move(*record));
        }
        return records;
    }

    template <typename Read>
    std::optional<RecordOf<Read>> nested(QJsonObject object, Read& read)
    {
        auto record = readWhole(std::move(object), read);
        if (!record)
            m_failed = true;
        return record;
    }

    QJsonObject m_object;
    bool m_failed = false;
};

// The body's top-level object; nullopt unless the body is valid JSON, with
// nothing but white space after it, whose top level is an object.
std::optional<QJsonObject> parseObject(const QByteArray& body);

// Decodes a whole feed body with `read`, or gives nullopt.
template <typename Read>
auto decode(const QByteArray& body, Read read) -> std::optional<std::invoke_result_t<Read&, ObjectReader&>>
{
    auto object = parseObject(body);
    if (!object)
        return std::nullopt;
    return ObjectReader::readWhole(std::move(*object), read);
}

} // namespace StrictJson
