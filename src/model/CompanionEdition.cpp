#include "CompanionEdition.h"

#include "ResourceBundle.h"

CompanionEdition CompanionEdition::current()
{
    static const CompanionEdition edition = fromInfo(ResourceBundle::main().info());
    return edition;
}

CompanionEdition CompanionEdition::fromInfo(const QJsonObject& info)
{
    const QJsonValue value = info.value(QStringLiteral("LumivoEdition"));
    const QString text = value.isString() ? value.toString() : QString();
    return fromRawValue(text).value_or(commandCenter);
}

std::optional<CompanionEdition> CompanionEdition::fromRawValue(QStringView text)
{
    return caseWithRawValue<CompanionEdition>(text);
}

QString CompanionEdition::rawValue() const
{
    return isCommandCenter() ? QStringLiteral("commandCenter") : QStringLiteral("employee");
}

QString CompanionEdition::displayName() const
{
    return isCommandCenter() ? QStringLiteral("Varadi Command Center") : QStringLiteral("Varadi Bot OS");
}

QString CompanionEdition::productName() const
{
    return isCommandCenter() ? QStringLiteral("Power Vora") : QStringLiteral("My Vora");
}

QString CompanionEdition::companionCaption() const
{
    return isCommandCenter() ? QStringLiteral("CEO Vora is w/ you") : QStringLiteral("My Vora is with you");
}
