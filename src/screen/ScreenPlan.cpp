#include "screen/ScreenPlan.h"

namespace voroquarn {

ScreenPlan planOf(const ScreenSettings& settings)
{
    ScreenPlan plan;
    if (settings.display) {
        plan.qtOptions.insert(plan.qtOptions.end(), {"-platform", "xcb", "-display", *settings.display});
    }
    if (!settings.position.empty() && settings.target == Target::Window) {
        plan.qtOptions.insert(plan.qtOptions.end(), {"-qwindowgeometry", settings.position});
    }
    plan.fit = settings.session.cycle ? WindowFit::Target : WindowFit::Design;
    plan.followResizes = plan.fit == WindowFit::Target;
    switch (settings.target) {
    case Target::Window:
        plan.keys = WindowKeys::Role::Viewer;
        break;
    case Target::FullScreen:
        plan.fullScreen = true;
        plan.keys = WindowKeys::Role::Saver;
        break;
    case Target::Root:
    case Target::WindowId:
        plan.foreign = true;
        break;
    }
    return plan;
}

}  // namespace voroquarn
