#include "MobileLinkCopier.h"

#include "QrCodeImage.h"
#include "model/CompanionDestinations.h"
#include "model/CompanionModel.h"
#include "model/StrictJson.h"
#include "platform/Bell.h"
#include "platform/Pasteboard.h"

MobileLinkCopier::MobileLinkCopier(Environment environment) : m_environment(environment) { }

MobileLinkCopier::~MobileLinkCopier() { m_hideTask.cancel(); }

std::optional<QString> MobileLinkCopier::linkFromBody(const QByteArray& body)
{
    const std::optional<QJsonObject> object = StrictJson::parseObject(body);
    if (!object)
        return std::nullopt;
    const QJsonValue url = object->value(QStringLiteral("url"));
    if (!url.isString())
        return std::nullopt;
    return url.toString();
}

void MobileLinkCopier::copyPhoneLink(Done done)
{
    m_environment.http.get(
        &m_context, CompanionRoute::mobileLink(), [this, done = std::move(done)](const HttpAnswer& answer) {
            const std::optional<QString> link = answer.isOK() ? linkFromBody(answer.body) : std::nullopt;
            if (link)
                show(*link);
            else
                m_environment.bell.ring();
            if (done)
                done();
        });
}

void MobileLinkCopier::show(const QString& link)
{
    CompanionModel& model = m_environment.model;
    m_environment.pasteboard.replaceText(link);
    model.mobileQRImage = QrCodeImage::forText(link);
    model.mobileLinkCopied = true;
    model.mobileInstructionsVisible = true;

    m_hideTask.cancel();
    m_hideTask = m_environment.scheduler.schedule(shownFor, [&model] {
        model.mobileLinkCopied = false;
        model.mobileInstructionsVisible = false;
        model.mobileQRImage = std::nullopt;
    });
}
