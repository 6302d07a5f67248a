#pragma once
// The pager's texts (menu prompts, power-on logo) and alert sounds (tonality
// and patterns) on their pages, and their place in the whole-image refresh:
// alert tonality, menu prompts, alert patterns, power-on logo, in that order.
// Runs after BuildSystemBlock, whose pages hold the layouts these groups join.

namespace km640 {

class TfmMain;

void BuildTextsAndAlerts(TfmMain& window);

}  // namespace km640
