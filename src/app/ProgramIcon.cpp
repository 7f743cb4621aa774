// The program's icon on its window. The icons drawn at build time are built into the
// program as resources; they become the application's window icon as soon as the
// application object exists, so that every window the program opens carries them (on
// X as _NET_WM_ICON, from which the window manager takes the size it shows).
#include <QDir>
#include <QGuiApplication>
#include <QIcon>
#include <QImageReader>

namespace {

void setProgramIcon()
{
    QIcon icon;
    const QDir icons(QStringLiteral(":/icons"));
    for (const QString& name : icons.entryList(QDir::Files)) {
        const QString path = icons.filePath(name);
        // Given its size, an icon is read only when it is shown, which the image output
        // never does.
        icon.addFile(path, QImageReader(path).size());
    }
    QGuiApplication::setWindowIcon(icon);
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(setProgramIcon)
