// zenta: the reader's window.
#include <QApplication>

#include <unistd.h>

#include "app/program.h"
#include "browse/page_scheme.h"

int main(int argc, char** argv) {
    // The engine's sandbox refuses to run as root; only then is it turned off.
    if (geteuid() == 0) qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    zenta::RegisterPageScheme();
    QApplication app(argc, argv);
    // The main archive lies beside the executable.
    return zenta::RunProgram(QCoreApplication::applicationDirPath());
}
