#pragma once

#include <QLoggingCategory>

// The program's logging categories, "lumivo.<subject>". Warnings and notes
// are written to standard error; debug messages only when QT_LOGGING_RULES
// turns them on, as "lumivo.*.debug=true" does for all of them. A warning
// says once that something stopped working, never at every attempt.
Q_DECLARE_LOGGING_CATEGORY(lcPolling)  // the polls of the local server and the weather service
Q_DECLARE_LOGGING_CATEGORY(lcHandoff)  // links and reopens handed from one copy to another
Q_DECLARE_LOGGING_CATEGORY(lcLinks)    // lumivo: links acted on or ignored
Q_DECLARE_LOGGING_CATEGORY(lcActions)  // applications, pages and tabs opened or closed for the menu
Q_DECLARE_LOGGING_CATEGORY(lcActivity) // desktop notifications that become alerts
Q_DECLARE_LOGGING_CATEGORY(lcWeb)      // the web engine module and the web windows
Q_DECLARE_LOGGING_CATEGORY(lcAudio)    // the audio module behind the chime
Q_DECLARE_LOGGING_CATEGORY(lcSettings) // the saved settings
