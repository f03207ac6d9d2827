// Random mutations of valid feed documents, fed to all three decoders. Byte
// mutations check that nothing crashes (the sanitizer build turns any memory
// or undefined-behaviour fault into a failure) and that nothing but a valid
// JSON object is ever accepted. Structured mutations edit the decoded JSON
// tree and check the outcome against the format rules, worked out here from a
// schema written independently of the decoders.

#include "FeedSamples.h"

#include "model/CompanionAgentUsage.h"
#include "model/CompanionFeeds.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <iostream>
#include <limits>
#include <random>
#include <span>
#include <thread>
#include <variant>

namespace {

// ---- What the formats say ------------------------------------------------

enum class Kind { text, boolean, integer, number, object, objectList };

struct Field;
using Schema = std::vector<Field>; // the members of one object

struct Field {
    QString key;
    Kind kind;
    bool required;
    const Schema* members = nullptr; // for objects and the elements of lists
};

QJsonValue::Type jsonTypeOf(Kind kind)
{
    switch (kind) {
    case Kind::text: return QJsonValue::String;
    case Kind::boolean: return QJsonValue::Bool;
    case Kind::integer:
    case Kind::number: return QJsonValue::Double;
    case Kind::object: return QJsonValue::Object;
    case Kind::objectList: return QJsonValue::Array;
    }
    return QJsonValue::Undefined;
}

Field requiredField(const char* key, Kind kind, const Schema* members = nullptr)
{
    return {QString::fromLatin1(key), kind, true, members};
}

Field optionalField(const char* key, Kind kind, const Schema* members = nullptr)
{
    return {QString::fromLatin1(key), kind, false, members};
}

const Schema alertSchema{requiredField("id", Kind::integer), requiredField("type", Kind::text),
                         requiredField("detail", Kind::text)};
const Schema alertFeedSchema{requiredField("notifications", Kind::objectList, &alertSchema)};

const Schema botSchema{requiredField("id", Kind::text),
                       requiredField("name", Kind::text),
                       optionalField("email", Kind::text),
                       requiredField("enabled", Kind::boolean),
                       requiredField("updatesAllowed", Kind::boolean),
                       optionalField("version", Kind::text),
                       optionalField("lastSeenIso", Kind::text)};
const Schema fleetSchema{requiredField("bots", Kind::objectList, &botSchema)};

const Schema windowSchema{requiredField("tokens", Kind::integer), requiredField("sessions", Kind::integer)};
const Schema modelSchema{requiredField("label", Kind::text), requiredField("tokens", Kind::integer)};
const Schema limitsSchema{requiredField("usedPercent", Kind::number), requiredField("windowMinutes", Kind::integer),
                          requiredField("resetsAt", Kind::number), optionalField("planType", Kind::text)};
const Schema planWindowSchema{requiredField("label", Kind::text), requiredField("usedPercent", Kind::number),
                              optionalField("resetsAtIso", Kind::text)};
const Schema planSchema{requiredField("windows", Kind::objectList, &planWindowSchema)};
const Schema agentSchema{requiredField("today", Kind::object, &windowSchema),
                         requiredField("week", Kind::object, &windowSchema),
                         optionalField("activeNow", Kind::boolean),
                         optionalField("models", Kind::objectList, &modelSchema),
                         optionalField("limits", Kind::object, &limitsSchema),
                         optionalField("plan", Kind::object, &planSchema)};
const Schema usageSchema{requiredField("claude", Kind::object, &agentSchema),
                         requiredField("codex", Kind::object, &agentSchema)};

// ---- The decoders under test ----------------------------------------------

using Decoded = std::optional<std::string>; // the decoded feed's rendering; nullopt when refused

struct Feed {
    const char* name;
    QByteArray sample;
    const Schema* schema;
    Decoded (*decode)(const QByteArray&);
};

const std::array<Feed, 3>& feeds()
{
    static const std::array<Feed, 3> all{{
        {"alerts", FeedSamples::alerts(), &alertFeedSchema, &FeedSamples::decodeAndDescribe<CompanionAlertFeed>},
        {"fleet", FeedSamples::fleet(), &fleetSchema, &FeedSamples::decodeAndDescribe<FleetFeed>},
        {"usage", FeedSamples::usage(), &usageSchema, &FeedSamples::decodeAndDescribe<CompanionAgentUsage>},
    }};
    return all;
}

// Every input goes through here, so the count is what all three decoders saw.
struct Decoders {
    std::size_t inputs = 0;

