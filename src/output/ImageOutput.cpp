#include "output/ImageOutput.h"

#include "core/Progress.h"
#include "output/OutputFile.h"
#include "output/PngWriter.h"

namespace voroquarn {

namespace {

// Writes the picture through an OutputFile with writePng.
template <class Picture>
std::optional<QString> writeThroughFile(const Picture& picture, QSize size, const std::string& path)
{
    OutputFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return file.cannotBeWritten();
    }
    if (const auto failure = writePng(picture, file)) {
        switch (failure->kind) {
        case PngFailure::Kind::OutOfMemory:
            return notEnoughMemoryFor(size);
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

}  // namespace

std::optional<QString> writePngFile(const QImage& picture, const std::string& path)
{
    return writeThroughFile(picture, picture.size(), path);
}

std::optional<QString> writePngFile(const IndexedLines& picture, const std::string& path, Progress* progress)
{
    if (progress == nullptr) {
        return writeThroughFile(picture, picture.size, path);
    }
    IndexedLines told = picture;
    const double height = picture.size.height();
    told.line = [&picture, progress, height](int y) {
        progress->set(RunPhase::Writing, y / height);
        return picture.line(y);
    };
    return writeThroughFile(told, picture.size, path);
}

QString notEnoughMemoryFor(QSize size)
{
    return QStringLiteral("not enough memory for a %1x%2 picture").arg(size.width()).arg(size.height());
}

}  // namespace voroquarn
