#include "screen/WindowId.h"

#include <QRegularExpression>

namespace voroquarn {

std::optional<std::uint32_t> parseWindowId(const QString& text)
{
    const QRegularExpression pattern(
        QRegularExpression::anchoredPattern(QStringLiteral("0[xX]([0-9a-fA-F]{1,8})|([0-9]{1,10})")));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    const qulonglong value = match.capturedLength(1) > 0 ? match.captured(1).toULongLong(nullptr, 16)
                                                         : match.captured(2).toULongLong();
    if (value == 0 || value > 0xFFFFFFFFULL) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(value);
}

}  // namespace voroquarn
