#include "core/BackgroundWork.h"

#include <chrono>

namespace voroquarn {

Steps waitFor(const BackgroundWork& work)
{
    while (!work.done()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        co_yield Steps::Work{};
    }
    work.rethrow();
}

}  // namespace voroquarn
