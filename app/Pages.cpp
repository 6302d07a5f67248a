#include "app/Pages.h"

#include "app/TfmMain.h"
#include "settings/ProfilesPage.h"

namespace km640 {

void BuildPages(TfmMain& window) {
    // Each page folder adds its builder call here as it lands.
    BuildProfilesPage(window);
}

}  // namespace km640
