#include "app/Pages.h"

#include "app/TfmMain.h"
#include "settings/SystemBlockView.h"
#include "settings/TextsAndAlerts.h"

namespace km640 {

void BuildPages(TfmMain& window) {
    // Each page folder adds its builder call here as it lands.
    BuildSystemBlock(window);
    BuildTextsAndAlerts(window);
}

}  // namespace km640
