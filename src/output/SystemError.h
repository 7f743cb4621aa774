#pragma once

#include <QString>
#include <cstring>

namespace voroquarn {

// The system's words for an error number, as the messages give them.
inline QString systemReason(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

}  // namespace voroquarn
