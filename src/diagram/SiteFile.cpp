#include "diagram/SiteFile.h"

#include <algorithm>
#include <array>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>
#include <utility>

#include "core/Shortened.h"

namespace voroquarn {

namespace {

// The smallest double that becomes infinite in single precision: halfway between FLT_MAX
// and 2^128. FLT_MAX has an odd last mantissa bit, so the halfway value rounds up.
constexpr double FLOAT_OVERFLOW = static_cast<double>(FLT_MAX) + 0x1p103;

// An error message quotes at most this many bytes of the field it is about.
constexpr std::size_t MAX_QUOTED = 40;

// Exponents beyond this are all the same to the range check; it keeps the sum small.
constexpr long long EXPONENT_CAP = 1'000'000;

// The byte order mark some editors put at the start of a UTF-8 file.
constexpr std::string_view UTF8_BOM = "\xEF\xBB\xBF";

// x, y and weight, in the order a line gives them.
constexpr std::array<const char*, 3> FIELD_NAMES = {"x", "y", "weight"};

constexpr bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Bytes below 0x20 other than tab, and DEL. A site file is plain text; these mean the
// file is something else.
constexpr bool isControl(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return (byte < 0x20 && c != '\t') || byte == 0x7F;
}

// A field read as a decimal number.
struct Number {
    double value;    // ±infinity or ±0 when the number lies outside double range
    bool underflow;  // nonzero digits that round to 0 in double precision
};

// Whether an unsigned decimal number that std::from_chars found outside double range is
// too large rather than too small. The two ends of the range lie more than 600 decades
// apart, so the decade of the leading nonzero digit is enough to tell.
bool isTooLarge(std::string_view digits)
{
    const std::size_t exponentAt = std::min(digits.find_first_of("eE"), digits.size());
    const std::string_view mantissa = digits.substr(0, exponentAt);
    const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
    const std::size_t lead = std::min(mantissa.find_first_not_of("0."), mantissa.size());
    long long decade = lead < point ? static_cast<long long>(point - lead) - 1
                                    : -static_cast<long long>(lead - point);

    std::string_view exponentDigits = digits.substr(std::min(exponentAt + 1, digits.size()));
    const bool negativeExponent = !exponentDigits.empty() && exponentDigits.front() == '-';
    if (!exponentDigits.empty() && (exponentDigits.front() == '-' || exponentDigits.front() == '+')) {
        exponentDigits.remove_prefix(1);
    }
    long long exponent = 0;
    for (const char c : exponentDigits) {
        if (exponent < EXPONENT_CAP) {
            exponent = exponent * 10 + (c - '0');
        }
    }
    decade += negativeExponent ? -exponent : exponent;
    return decade > 0;
}

// Reads a whole field as a decimal number, or nothing when it is not one. std::from_chars
// does not depend on the locale; it refuses a leading '+', so that is taken off first.
std::optional<Number> readNumber(std::string_view field)
{
    std::string_view digits = field;
    if (!digits.empty() && digits.front() == '+') {
        digits.remove_prefix(1);
        if (!digits.empty() && digits.front() == '-') {
            return std::nullopt;  // from_chars would take the "-1" of "+-1"
        }
    }
    double value = 0;
    const char* const end = digits.data() + digits.size();
    const auto [stop, fault] = std::from_chars(digits.data(), end, value);
    if (fault == std::errc::result_out_of_range && stop == end) {
        const bool negative = digits.front() == '-';
        if (isTooLarge(negative ? digits.substr(1) : digits)) {
            const double infinity = std::numeric_limits<double>::infinity();
            return Number{negative ? -infinity : infinity, false};
        }
        return Number{negative ? -0.0 : 0.0, true};
    }
    if (fault != std::errc{} || stop != end) {
        return std::nullopt;
    }
    return Number{value, false};
}

// The field as an error message quotes it: in quotes, cut short when long.
std::string quoted(std::string_view field)
{
    return '"' + shortened(field, MAX_QUOTED) + '"';
}

// What one line holds: a site, nothing (blank or comment line), or an error message.
struct LineReading {
    std::optional<Site> site;
    std::string error;
};

LineReading failure(std::string message)
{
    return {std::nullopt, std::move(message)};
}

// Splits a line at runs of blanks into fields, keeping the first fields.size() of them.
// Returns the number of fields, counting at most one beyond those kept.
std::size_t splitFields(std::string_view line, std::array<std::string_view, 3>& fields)
{
    std::size_t count = 0;
    std::size_t at = 0;
    while (count <= fields.size()) {
        while (at < line.size() && isBlank(line[at])) {
            ++at;
        }
        if (at == line.size()) {
            break;
        }
        const std::size_t start = at;
        while (at < line.size() && !isBlank(line[at])) {
            ++at;
        }
        if (count < fields.size()) {
            fields[count] = line.substr(start, at - start);
        }
        ++count;
    }
    return count;
}

std::string lineTooLong() { return "line is longer than " + std::to_string(MAX_SITE_FILE_LINE) + " characters"; }

// Reads one line, without its line end.
LineReading readLine(std::string_view line)
{
    if (line.size() > static_cast<std::size_t>(MAX_SITE_FILE_LINE)) {
        return failure(lineTooLong());
    }
    if (std::any_of(line.begin(), line.end(), isControl)) {
        return failure("unexpected control character");
    }

    std::array<std::string_view, 3> fields;
    const std::size_t count = splitFields(line, fields);
    if (count == 0 || fields[0].front() == '#') {
        return {};
    }
    if (count < fields.size()) {
        return failure("too few numbers: expected x y weight");
    }
    if (count > fields.size()) {
        return failure("too many numbers: expected x y weight");
    }

    std::array<Number, 3> numbers{};
    for (std::size_t k = 0; k < fields.size(); ++k) {
        const std::optional<Number> number = readNumber(fields[k]);
        if (!number) {
            return failure("expected a number, found " + quoted(fields[k]));
        }
        if (!std::isfinite(number->value)) {
            return failure(std::string(FIELD_NAMES[k]) + " is not finite");
        }
        numbers[k] = *number;
    }

    const Number& weight = numbers[2];
    if (weight.underflow && !std::signbit(weight.value)) {
        return failure("weight is too small for single precision");
    }
    if (!(weight.value > 0)) {
        return failure("weight must be greater than 0");
    }
    if (weight.value >= FLOAT_OVERFLOW) {
        return failure("weight is too large for single precision");
    }
    const auto w = static_cast<float>(weight.value);
    if (w == 0.0F) {
        return failure("weight is too small for single precision");
    }
    return {Site{numbers[0].value, numbers[1].value, w}, {}};
}

// A line as the file's text counts it: without the byte order mark that may start the
// first line, and without the CR of a CRLF line end.
std::string_view counted(std::string_view line, bool first)
{
    if (first && line.starts_with(UTF8_BOM)) {
        line.remove_prefix(UTF8_BOM.size());
    }
    if (line.ends_with('\r')) {
        line.remove_suffix(1);
    }
    return line;
}

}  // namespace

SiteFileContents parseSiteFile(std::string_view text)
{
    SiteFileReader reader;
    reader.read(text);
    return reader.finish();
}

bool SiteFileReader::read(std::string_view bytes)
{
    while (!refused_ && !bytes.empty()) {
        const std::size_t end = bytes.find('\n');
        if (end == std::string_view::npos) {
            keepPart(bytes);
            break;
        }
        if (partLine_.empty()) {
            take(bytes.substr(0, end));
        } else {
            keepPart(bytes.substr(0, end));
            if (!refused_) {
                take(partLine_);
            }
            partLine_.clear();
        }
        bytes.remove_prefix(end + 1);
    }
    return !refused_;
}

SiteFileContents SiteFileReader::finish()
{
    if (!refused_ && !partLine_.empty()) {
        take(partLine_);
    }
    if (!refused_ && contents_.sites.empty()) {
        refuse(0, "no sites in the file");
    }
    return std::move(contents_);
}

void SiteFileReader::take(std::string_view line)
{
    if (lineNumber_ == std::numeric_limits<int>::max()) {
        refuse(0, "more lines than can be counted");
        return;
    }
    ++lineNumber_;
    LineReading reading = readLine(counted(line, lineNumber_ == 1));
    if (!reading.error.empty()) {
        refuse(lineNumber_, std::move(reading.error));
    } else if (reading.site && contents_.sites.size() == MAX_SITE_FILE_SITES) {
        refuse(lineNumber_, "more than " + std::to_string(MAX_SITE_FILE_SITES) + " sites, the most a file may hold");
    } else if (reading.site) {
        contents_.sites.push_back(*reading.site);
    }
}

// Keeps no more of a line than it takes to tell that it is too long, and refuses it then.
void SiteFileReader::keepPart(std::string_view bytes)
{
    constexpr std::size_t KEPT = MAX_SITE_FILE_LINE + UTF8_BOM.size() + 2;
    partLine_.append(bytes.substr(0, KEPT - partLine_.size()));
    if (counted(partLine_, lineNumber_ == 0).size() > static_cast<std::size_t>(MAX_SITE_FILE_LINE)) {
        refuse(lineNumber_ < std::numeric_limits<int>::max() ? lineNumber_ + 1 : 0, lineTooLong());
    }
}

void SiteFileReader::refuse(int line, std::string message)
{
    std::vector<Site>().swap(contents_.sites);
    contents_.error = SiteFileError{line, std::move(message)};
    refused_ = true;
}

std::string formatSite(const Site& site)
{
    // 17 significant digits give back any double, 9 any float. std::to_chars writes them
    // like printf's %.17g and %.9g, but ignores the locale, which could ask for a comma.
    std::array<char, 96> buffer{};
    char* const end = buffer.data() + buffer.size();
    char* at = std::to_chars(buffer.data(), end, site.x, std::chars_format::general, 17).ptr;
    *at++ = ' ';
    at = std::to_chars(at, end, site.y, std::chars_format::general, 17).ptr;
    *at++ = ' ';
    at = std::to_chars(at, end, site.w, std::chars_format::general, 9).ptr;
    return std::string(buffer.data(), at);
}

}  // namespace voroquarn
