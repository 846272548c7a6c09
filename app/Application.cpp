#include "app/Application.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "app/Fonts.h"

// The icon is compiled into this library; a static library's resources are
// registered by hand. (The macro works outside namespaces only.)
static void RegisterResources() { Q_INIT_RESOURCE(morvik); }

namespace morvik {

void SetUpApplication() {
    RegisterResources();
    QCoreApplication::setApplicationName(QStringLiteral("Morvik"));
    QGuiApplication::setDesktopFileName(QStringLiteral("morvik"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/morvik.svg")));
    InstallFontSubstitutes();
    // Qt's own texts (the save dialog's) in the user's language, where installed.
    auto* qtTexts = new QTranslator(qApp);
    if (qtTexts->load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(qtTexts);
    }
}

}  // namespace morvik
