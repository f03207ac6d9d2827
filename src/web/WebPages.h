#pragma once

#include <QString>
#include <QUrl>

#include <optional>

// The local server's pages that open in the companion's own windows.
namespace WebPages {

// The assistant's chat page, as the companion shows it: the dashboard root
// with "companion", "expanded" and "popout" set to 1.
QUrl chat();
// The chat page with "voice" = 1 as well.
QUrl talk();
// The reporting product's audit funnel, "/join", with "stage" when one is given.
QUrl funnel(const std::optional<QString>& stage);
// The chat page told to run prompt at once ("autorun" = 1, "prompt").
QUrl codexAction(const QString& prompt);

} // namespace WebPages
