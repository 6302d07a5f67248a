#include "app/pages/menus_alerts/TextsAndAlerts.h"

#include "app/TfmMain.h"
#include "app/pages/menus_alerts/AlertsView.h"
#include "app/pages/menus_alerts/PromptsLogoView.h"

namespace km640 {

void BuildTextsAndAlerts(TfmMain& window) {
    auto* texts = new PromptsLogoView(window);
    auto* alerts = new AlertsView(window);
    RefreshList& r = window.refreshList();
    r.add(RefreshStep::AlertsPromptsLogo, [alerts] { alerts->showTonality(); });
    r.add(RefreshStep::AlertsPromptsLogo, [texts] { texts->showPrompts(); });
    r.add(RefreshStep::AlertsPromptsLogo, [alerts] { alerts->showPatterns(); });
    r.add(RefreshStep::AlertsPromptsLogo, [texts] { texts->showLogo(); });
}

}  // namespace km640