    std::array<Decoded, 3> decodeWithAll(const QByteArray& body)
    {
        ++inputs;
        std::array<Decoded, 3> results;
        for (std::size_t i = 0; i < feeds().size(); ++i)
            results[i] = feeds()[i].decode(body);
        return results;
    }
};

// A fuzz run cut into parts, each seeded on its own so every input is fixed
// whatever the threads' timing; the parts share out the cores because the
// sanitizer build makes each decoding slow. A part gives back its first fault.
template <typename Part>
void runInParts(const char* what, std::size_t parts, Part part)
{
    QElapsedTimer timer;
    timer.start();
    std::vector<Decoders> decoders(parts);
    std::vector<std::optional<std::string>> faults(parts);
    std::atomic<std::size_t> nextPart = 0;
    {
        std::vector<std::jthread> workers;
        const std::size_t threads = std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, parts);
        for (std::size_t i = 0; i < threads; ++i) {
            workers.emplace_back([&] {
                for (std::size_t index = nextPart++; index < parts; index = nextPart++)
                    faults[index] = part(index, decoders[index]);
            });
        }
    }
    std::size_t inputs = 0;
    for (std::size_t index = 0; index < parts; ++index) {
        inputs += decoders[index].inputs;
        if (faults[index])
            ADD_FAILURE() << what << ", part " << index << ": " << *faults[index];
    }
    std::cout << "[ fuzz     ] " << what << ": " << inputs << " inputs in " << timer.elapsed() << " ms\n";
}

class Random {
public:
    explicit Random(std::uint64_t seed) : m_engine(seed) { }

    std::uint64_t next() { return m_engine(); }
    std::size_t below(std::size_t bound) { return std::size_t(m_engine() % bound); }
    bool oneIn(std::size_t n) { return below(n) == 0; }

    template <typename T>
    const T& pick(std::span<const T> values)
    {
        return values[below(values.size())];
    }

private:
    std::mt19937_64 m_engine;
};

// ---- Byte mutations -------------------------------------------------------

const std::array<QByteArray, 14> jsonTokens{
    "null", "true", "false", "1", "1.5", "-0", "1e400", "\"x\"", "[]", "{}", "9223372036854775808", ",", ":", "\"",
};

QByteArray mutateBytes(QByteArray body, Random& random)
{
    const auto position = [&](qsizetype extra = 0) {
        return qsizetype(random.below(std::size_t(body.size() + extra)));
    };
    const std::size_t edits = 1 + random.below(4);
    for (std::size_t edit = 0; edit < edits && !body.isEmpty(); ++edit) {
        switch (random.below(8)) {
        case 0: {
            const qsizetype at = position();
            body[at] = char(body[at] ^ char(1 << random.below(8)));
            break;
        }
        case 1: body.insert(position(1), char(random.below(256))); break;
        case 2: body.remove(position(), qsizetype(1 + random.below(8))); break;
        case 3: body.truncate(position()); break;
        case 4: body.insert(position(1), random.pick(std::span<const QByteArray>(jsonTokens))); break;
        case 5: {
            const qsizetype at = position();
            body.replace(at, qsizetype(1 + random.below(6)), random.pick(std::span<const QByteArray>(jsonTokens)));
            break;
        }
        case 6: { // splice this document's head onto another sample's tail
            const QByteArray& other = feeds()[random.below(feeds().size())].sample;
            body = body.left(position()) + other.mid(qsizetype(random.below(std::size_t(other.size()))));
            break;
        }
        case 7: { // repeat a stretch, as a server sending a member twice might
            const qsizetype at = position();
            const QByteArray stretch = body.mid(at, qsizetype(1 + random.below(24)));
            body.insert(position(1), stretch);
            break;
        }
        }
    }
    return body;
}

