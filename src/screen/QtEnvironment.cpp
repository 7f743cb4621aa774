#include "screen/QtEnvironment.h"

#include <QDir>
#include <QFile>
#include <QtGlobal>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace voroquarn {

namespace {

// What Qt accepts as a runtime folder: a folder itself, not a link to one, owned by the
// user and open to nobody else.
bool isPrivateFolder(const QByteArray& path)
{
    struct stat status {};
    return lstat(path.constData(), &status) == 0 && S_ISDIR(status.st_mode) &&
           status.st_uid == geteuid() && (status.st_mode & 0777U) == 0700U;
}

QByteArray userName()
{
    const passwd* const entry = getpwuid(geteuid());
    return entry != nullptr ? QByteArray(entry->pw_name) : QByteArray::number(geteuid());
}

}  // namespace

void useUsableRuntimeFolder()
{
    const QByteArray inherited = qgetenv("XDG_RUNTIME_DIR");
    if (!inherited.isEmpty() && isPrivateFolder(inherited)) {
        return;
    }
    const QByteArray own = QFile::encodeName(QDir::tempPath()) + "/runtime-" + userName();
    if (!isPrivateFolder(own) &&
        (mkdir(own.constData(), 0700) != 0 || chmod(own.constData(), 0700) != 0 || !isPrivateFolder(own))) {
        return;  // someone else's: leave it to Qt
    }
    // A Wayland display named relative to the runtime folder stays where it is.
    const QByteArray wayland = qgetenv("WAYLAND_DISPLAY");
    if (!inherited.isEmpty() && !wayland.isEmpty() && !wayland.startsWith('/')) {
        qputenv("WAYLAND_DISPLAY", inherited + '/' + wayland);
    }
    qputenv("XDG_RUNTIME_DIR", own);
}

void useFixedRenderingEnvironment()
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    qputenv("QT_SCALE_FACTOR", "1");
    qputenv("QT_FONT_DPI", "96");
    for (const char* name : {"QT_SCREEN_SCALE_FACTORS", "QT_SCALE_FACTOR_ROUNDING_POLICY", "QT_USE_PHYSICAL_DPI",
                             "QT_QPA_PLATFORMTHEME", "QT_QPA_FONTDIR", "FONTCONFIG_FILE", "FONTCONFIG_PATH",
                             "FONTCONFIG_SYSROOT"}) {
        qunsetenv(name);
    }
    // Fontconfig reads the user's files and fonts from these folders; /dev/null holds
    // none. Its cache stays where it was, so that nothing is scanned again.
    if (qEnvironmentVariableIsEmpty("XDG_CACHE_HOME") && !qEnvironmentVariableIsEmpty("HOME")) {
        qputenv("XDG_CACHE_HOME", qgetenv("HOME") + "/.cache");
    }
    for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME"}) {
        qputenv(name, "/dev/null");
    }
    // The language picks among fonts for the same family name.
    qputenv("FC_LANG", "en");
    // Qt's PDF writer notes the time in the local zone, in a length that depends on it.
    qputenv("TZ", "UTC0");
}

QtArguments::QtArguments(const char* program, std::vector<std::string> forQt)
{
    arguments_.emplace_back(program);
    arguments_.insert(arguments_.end(), forQt.begin(), forQt.end());
    for (std::string& argument : arguments_) {
        pointers_.push_back(argument.data());
    }
    argc_ = static_cast<int>(arguments_.size());
    pointers_.push_back(nullptr);
}

bool platformShowsWindows(const QString& name)
{
    return name != QLatin1String("offscreen") && name != QLatin1String("minimal");
}

}  // namespace voroquarn
