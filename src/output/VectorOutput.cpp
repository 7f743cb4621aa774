#include "output/VectorOutput.h"

#include "output/OutputFile.h"

namespace voroquarn {

std::optional<QString> writeVectorFile(const Diagram& diagram, VectorWriter writer, const std::string& path,
                                       Progress* progress)
{
    return writeFileWith(path, [&](QIODevice& device) { return writer(diagram, device, progress); });
}

std::optional<QString> writeFileWith(const std::string& path, const std::function<bool(QIODevice&)>& write)
{
    OutputFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return file.cannotBeWritten();
    }
    if (!write(file) || !file.commit()) {
        return file.cannotBeWritten();
    }
    return std::nullopt;
}

}  // namespace voroquarn
