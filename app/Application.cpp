#include "app/Application.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QTranslator>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "app/Fonts.h"

// The icon is compiled into this library; a static library's resources are
// registered by hand. (The macro works outside namespaces only.)
static void RegisterResources() { Q_INIT_RESOURCE(morvik); }

namespace morvik {

namespace {

bool IsSet(const char* value) { return value != nullptr && *value != '\0'; }

std::string DisplayState(const Environment& environment, const char* variable, const char* kind) {
    const char* display = environment(variable);
    if (!IsSet(display)) return std::string(variable) + " is not set";
    return std::string(kind) + " display " + display + " does not answer";
}

std::string WhatItLacked(const FailedPlatform& platform, const Environment& environment) {
    if (!platform.found) return "Qt has no platform plugin \"" + platform.name + "\"";
    if (platform.name == "xcb") return DisplayState(environment, "DISPLAY", "X");
    if (platform.name.starts_with("wayland")) {
        return DisplayState(environment, "WAYLAND_DISPLAY", "Wayland");
    }
    return "the platform " + platform.name + " did not start";
}

struct HeldMessage {
    QtMsgType type;
    QByteArray file;
    int line;
    QByteArray function;
    QByteArray category;
    QString text;

    QMessageLogContext Context() const {
        const auto text = [](const QByteArray& bytes) {
            return bytes.isNull() ? nullptr : bytes.constData();
        };
        return QMessageLogContext(text(file), line, text(function), text(category));
    }
};

// What start-up keeps while the application object is being made. It lives
// as long as the program: a thread may still be in the handler as it ends.
struct Opening {
    std::mutex mutex;
    std::vector<HeldMessage> held;
    std::vector<FailedPlatform> tried;
    bool chosen = false;
};

Opening& TheOpening() {
    static Opening opening;
    return opening;
}

// Qt names each platform that fails in a message of its own, and gives up
// with a fatal one, which it follows with an abort once the handler returns.
void HoldMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    static const QRegularExpression pluginFailed(
        QStringLiteral(R"re(Could not (find|load) the Qt platform plugin "([^"]*)")re"));
    Opening& opening = TheOpening();
    const std::lock_guard lock(opening.mutex);
    if (const QRegularExpressionMatch failed = pluginFailed.match(text); failed.hasMatch()) {
        opening.tried.push_back({failed.captured(2).toStdString(), failed.captured(1) == "load"});
    }
    if (type == QtFatalMsg && text.contains(QLatin1String("platform plugin"))) {
        const std::string line =
            NoDisplayMessage(opening.tried, opening.chosen,
                             [](const char* name) { return std::getenv(name); }) +
            '\n';
        std::fputs(line.c_str(), stderr);
        std::fflush(stderr);
        std::_Exit(1);  // the application object is half made: nothing may run after
    }
    if (type == QtFatalMsg) {
        // Any other failure stays Qt's own, with what led to it.
        for (const HeldMessage& message : opening.held) {
            std::fprintf(
                stderr, "%s\n",
                qPrintable(qFormatLogMessage(message.type, message.Context(), message.text)));
        }
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, text)));
        return;
    }
    opening.held.push_back(
        {type, context.file, context.line, context.function, context.category, text});
}

bool PlatformArgument(int argc, char** argv) {
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0) {
            return true;
        }
    }
    return false;
}

}  // namespace

std::string NoDisplayMessage(const std::vector<FailedPlatform>& tried, bool chosen,
                             const Environment& environment) {
    std::vector<std::string> lacks;
    const auto add = [&lacks](std::string lack) {
        if (std::find(lacks.begin(), lacks.end(), lack) == lacks.end()) {
            lacks.push_back(std::move(lack));
        }
    };
    for (const FailedPlatform& platform : tried) add(WhatItLacked(platform, environment));
    // Qt's message may not have named them: then both displays as they stand.
    if (!chosen || tried.empty()) {
        const std::pair<const char*, const char*> displays[] = {{"DISPLAY", "X"},
                                                                {"WAYLAND_DISPLAY", "Wayland"}};
        for (const auto& [variable, kind] : displays) {
            if (tried.empty() || !IsSet(environment(variable))) {
                add(DisplayState(environment, variable, kind));
            }
        }
    }
    std::string line = "morvik: no display to open a window on (";
    for (size_t i = 0; i < lacks.size(); ++i) line += (i > 0 ? "; " : "") + lacks[i];
    return line + ")";
}

void MakeApplication(int argc, char** argv, const std::function<void()>& make) {
    Opening& opening = TheOpening();
    opening.chosen = IsSet(std::getenv("QT_QPA_PLATFORM")) || PlatformArgument(argc, argv);
    const QtMessageHandler previous = qInstallMessageHandler(HoldMessage);
    make();
    qInstallMessageHandler(previous);
    std::vector<HeldMessage> held;
    {
        const std::lock_guard lock(opening.mutex);
        held.swap(opening.held);
    }
    for (const HeldMessage& message : held) {
        qt_message_output(message.type, message.Context(), message.text);
    }
}

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
