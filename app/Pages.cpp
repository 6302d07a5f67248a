#include "app/Pages.h"

#include "app/TfmMain.h"
#include "app/pages/channels/ChannelPages.h"
#include "app/pages/menus_alerts/TextsAndAlerts.h"
#include "app/pages/profiles/ProfilesPage.h"
#include "app/pages/system_block/SystemBlockView.h"

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