bool isJsonObject(const QByteArray& body)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(body, &error);
    return error.error == QJsonParseError::NoError && document.isObject();
}

// ---- Structured mutations -------------------------------------------------

using Step = std::variant<QString, qsizetype>; // a member's key or an element's index
using Path = std::vector<Step>;

// `node` with the value at `path` replaced by `value`, or removed when there is none.
QJsonValue withValueAt(const QJsonValue& node, std::span<const Step> path, const std::optional<QJsonValue>& value)
{
    if (path.empty())
        return value.value_or(QJsonValue());
    const bool last = path.size() == 1;
    if (const auto* key = std::get_if<QString>(&path.front())) {
        QJsonObject object = node.toObject();
        if (last && !value)
            object.remove(*key);
        else
            object.insert(*key, last ? *value : withValueAt(object.value(*key), path.subspan(1), value));
        return object;
    }
    const qsizetype index = std::get<qsizetype>(path.front());
    QJsonArray array = node.toArray();
    if (last && !value)
        array.removeAt(index);
    else
        array.replace(index, last ? *value : withValueAt(array.at(index), path.subspan(1), value));
    return array;
}

QByteArray serialised(const QJsonValue& root)
{
    if (root.isObject())
        return QJsonDocument(root.toObject()).toJson(QJsonDocument::Compact);
    if (root.isArray())
        return QJsonDocument(root.toArray()).toJson(QJsonDocument::Compact);
    // A bare value at the top level: wrap it and unwrap the text.
    const QByteArray wrapped = QJsonDocument(QJsonArray{root}).toJson(QJsonDocument::Compact);
    return wrapped.mid(1, wrapped.size() - 2);
}

// One place in a sample document that a mutation can touch.
struct Site {
    enum class Role { root, member, element, unknown };
    Role role;
    Path path;
    const Field* field = nullptr;      // a member's rules
    std::optional<QJsonValue> current; // absent for an optional member the sample leaves out
    const Schema* members = nullptr;   // the rules of the object found here, if it is read
};

void collectSites(const QJsonValue& value, const Path& path, const Schema* members, bool read,
                  std::vector<Site>& sites);

void collectMembers(const QJsonObject& object, const Path& path, const Schema* members, bool read,
                    std::vector<Site>& sites)
{
    for (auto it = object.begin(); it != object.end(); ++it) {
        Path memberPath = path;
        memberPath.emplace_back(it.key());
        const Field* field = nullptr;
        if (read) {
            for (const Field& candidate : *members) {
                if (candidate.key == it.key())
                    field = &candidate;
            }
        }
        if (!field) {
            sites.push_back({Site::Role::unknown, memberPath, nullptr, it.value(), nullptr});
            collectSites(it.value(), memberPath, nullptr, false, sites);
            continue;
        }
        const Schema* objectMembers = field->kind == Kind::object ? field->members : nullptr;
        sites.push_back({Site::Role::member, memberPath, field, it.value(), objectMembers});
        if (field->kind == Kind::object && it.value().isObject()) {
            collectMembers(it.value().toObject(), memberPath, field->members, true, sites);
        } else if (field->kind == Kind::objectList) {
            const QJsonArray elements = it.value().toArray();
            for (qsizetype i = 0; i < elements.size(); ++i) {
                Path elementPath = memberPath;
                elementPath.emplace_back(i);
                sites.push_back({Site::Role::element, elementPath, field, elements.at(i), field->members});
                collectMembers(elements.at(i).toObject(), elementPath, field->members, true, sites);
            }
        }
    }
    if (read) { // optional members the sample leaves out can still be added
        for (const Field& field : *members) {
            if (!object.contains(field.key)) {
                Path memberPath = path;
                memberPath.emplace_back(field.key);
                sites.push_back({Site::Role::member, memberPath, &field, std::nullopt,
                                 field.kind == Kind::object ? field.members : nullptr});
            }
        }
    }
}

