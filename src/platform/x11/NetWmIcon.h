#pragma once

#include <QIcon>
#include <QtGlobal>

#include <span>

// A window's _NET_WM_ICON: one or more pictures, each its width and height
// followed by width x height ARGB pixels, one 32-bit value each. The values
// come from any client, so sizes that do not fit what is there end the read.
QIcon iconFromNetWmIcon(std::span<const quint32> values);
