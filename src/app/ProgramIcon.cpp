#include "app/ProgramIcon.h"

#include <QDir>
#include <QGuiApplication>
#include <QIcon>
#include <QImageReader>

namespace voroquarn {

void setProgramIcon()
{
    QIcon icon;
    const QDir icons(QStringLiteral(":/icons"));
    for (const QString& name : icons.entryList(QDir::Files)) {
        const QString path = icons.filePath(name);
        // Given its size, an icon is read only when it is shown.
        icon.addFile(path, QImageReader(path).size());
    }
    QGuiApplication::setWindowIcon(icon);
}

}  // namespace voroquarn
