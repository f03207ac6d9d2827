#include "platform/desktop/DisplayBell.h"

#include <QApplication>

void DisplayBell::ring() { QApplication::beep(); }
