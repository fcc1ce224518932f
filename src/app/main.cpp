// zenta: the reader's window.
//
//   zenta [ARCHIVE]
//
// ARCHIVE opens as the main archive; a compressed archive, or a Jet file beside an existing main archive, is data to
// add to it (see ChooseStartupFiles). Without one, the main archive is looked for in the usual places.
#include <QApplication>
#include <QCommandLineParser>

#include <unistd.h>

#include <cstdio>

#include "app/program.h"
#include "base/version.h"
#include "browse/page_scheme.h"

int main(int argc, char** argv) {
    // Read before the application exists, so that --help and --version need no display.
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Zenta reader of offline board archives"));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("archive"),
                                 QStringLiteral("The main archive, or a file whose data to add to it"),
                                 QStringLiteral("[ARCHIVE]"));
    // Qt's own options (-platform, -style ...) fail this first reading; QApplication takes them out.
    if (parser.parse(arguments) && parser.isSet(version)) {
        std::printf("zenta %s\n", zenta::kVersion);
        return 0;
    }
    if (parser.isSet(help)) {
        std::printf(
            "%s", qPrintable(parser.helpText().replace(QStringLiteral("<executable_name>"), QStringLiteral("zenta"))));
        return 0;
    }

    // The engine's sandbox refuses to run as root; only then is it turned off.
    if (geteuid() == 0) qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    zenta::RegisterPageScheme();
    QApplication app(argc, argv);
    // The desktop entry's name, so that desktops match the window with its entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.zenta.reader"));
    parser.process(app);
    const QStringList named = parser.positionalArguments();
    return zenta::RunProgram(named.isEmpty() ? QString() : named.first());
}
