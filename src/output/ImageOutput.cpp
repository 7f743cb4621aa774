#include "output/ImageOutput.h"

#include "output/OutputFile.h"
#include "output/PngWriter.h"

namespace voroquarn {

std::optional<QString> writePngFile(const QImage& picture, const std::string& path)
{
    OutputFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return file.cannotBeWritten();
    }
    if (const auto failure = writePng(picture, file)) {
        switch (failure->kind) {
        case PngFailure::Kind::OutOfMemory:
            return notEnoughMemoryFor(picture.size());
        case PngFailure::Kind::Encoder:
            return file.cannotBeWritten(failure->message);
        case PngFailure::Kind::Device:
            break;
        }
        return file.cannotBeWritten();
    }
    if (!file.commit()) {
        return file.cannotBeWritten();
    }
    return std::nullopt;
}

QString notEnoughMemoryFor(QSize size)
{
    return QStringLiteral("not enough memory for a %1x%2 picture").arg(size.width()).arg(size.height());
}

}  // namespace voroquarn
