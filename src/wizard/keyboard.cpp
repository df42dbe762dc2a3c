// The default control of each wizard page.
#include "wizard/keyboard.h"

#include "wizard/wizard_view.h"

namespace zuv::wizard {

DefaultControl DefaultControlOf(int page, bool installVisible) {
    switch (page) {
        case kPageLicence: return DefaultControl::kAccept;
        case kPageReady: return installVisible ? DefaultControl::kInstall : DefaultControl::kNext;
        case kPageInstall: return DefaultControl::kNone;
        default: return page >= 0 && page < kPageCount ? DefaultControl::kNext : DefaultControl::kNone;
    }
}

}  // namespace zuv::wizard