void collectSites(const QJsonValue& value, const Path& path, const Schema* members, bool read, std::vector<Site>& sites)
{
    if (value.isObject()) {
        collectMembers(value.toObject(), path, members, read, sites);
    } else if (value.isArray()) {
        const QJsonArray elements = value.toArray();
        for (qsizetype i = 0; i < elements.size(); ++i) {
            Path elementPath = path;
            elementPath.emplace_back(i);
            sites.push_back({Site::Role::unknown, elementPath, nullptr, elements.at(i), nullptr});
            collectSites(elements.at(i), elementPath, nullptr, false, sites);
        }
    }
}

// What a mutated document must decode to, next to the untouched sample.
enum class Outcome { refused, unchanged, changed };

const char* nameOf(Outcome outcome)
{
    switch (outcome) {
    case Outcome::refused: return "refused";
    case Outcome::unchanged: return "unchanged";
    case Outcome::changed: return "changed";
    }
    return "?";
}

struct Mutation {
    QJsonValue root;
    Outcome outcome;
    std::string what;
};

class Mutator {
public:
    explicit Mutator(Random& random) : m_random(random) { }

    // A mutation of `site` in the document `root`.
    Mutation mutate(const QJsonValue& root, const Site& site)
    {
        if (site.role != Site::Role::root && m_random.oneIn(5) && site.current && site.current->isObject())
            return addUnknownKey(root, site);
        switch (site.role) {
        case Site::Role::root:
            if (m_random.oneIn(2))
                return addUnknownKey(root, site);
            return {anyValueBut(QJsonValue::Object), Outcome::refused, "top level replaced"};
        case Site::Role::unknown:
            return at(root, site, m_random.oneIn(4) ? std::nullopt : std::optional(anyValue(2)), Outcome::unchanged,
                      "unknown member edited");
        case Site::Role::element: return mutateElement(root, site);
        case Site::Role::member: return mutateMember(root, site);
        }
        return {};
    }

    // The member at `site` removed and, separately, set to null.
    std::pair<QJsonValue, QJsonValue> removedAndNulled(const QJsonValue& root, const Site& site)
    {
        return {withValueAt(root, site.path, std::nullopt), withValueAt(root, site.path, QJsonValue())};
    }

private:
    Mutation at(const QJsonValue& root, const Site& site, const std::optional<QJsonValue>& value, Outcome outcome,
                const std::string& what)
    {
        return {withValueAt(root, site.path, value), outcome, what};
    }

    Mutation addUnknownKey(const QJsonValue& root, const Site& site)
    {
        Path path = site.path;
        path.emplace_back(unknownKey(site.members));
        return {withValueAt(root, path, anyValue(2)), Outcome::unchanged, "unknown key added"};
    }

    Mutation mutateElement(const QJsonValue& root, const Site& site)
    {
        const Path listPath(site.path.begin(), site.path.end() - 1);
        QJsonArray list = valueAt(root, listPath).toArray();
        const qsizetype index = std::get<qsizetype>(site.path.back());
        switch (m_random.below(4)) {
        case 0:
            list.removeAt(index);
            return {withValueAt(root, listPath, QJsonValue(list)), Outcome::changed, "list element removed"};
        case 1:
            list.insert(index, list.at(index));
            return {withValueAt(root, listPath, QJsonValue(list)), Outcome::changed, "list element repeated"};
        case 2: return at(root, site, QJsonValue(), Outcome::refused, "list element nulled");
        default:
            return at(root, site, anyValueBut(QJsonValue::Object), Outcome::refused, "list element of another type");
        }
    }

