#include <QGuiApplication>
#include <QTimer>

#include "app/PlatformGuard.h"
#include "app/drawDiagram.h"
#include "window/FrmVoroQuarn.h"
#include "window/RandomSource.h"

using namespace voroquarn;

int main(int argc, char* argv[])
{
    PlatformGuard guard;
    QGuiApplication app(argc, argv);
    guard.connected();

    FrmVoroQuarn window;
    SeededRandom random;

    // The window's load event: the drawing starts once the event loop runs, and the loop
    // goes on after it so that the picture stands until the window is closed.
    QTimer::singleShot(0, &window, [&] {
        if (drawDiagram(window, random) == RunEnd::WindowClosed) {
            QCoreApplication::quit();
        }
    });
    return QGuiApplication::exec();
}
