#include "app/Pages.h"

#include "app/TfmMain.h"
#include "selcall/ChannelPages.h"
#include "settings/ProfilesPage.h"
#include "settings/SystemBlockView.h"
#include "settings/TextsAndAlerts.h"

namespace km640 {

void BuildPages(TfmMain& window) {
    // Each page folder adds its builder call here as it lands. The system
    // block comes before the profiles, whose "One Channel" rule uses the
    // block's box.
    BuildChannelPages(window);
    BuildSystemBlock(window);
    BuildProfilesPage(window);
    BuildTextsAndAlerts(window);
}

}  // namespace km640
