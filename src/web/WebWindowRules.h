#pragma once

#include <QRect>
#include <QUrl>

// The web windows' decisions, kept apart from the web engine so that they
// can be checked on their own.
namespace WebWindowRules {

// What a page asks to capture.
enum class Capture { microphone, camera, cameraAndMicrophone, screen, screenWithAudio, other };

// Whether a page of origin may capture without asking the user: only the
// microphone alone, and only for the local server's pages ("127.0.0.1" or
// "localhost"). Everything else is refused; nobody is ever asked.
bool grants(const QUrl& origin, Capture capture);

// A frame covering coverage (held to 0.4 to 0.9) of the available area's
// width and height, centred on it.
QRect coveringFrame(const QRect& available, double coverage);

} // namespace WebWindowRules
