// libFuzzer entry point: the site-file parser on arbitrary bytes. A crash, a sanitizer
// report or a broken invariant counts as a fault.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "diagram/SiteFile.h"
#include "support/SiteFileInvariants.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::string broken =
        voroquarn::testing::brokenSiteFileInvariant(text, voroquarn::parseSiteFile(text));
    if (!broken.empty()) {
        std::fprintf(stderr, "broken invariant: %s\n", broken.c_str());
        std::abort();
    }
    return 0;
}
