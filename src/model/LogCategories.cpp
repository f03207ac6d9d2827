#include "LogCategories.h"

Q_LOGGING_CATEGORY(lcPolling, "lumivo.polling", QtInfoMsg)
Q_LOGGING_CATEGORY(lcHandoff, "lumivo.handoff", QtInfoMsg)
Q_LOGGING_CATEGORY(lcLinks, "lumivo.links", QtInfoMsg)
Q_LOGGING_CATEGORY(lcActions, "lumivo.actions", QtInfoMsg)
Q_LOGGING_CATEGORY(lcActivity, "lumivo.activity", QtInfoMsg)
Q_LOGGING_CATEGORY(lcWeb, "lumivo.web", QtInfoMsg)
Q_LOGGING_CATEGORY(lcAudio, "lumivo.audio", QtInfoMsg)
Q_LOGGING_CATEGORY(lcSettings, "lumivo.settings", QtInfoMsg)
