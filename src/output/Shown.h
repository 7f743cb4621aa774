#pragma once

#include <QString>

#include "core/Shortened.h"

namespace voroquarn {

// A value (an argument, a path) as a message shows it: cut short when it is long, with
// control characters written as escapes, so that the message stays on one line and
// cannot steer the terminal.
inline QString shown(const QString& value)
{
    const QString cut = QString::fromStdString(shortened(value.toStdString()));
    QString text;
    for (const QChar c : cut) {
        if (c == QLatin1Char('\n')) {
            text += QLatin1String("\\n");
        } else if (c.unicode() < 0x20 || c.unicode() == 0x7F) {
            text += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        } else {
            text += c;
        }
    }
    return text;
}

}  // namespace voroquarn
