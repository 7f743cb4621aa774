#include "core/Shortened.h"

namespace voroquarn {

std::string shortened(std::string_view text, std::size_t limit)
{
    if (text.size() <= limit) {
        return std::string(text);
    }
    std::size_t cut = limit;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0U) == 0x80U) {
        --cut;  // a UTF-8 continuation byte
    }
    return std::string(text.substr(0, cut)) + "...";
}

}  // namespace voroquarn
