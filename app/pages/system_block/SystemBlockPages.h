#pragma once
// The controls of the system settings block on their pages: "Status Setting",
// "Advance", "System", the idle-menu boxes on "Menu && Alert Patterns", and
// the fields the user never reaches on the hidden "Debug" page. This builds
// their look only (captions, list items, hints, entry rules and key filters);
// SystemBlockView gives them their behaviour.
//
// Each page gets a QGridLayout; the groups of this block take the cells named
// below, and the pages' other groups (squelch tables, prompts, alerts) go into
// the free cells of the same layout:
//   "Status Setting": the group "Setting" at (0, 0).
//   "Advance": row 0 "Battery" (0, 0), "System" (0, 2), "BandWidth" (0, 3);
//              row 1 "GAP Max." (1, 0), "Group Call Duration" (1, 1), the
//              power-on menu (1, 2), "Record" (1, 3). Cell (0, 1) is free for
//              the squelch tables.
//   "System": the group "System" at (0, 0).
//   "Menu && Alert Patterns": the group "Menu Prompts" at (0, 1); "Prompts
//              Edit" takes (0, 0) over two rows, "Alert Tonality" (1, 1),
//              "Alert Patterns" (0, 2) over two rows.
//   "Debug": the group "Debug" at (0, 0), the hidden prompts at (0, 1).
// The group "Power On Logo" (grpPowerOnLogo) holds "Show Version" in row 2;
// the logo lines take rows 0 and 1 of its grid layout.

namespace km640 {

class TfmMain;

void BuildSystemBlockPages(TfmMain& window);

}  // namespace km640