    Mutation mutateMember(const QJsonValue& root, const Site& site)
    {
        const Field& field = *site.field;
        const QJsonValue::Type type = jsonTypeOf(field.kind);
        if (m_random.oneIn(3))
            return at(root, site, anyValueBut(type), Outcome::refused, "member of another type");
        switch (field.kind) {
        case Kind::text: {
            return at(root, site, QJsonValue(differentText(site.current)), Outcome::changed, "text changed");
        }
        case Kind::boolean: {
            const bool value = site.current && site.current->isBool() ? !site.current->toBool() : m_random.oneIn(2);
            return at(root, site, QJsonValue(value), Outcome::changed, "boolean changed");
        }
        case Kind::integer:
            if (m_random.oneIn(2))
                return at(root, site, notAnInteger(), Outcome::refused, "integer not whole or out of range");
            return at(root, site, QJsonValue(differentInteger(site.current)), Outcome::changed, "integer changed");
        case Kind::number: return at(root, site, differentNumber(site.current), Outcome::changed, "number changed");
        case Kind::object:
        case Kind::objectList:
            // A same-typed value that breaks the nested rules.
            return at(root, site, field.kind == Kind::object ? QJsonValue(QJsonObject{}) : QJsonValue(QJsonArray{1}),
                      Outcome::refused, "nested value emptied of its members");
        }
        return {};
    }

    static QJsonValue valueAt(const QJsonValue& root, const Path& path)
    {
        QJsonValue node = root;
        for (const Step& step : path) {
            if (const auto* key = std::get_if<QString>(&step))
                node = node.toObject().value(*key);
            else
                node = node.toArray().at(std::get<qsizetype>(step));
        }
        return node;
    }

    QString unknownKey(const Schema* members)
    {
        // Inside objects nobody reads, even the feeds' own key names are unknown.
        static const std::array<QString, 6> names{
            QStringLiteral("notifications"), QStringLiteral("bots"), QStringLiteral("claude"),
            QStringLiteral("tokens"),        QStringLiteral("id"),   QStringLiteral("")};
        if (!members)
            return m_random.oneIn(2) ? m_random.pick(std::span<const QString>(names))
                                     : QStringLiteral("x%1").arg(m_random.below(100));
        // Keys differing from a known one only by case or a space.
        const QString& key = (*members)[m_random.below(members->size())].key;
        switch (m_random.below(3)) {
        case 0: return key.left(1).toUpper() + key.mid(1);
        case 1: return key + QLatin1Char(' ');
        default: return key.toUpper() + QString::number(m_random.below(10));
        }
    }

    QJsonValue anyValue(int depth)
    {
        switch (m_random.below(depth > 0 ? 8 : 6)) {
        case 0: return QJsonValue();
        case 1: return m_random.oneIn(2);
        case 2: return qint64(m_random.next());
        case 3: return std::ldexp(double(m_random.below(1000)) - 500.0, int(m_random.below(140)) - 70);
        case 4: return QStringLiteral("v%1").arg(m_random.below(1000));
        case 5: return m_random.oneIn(2) ? QJsonValue(QStringLiteral("")) : QJsonValue(QStringLiteral("7"));
        case 6: return QJsonArray{anyValue(depth - 1), anyValue(depth - 1)};
        default: return QJsonObject{{unknownKey(nullptr), anyValue(depth - 1)}, {QStringLiteral("label"), anyValue(0)}};
        }
    }

    // A value that is neither null nor of `type`.
    QJsonValue anyValueBut(QJsonValue::Type type)
    {
        for (;;) {
            const QJsonValue value = anyValue(1);
            if (!value.isNull() && value.type() != type)
                return value;
        }
    }

