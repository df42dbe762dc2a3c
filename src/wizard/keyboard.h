// The wizard's keyboard: which control Return presses on each page.
#pragma once

namespace zuv::wizard {

// The control that Return presses and that has the focus when a page appears.
enum class DefaultControl { kNone, kNext, kAccept, kInstall };

// Next on the welcome, destination, folders and install-type pages; Accept on the licence
// page (Next is disabled there until the licence is accepted); Install on the ready page
// once it is shown; nothing while the install runs. Escape is Cancel on every page that shows
// the button bar. Takes the page index and whether Install is shown; throws nothing.
DefaultControl DefaultControlOf(int page, bool installVisible);

}  // namespace zuv::wizard
