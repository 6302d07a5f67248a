#include "app/Pages.h"

#include "app/TfmMain.h"

namespace km640 {

void BuildPages(TfmMain& window) {
    // Each page folder adds its builder call here as it lands.
    (void)window;
}

}  // namespace km640