    QString differentText(const std::optional<QJsonValue>& current)
    {
        static const std::array<QString, 6> texts{QStringLiteral(""),
                                                  QStringLiteral("x"),
                                                  QStringLiteral("null"),
                                                  QStringLiteral("\u00e9t\u00e9 \u2014 \U0001F916"),
                                                  QStringLiteral("quote \" and \\ backslash"),
                                                  QStringLiteral("7")};
        for (;;) {
            const QString& text = m_random.pick(std::span<const QString>(texts));
            if (!current || current->toString() != text || !current->isString())
                return text;
        }
    }

    qint64 differentInteger(const std::optional<QJsonValue>& current)
    {
        static const std::array<qint64, 7> edges{0,
                                                 -1,
                                                 1,
                                                 4294967296,
                                                 9007199254740993,
                                                 std::numeric_limits<qint64>::max(),
                                                 std::numeric_limits<qint64>::min()};
        for (;;) {
            const qint64 value = m_random.oneIn(2) ? m_random.pick(std::span<const qint64>(edges))
                                                   : qint64(m_random.next() >> m_random.below(64));
            if (!current || current->toInteger() != value)
                return value;
        }
    }

    QJsonValue notAnInteger()
    {
        static const std::array<double, 6> values{0.5, -7.25, 1e19, -1e19, 9223372036854775808.0, 4503599627370495.5};
        return QJsonValue(m_random.pick(std::span<const double>(values)));
    }

    QJsonValue differentNumber(const std::optional<QJsonValue>& current)
    {
        for (;;) {
            const QJsonValue value = m_random.oneIn(2)
                ? QJsonValue(qint64(m_random.next() >> m_random.below(64)))
                : QJsonValue(std::ldexp(double(m_random.below(100000)), int(m_random.below(80)) - 40));
            if (!current || current->toDouble() != value.toDouble())
                return value;
        }
    }

    Random& m_random;
};

// Checks one decoder's result against the outcome expected of it; every other
// decoder must refuse a document of the wrong feed.
::testing::AssertionResult meets(const std::array<Decoded, 3>& results, std::size_t feed, Outcome outcome,
                                 const Decoded& original)
{
    for (std::size_t other = 0; other < results.size(); ++other) {
        if (other != feed && results[other])
            return ::testing::AssertionFailure()
                << feeds()[other].name << " decoder accepted a " << feeds()[feed].name << " document";
    }
    const Decoded& decoded = results[feed];
    const bool ok = outcome == Outcome::refused ? !decoded
        : outcome == Outcome::unchanged         ? decoded == original
                                                : decoded && decoded != original;
    if (ok)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "expected " << nameOf(outcome) << ", decoded to:\n"
                                         << decoded.value_or("(refused)") << "\noriginal:\n"
                                         << *original;
}

constexpr std::size_t partsPerFeed = 16;
constexpr std::uint64_t partSeedStride = 0x9e37'79b9'7f4a'7c15;

