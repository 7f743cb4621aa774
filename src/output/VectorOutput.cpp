#include "output/VectorOutput.h"

#include "output/OutputFile.h"

namespace voroquarn {

std::optional<QString> writeVectorFile(const Diagram& diagram, VectorWriter writer, const std::string& path)
{
    OutputFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return file.cannotBeWritten();
    }
    if (!writer(diagram, file) || !file.commit()) {
        return file.cannotBeWritten();
    }
    return std::nullopt;
}

}  // namespace voroquarn
