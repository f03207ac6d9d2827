#pragma once

#include <QString>

// Google Chrome as the launch catalogue names it; the desktop layer resolves
// both names to the installed Chrome (or Chromium).
namespace Chrome {

inline const QString applicationPath = QStringLiteral("/Applications/Google Chrome.app");
inline const QString bundleIdentifier = QStringLiteral("com.google.Chrome");

} // namespace Chrome