// The structured mutations of one part of one feed's sample.
Decoded mutateStructure(const Feed& feed, std::size_t feedIndex, Random& random, std::size_t mutations,
                        Decoders& decoders, std::array<std::atomic<std::size_t>, 3>& seen)
{
    const QJsonValue root = QJsonDocument::fromJson(feed.sample).object();
    const Decoded original = feed.decode(feed.sample);
    if (!original)
        return std::string(feed.name) + " sample refused";
    if (const auto verdict = meets(decoders.decodeWithAll(serialised(root)), feedIndex, Outcome::unchanged, original);
        !verdict)
        return std::string(feed.name) + " sample written back: " + verdict.message();

    std::vector<Site> sites{{Site::Role::root, {}, nullptr, root, feed.schema}};
    collectSites(root, {}, feed.schema, true, sites);
    Mutator mutator(random);

    for (std::size_t n = 0; n < mutations; ++n) {
        const Site& site = sites[random.below(sites.size())];
        if (site.role == Site::Role::member && random.oneIn(4)) {
            // Removing a member and nulling it are the same to the decoder.
            const auto [removed, nulled] = mutator.removedAndNulled(root, site);
            const bool wasValue = site.current && !site.current->isNull();
            const Outcome outcome = site.field->required ? Outcome::refused
                : wasValue                               ? Outcome::changed
                                                         : Outcome::unchanged;
            const QByteArray withoutIt = serialised(removed);
            const auto resultsWithout = decoders.decodeWithAll(withoutIt);
            const auto resultsNull = decoders.decodeWithAll(serialised(nulled));
            for (const auto* results : {&resultsWithout, &resultsNull}) {
                if (const auto verdict = meets(*results, feedIndex, outcome, original); !verdict)
                    return "member removed or nulled: " + withoutIt.toStdString() + "\n" + verdict.message();
            }
            if (resultsWithout[feedIndex] != resultsNull[feedIndex])
                return "removing and nulling a member differ: " + withoutIt.toStdString();
            ++seen[std::size_t(outcome)];
            continue;
        }
        const Mutation mutation = mutator.mutate(root, site);
        const QByteArray body = serialised(mutation.root);
        if (const auto verdict = meets(decoders.decodeWithAll(body), feedIndex, mutation.outcome, original); !verdict)
            return mutation.what + ": " + body.toStdString() + "\n" + verdict.message();
        ++seen[std::size_t(mutation.outcome)];
    }
    return std::nullopt;
}

} // namespace

TEST(FeedFuzz, EveryProperPrefixOfADocumentIsRefused)
{
    runInParts("proper prefixes", feeds().size(), [](std::size_t feedIndex, Decoders& decoders) -> Decoded {
        const Feed& feed = feeds()[feedIndex];
        const QByteArray sample = feed.sample.trimmed();
        for (qsizetype length = 0; length < sample.size(); ++length) {
            const auto results = decoders.decodeWithAll(sample.left(length));
            for (const Decoded& result : results) {
                if (result)
                    return std::string(feed.name) + " accepted when cut at " + std::to_string(length);
            }
        }
        return std::nullopt;
    });
}

TEST(FeedFuzz, ByteMutationsAreRefusedUnlessStillAJsonObject)
{
    constexpr std::size_t mutationsPerPart = 20'000;
    std::atomic<std::size_t> accepted = 0;
    runInParts("byte mutations", feeds().size() * partsPerFeed, [&](std::size_t part, Decoders& decoders) -> Decoded {
        const Feed& feed = feeds()[part / partsPerFeed];
        Random random(0x5eed'f00d + part * partSeedStride);
        for (std::size_t n = 0; n < mutationsPerPart; ++n) {
            const QByteArray body = mutateBytes(feed.sample, random);
            const auto results = decoders.decodeWithAll(body);
            if (std::none_of(results.begin(), results.end(), [](const Decoded& result) { return result.has_value(); }))
                continue;
            ++accepted;
            if (!isJsonObject(body))
                return "accepted something that is not a JSON object: " + body.toStdString();
        }
        return std::nullopt;
    });
    // Mutations landing inside strings keep a document valid; some must get through.
    EXPECT_GT(accepted.load(), 0u);
}

TEST(FeedFuzz, StructuredMutationsFollowTheFormatRules)
{
    constexpr std::size_t mutationsPerPart = 3'000;
    std::array<std::atomic<std::size_t>, 3> seen{}; // per outcome, to show every kind was exercised
    runInParts("structured mutations", feeds().size() * partsPerFeed, [&](std::size_t part, Decoders& decoders) {
        Random random(0xfeed'cafe + part * partSeedStride);
        const std::size_t feedIndex = part / partsPerFeed;
        return mutateStructure(feeds()[feedIndex], feedIndex, random, mutationsPerPart, decoders, seen);
    });
    for (const auto& count : seen)
        EXPECT_GT(count.load(), mutationsPerPart);
}
