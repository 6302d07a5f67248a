// The fields that differ between two code-plugs as a table: the window's
// label, the field's name, and each side's value; stamped fields (clock,
// checksums, version, serial number, board data) greyed.

import type { DifferenceRow } from "./core";

export function differenceTable(rows: DifferenceRow[], nameA: string, nameB: string): HTMLTableElement {
  const table = document.createElement("table");
  const head = table.createTHead().insertRow();
  for (const text of ["Field", "Name", nameA, nameB]) {
    const th = document.createElement("th");
    th.scope = "col";
    th.textContent = text;
    head.append(th);
  }
  const body = table.createTBody();
  for (const row of rows) {
    const tr = body.insertRow();
    for (const text of [row.label, row.name, row.a, row.b]) tr.insertCell().textContent = text;
    if (row.stamped) tr.className = "stamped";
  }
  return table;
}
