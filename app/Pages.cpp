#include "app/Pages.h"

#include "app/TfmMain.h"
#include "selcall/ChannelPages.h"
#include "settings/SystemBlockView.h"

namespace km640 {

void BuildPages(TfmMain& window) {
    // Each page folder adds its builder call here as it lands.
    BuildChannelPages(window);
    BuildSystemBlock(window);
}

}  // namespace km640
