#pragma once

// How the desktop knows the window program: its application id (the name of
// its desktop entry, metainfo and icon), its icon, and Qt's own strings in
// the window's language.

#include <QIcon>
#include <QString>

namespace kestrane {

// "org.kestrane.Kestrane".
QString ApplicationId();

// The installed theme icon of that name; from the build tree, the same
// picture built into the program.
QIcon ApplicationIcon();

// Loads Qt's Simplified Chinese strings (qtbase_zh_CN from Debian's Qt
// translations) into the running application, so that Qt's own buttons and
// menus speak the window's language. Returns false when they are not installed.
bool InstallQtChineseTranslations();

}  // namespace kestrane
