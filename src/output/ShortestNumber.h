#pragma once

#include <array>
#include <charconv>
#include <string_view>

namespace voroquarn {

// The shortest text that reads back as the same value, of double or single precision:
// what std::to_chars writes without a precision. Zero has no sign.
class ShortestNumber {
public:
    template <class Real>
    explicit ShortestNumber(Real value)
    {
        const auto [end, error] = std::to_chars(text_.data(), text_.data() + text_.size(), value + Real(0));
        size_ = error == std::errc() ? static_cast<std::size_t>(end - text_.data()) : 0;
    }
    std::string_view view() const { return {text_.data(), size_}; }

private:
    std::array<char, 32> text_{};
    std::size_t size_ = 0;
};

}  // namespace voroquarn
