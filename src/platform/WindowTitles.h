#pragma once

class QString;
class QWidget;

// Names a top-level window exactly title. On X11 Qt ends the name of every
// window with the application's display name ("Vora — Power Vora"); a
// window whose title says on its own what it is carries that title alone.
// Call it once the window is on screen; calling it again costs little.
void showExactTitle(QWidget& window, const QString& title);
