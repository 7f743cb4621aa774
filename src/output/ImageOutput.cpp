#include "output/ImageOutput.h"

#include "output/OutputFile.h"
#include "output/PngWriter.h"

namespace voroquarn {

std::optional<QString> writePngFile(const QImage& picture, const QString& path)
{
    OutputFile file(path);
    const auto cannotWrite = [&] {
        return QStringLiteral("%1: cannot be written: %2").arg(file.displayName(), file.errorString());
    };
    if (!file.open(QIODevice::WriteOnly)) {
        return cannotWrite();
    }
    if (const auto failure = writePng(picture, file)) {
        switch (failure->kind) {
        case PngFailure::Kind::OutOfMemory:
            return notEnoughMemoryFor(picture.size());
        case PngFailure::Kind::Encoder:
            return QStringLiteral("%1: cannot be written: %2").arg(file.displayName(), failure->message);
        case PngFailure::Kind::Device:
            break;
        }
        return cannotWrite();
    }
    if (!file.commit()) {
        return cannotWrite();
    }
    return std::nullopt;
}

QString notEnoughMemoryFor(QSize size)
{
    return QStringLiteral("not enough memory for a %1x%2 picture").arg(size.width()).arg(size.height());
}

}  // namespace voroquarn
