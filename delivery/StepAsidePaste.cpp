#include "delivery/StepAsidePaste.h"

#include "delivery/PasteKeyRules.h"
#include "platform/Platform.h"

namespace {
// A compositor that honours minimising moves the focus within a frame or two.
constexpr int MinimiseWaitMs = 250;
// After hiding, the focus leaves as soon as the compositor has handled the unmap; the bound
// only matters when something else holds it here (a box of this program).
constexpr int HideWaitMs = 1000;
} // namespace

StepAsideOutcome PasteBySteppingAside(Platform& desktop, const std::function<void(StepAside)>& stepAside)
{
    stepAside(StepAside::Minimise);
    if (!desktop.WaitForFocusToLeaveOwnWindows(MinimiseWaitMs)) {
        stepAside(StepAside::Hide);
        if (!desktop.WaitForFocusToLeaveOwnWindows(HideWaitMs))
            return StepAsideOutcome::FocusStayed;
    }
    if (!desktop.Abilities().sendsKeys)
        return StepAsideOutcome::NoKeys;
    return desktop.SendPasteKeys(DefaultPasteKeys) ? StepAsideOutcome::KeysSent
                                                   : StepAsideOutcome::KeysFailed;
}
