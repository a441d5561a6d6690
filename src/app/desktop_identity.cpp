#include "app/desktop_identity.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <memory>

namespace kestrane {

QString ApplicationId() { return QStringLiteral(KESTRANE_APP_ID); }

QIcon ApplicationIcon() {
    return QIcon::fromTheme(ApplicationId(), QIcon(QStringLiteral(":/icons/" KESTRANE_APP_ID ".svg")));
}

bool InstallQtChineseTranslations() {
    // The window's captions are Chinese whatever the system's language, so Qt's
    // strings follow them rather than the locale.
    QCoreApplication* app = QCoreApplication::instance();
    auto translator = std::make_unique<QTranslator>();
    if (app == nullptr ||
        !translator->load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        return false;
    }
    translator->setParent(app);  // the application owns it from here on
    return QCoreApplication::installTranslator(translator.release());
}

}  // namespace kestrane
