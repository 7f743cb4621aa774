#pragma once

#include <QString>

namespace voroquarn {

// The folder that the windows' saves go to, the user's picture folder, made when it is
// missing; or, when there is none, an empty name and the line to say in `problem`.
QString pictureFolder(QString& problem);

}  // namespace voroquarn
