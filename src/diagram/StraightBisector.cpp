#include "diagram/StraightBisector.h"

#include "diagram/SiteArrays.h"

namespace voroquarn {

StraightBisector::StraightBisector(const SiteArrays& sites, int i, int j)
    : mx_((sites.x[i - 1] + sites.x[j - 1]) / 2),
      my_((sites.y[i - 1] + sites.y[j - 1]) / 2),
      dx_(sites.x[j - 1] - sites.x[i - 1]),
      dy_(sites.y[j - 1] - sites.y[i - 1])
{
}

}  // namespace voroquarn
