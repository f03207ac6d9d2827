#include "CompanionModel.h"

#include "ApplicationPicker.h"
#include "CompanionSettings.h"
#include "SystemSoundPlayer.h"

#include <QPointer>

#include <algorithm>
#include <cmath>

namespace {

CompanionAppearance savedAppearance(const QSettings& settings)
{
    const QString text =
        CompanionSettings::textReading(settings.value(CompanionModel::appearanceKey)).value_or(QString());
    return CompanionAppearance::fromRawValue(text).value_or(CompanionAppearance::light);
}

bool savedGoogleOpensSeparately(const QSettings& settings)
{
    if (!settings.contains(CompanionModel::googleSeparateKey))
        return true;
    return CompanionSettings::boolReading(settings.value(CompanionModel::googleSeparateKey));
}

QStringList savedPersonalApps(const QSettings& settings)
{
    return CompanionSettings::stringArrayReading(settings.value(CompanionModel::personalAppsKey))
        .value_or(QStringList());
}

// Paths compare as text: case matters, but canonically equivalent Unicode
// forms (a precomposed "é" and "e" with a combining accent) are the same path.
bool samePath(const QString& a, const QString& b)
{
    return a == b || a.normalized(QString::NormalizationForm_C) == b.normalized(QString::NormalizationForm_C);
}

bool listHolds(const QStringList& paths, const QString& path)
{
    return std::any_of(paths.begin(), paths.end(), [&](const QString& held) { return samePath(held, path); });
}

} // namespace

CompanionModel::CompanionModel(Environment environment, QObject* parent)
    : ObservableObject(parent), appearance(this, savedAppearance(environment.settings)),
      googleOpensSeparately(this, savedGoogleOpensSeparately(environment.settings)),
      personalApps(this, savedPersonalApps(environment.settings)), m_environment(std::move(environment))
{
}

CompanionModel::~CompanionModel() { alertDismissTask.cancel(); }

void CompanionModel::setAppearance(CompanionAppearance newAppearance)
{
    appearance = newAppearance;
    CompanionSettings::store(m_environment.settings, appearanceKey, newAppearance.rawValue());
}

void CompanionModel::toggleAppearance() { setAppearance(appearance.get().toggled()); }

void CompanionModel::requestWave()
{
    waveSignal.modify([](std::int64_t& count) { ++count; });
}

void CompanionModel::enqueueAlert(CompanionAlertSource source, const QString& detail)
{
    const CompanionAlert alert(source, detail);
    if (activeAlert.get() && activeAlert->value().isSameAlertAs(alert))
        return;
    if (!activeAlert.get() && !menuOpen && !companionHidden) {
        summonCompanion();
        presentAlert(alert);
        return;
    }
    queuedAlerts.push(alert);
}

void CompanionModel::presentQueuedAlertIfIdle() { presentNextAlert(); }

void CompanionModel::presentNextAlert()
{
    if (activeAlert.get() || queuedAlerts.empty() || menuOpen || companionHidden)
        return;
    presentAlert(*queuedAlerts.takeFirst());
}

void CompanionModel::presentAlert(const CompanionAlert& alert)
{
    prepareAlertPresentation();
    withAnimation(alertArrival, [&] { activeAlert = alert; });
    playSound(alert.source());

    const bool isSetup = alert.source() == CompanionAlertSource::setup;
    showExpression(isSetup ? CompanionExpression::thinking : CompanionExpression::excited, 3.0);

    alertDismissTask.cancel();
    alertDismissTask = schedule(isSetup ? 8 : 24, [model = QPointer(this)] {
        if (model)
            model->dismissAlert(false);
    });
}

void CompanionModel::playSound(CompanionAlertSource source)
{
    switch (source) {
    case CompanionAlertSource::setup: return;
    case CompanionAlertSource::call: m_environment.systemSounds.play(QStringLiteral("Tink")); return;
    default: m_environment.playChime(); return;
    }
}

void CompanionModel::dismissAlert(bool openSource)
{
    if (!activeAlert.get())
        return;
    const CompanionAlert shown = *activeAlert.get();
    alertDismissTask.cancel();
    alertDismissTask = ScheduledWork();

    if (openSource)
        openAlert(shown);
    withAnimation(alertDeparture, [&] { activeAlert = std::nullopt; });
    finishAlertPresentation();

    schedule(0.28, [model = QPointer(this)] {
        if (model)
            model->presentNextAlert();
    });
}

void CompanionModel::showExpression(CompanionExpression newExpression, double seconds)
{
    expression = newExpression;
    schedule(seconds, [model = QPointer(this), newExpression] {
        if (model && model->expression == newExpression)
            model->expression = CompanionExpression::idle;
    });
}

void CompanionModel::setGoogleOpensSeparately(bool separately)
{
    googleOpensSeparately = separately;
    CompanionSettings::store(m_environment.settings, googleSeparateKey, separately);
}

void CompanionModel::addPersonalApp()
{
    const std::optional<QStringList> chosen = m_environment.applicationPicker.pickApplications({
        .title = QStringLiteral("Add a Personal App"),
        .message = QStringLiteral("Pick any app \u2014 it joins your personal row."),
        .prompt = QStringLiteral("Add"),
        .startDirectory = QStringLiteral("/Applications"),
    });
    if (!chosen)
        return;

    QStringList added;
    for (const QString& path : *chosen) {
        if (!listHolds(personalApps, path))
            added.append(path);
    }
    if (added.isEmpty())
        return;

    personalApps.modify([&](QStringList& paths) { paths.append(added); });
    CompanionSettings::store(m_environment.settings, personalAppsKey, personalApps.get());
}

void CompanionModel::removePersonalApp(const QString& path)
{
    personalApps.modify(
        [&](QStringList& paths) { paths.removeIf([&](const QString& held) { return samePath(held, path); }); });
    CompanionSettings::store(m_environment.settings, personalAppsKey, personalApps.get());
}

ScheduledWork CompanionModel::schedule(double seconds, std::function<void()> work)
{
    // A negative or undefined delay means "as soon as possible"; a huge one is
    // capped rather than overflowing the timer's integer.
    constexpr double longestWait = 1e12;
    const double milliseconds = std::isnan(seconds) ? 0.0 : std::clamp(seconds * 1000.0, 0.0, longestWait);
    return m_environment.scheduler.schedule(Scheduler::Duration(std::llround(milliseconds)), std::move(work));
}
