// The page in Debian's headless Chromium, as a technician uses it: a .tbl
// opened, fields edited on every page, a refused value, Save As as a
// download compared with `km640-cli set`, a .json opened, the unsaved-changes
// question, both screen sizes with every control reachable, and every
// control named for a screen reader (axe-core).

import { after, before, test } from "node:test";
import assert from "node:assert/strict";
import { readFileSync, writeFileSync } from "node:fs";
import { createRequire } from "node:module";
import { join } from "node:path";
import { openFile, runCli, serve, startChromium, tempDir } from "./support.mjs";

const require = createRequire(import.meta.url);
const dir = tempDir();
const base = join(dir, "bench.tbl");
writeFileSync(join(dir, "empty.json"), JSON.stringify({ format: "km640-codeplug", version: 1, fields: {} }));
assert.equal(runCli(["import", join(dir, "empty.json"), "-o", base]).status, 0);

let server;
let chromium;
before(async () => {
  server = await serve();
  chromium = await startChromium();
});
after(async () => {
  await chromium?.close();
  server?.close();
});

// A page without the File System Access API, so files come through the file
// picker and go out as downloads, as in a browser without it.
async function newPage(width = 1366, height = 768) {
  const page = await chromium.browser.newPage();
  await page.addInitScript(() => {
    delete window.showOpenFilePicker;
    delete window.showSaveFilePicker;
  });
  await page.setViewportSize({ width, height });
  const errors = [];
  page.on("pageerror", (e) => errors.push(e.message));
  await page.goto(`http://127.0.0.1:${server.address().port}/`);
  await page.waitForSelector("body[data-ready=true]");
  page.errors = errors;
  return page;
}

const field = (name) => `[data-field="${name}"]`;

async function showPage(page, name) {
  await page.getByRole("tab", { name, exact: true }).click();
}

// [page, field, how, value]: how is "type" (then Enter), "leave" (then Tab),
// "select", "check" or "item" (the value's check box of a set).
const edits = [
  ["Profiles", "Profile[0].F1Freq", "type", "1520125"],
  ["Profiles", "Profile[0].ResetControl", "select", "Auto Reset"],
  ["Profiles", "Profile[1].PON", "check", "on"],
  ["Channel F1", "F1Tone1[0]", "type", "1122.5"],
  ["Channel F1", "F1AddrSwitches[0]", "item", "{0,2,3}"],
  ["Channel F2", "F2Tone2[0]", "leave", "1687.2"],
  ["Status Setting", "LogoLine1", "type", "Grüß Gott"],
  ["Status Setting", "FixAlert", "check", "on"],
  ["Menu & Alert Patterns", "MenuPrompt[1]", "leave", "LÖSCHEN"],
  ["Advance", "BatteryAlertPeriod", "select", "5 min"],
  ["System", "F1ScanTime", "type", "8"],
];

async function edit(page, [pageName, name, how, value]) {
  await showPage(page, pageName);
  const input = page.locator(field(name));
  if (how === "select") await input.selectOption(value);
  else if (how === "check") await input.check();
  else if (how === "item") await page.locator(`${field(name)} ~ .items input`).nth(1).uncheck();
  else {
    await input.fill(value);
    await input.press(how === "type" ? "Enter" : "Tab");
  }
}

test("edits on every page save the bytes km640-cli set saves; a refused value is put back", async () => {
  const page = await newPage();
  await openFile(page, base);
  assert.match(await page.locator("#title").textContent(), /^KM640 V[\d.]+ {2}\[bench\.tbl\]$/);
  for (const e of edits) await edit(page, e);
  assert.ok((await page.title()).startsWith("*"), "the title marks unsaved changes");
  assert.deepEqual(new Set(edits.map((e) => e[0])), new Set(await page.getByRole("tab").allTextContents()));

  // A tone out of range: the window's message beside the field, the value back.
  await showPage(page, "Channel F1");
  const tone = page.locator(field("F1Tone1[0]"));
  await tone.fill("9999");
  await tone.press("Enter");
  const id = await tone.getAttribute("id");
  assert.equal(await page.locator(`#${id}-msg`).textContent(), "Please insert a number between 288.5 to 2468.2");
  assert.equal(await tone.inputValue(), "1122.5");
  // The derived decoder word moved with the tone.
  assert.notEqual(await page.locator(field("F1ToneWords[0].Tone1")).textContent(), "");

  const download = page.waitForEvent("download");
  await page.click("#save-as");
  const saved = readFileSync(await (await download).path());
  assert.ok(!(await page.title()).startsWith("*"), "saved: no unsaved mark");

  const out = join(dir, "set.tbl");
  const words = edits.map(([, name, , value]) => Buffer.from(`${name}=${value}`, "utf8"));
  const native = runCli(["set", base, ...words, "-o", out]);
  assert.equal(native.status, 0, native.stderr);
  assert.deepEqual(saved, readFileSync(out));
  assert.deepEqual(page.errors, []);
  await page.close();
});

test("a .json opens; the question before unsaved changes are lost", async () => {
  const text = join(dir, "bench.json");
  writeFileSync(text, runCli(["export", base]).stdout, "latin1");
  const page = await newPage();
  await openFile(page, text);
  await showPage(page, "Channel F1");
  assert.equal(await page.locator(field("F1Tone1[0]")).inputValue(), "1285.8");

  await edit(page, ["Channel F1", "F1Tone1[0]", "type", "1122.5"]);
  await page.click("#open");
  const question = page.locator("#question");
  await question.waitFor({ state: "visible" });
  assert.equal(await question.locator("p").textContent(), 'Save changes to the code-plug?\nThey are saved to "bench.json".');
  await question.getByRole("button", { name: "Cancel" }).click();
  assert.equal(await page.locator(field("F1Tone1[0]")).inputValue(), "1122.5", "Cancel keeps the edit");
  assert.ok((await page.title()).startsWith("*"));

  // No: the edit is dropped and the file picker opens.
  await page.click("#open");
  const chooser = page.waitForEvent("filechooser");
  await question.getByRole("button", { name: "No" }).click();
  await (await chooser).setFiles(base);
  await page.waitForFunction(() => document.title.includes("bench.tbl") && !document.title.startsWith("*"));
  assert.equal(await page.locator(field("F1Tone1[0]")).inputValue(), "1285.8");
  await page.close();
});

for (const [width, height] of [[1366, 768], [768, 1024]]) {
  test(`at ${width}×${height} every control of every page can be reached`, async () => {
    const page = await newPage(width, height);
    for (const name of await page.getByRole("tab").allTextContents()) {
      await showPage(page, name);
      const cut = await page.evaluate(() => {
        const out = [];
        for (const el of document.querySelectorAll(".page:not([hidden]) [data-field], [role=tab], nav button")) {
          el.scrollIntoView({ block: "nearest", inline: "nearest" });
          const r = el.getBoundingClientRect();
          // A pixel's fraction is rounding, not a control cut off.
          if (r.width === 0 || r.left < -1 || r.right > innerWidth + 1 || r.top < -1 || r.bottom > innerHeight + 1)
            out.push(el.dataset.field ?? el.textContent);
        }
        if (document.documentElement.scrollWidth > innerWidth) out.push("the page is wider than the window");
        return out;
      });
      assert.deepEqual(cut, [], `${name}: out of reach`);
    }
    await page.close();
  });
}

test("every control is named for a screen reader (axe-core)", async () => {
  const page = await newPage();
  await page.addScriptTag({ path: require.resolve("axe-core/axe.min.js") });
  for (const name of await page.getByRole("tab").allTextContents()) {
    await showPage(page, name);
    const violations = await page.evaluate(async () => {
      const result = await window.axe.run(document, { runOnly: { type: "tag", values: ["wcag2a", "wcag2aa"] } });
      return result.violations.map((v) => `${v.id}: ${v.nodes.slice(0, 3).map((n) => n.target.join(" ")).join(", ")}`);
    });
    assert.deepEqual(violations, [], name);
  }
  await page.close();
});

test("once loaded the page works offline", async () => {
  const page = await newPage();
  await page.evaluate(() => navigator.serviceWorker.ready);
  await page.reload();
  await page.waitForSelector("body[data-ready=true]");
  await page.context().setOffline(true);
  try {
    await page.reload();
    await page.waitForSelector("body[data-ready=true]");
    await showPage(page, "System");
    assert.equal(await page.locator(field("F1ScanTime")).inputValue(), "6");
  } finally {
    await page.context().setOffline(false);
  }
  await page.close();
});

test("Compare lists the differing fields with the window's labels; a roster's problems are listed", async () => {
  const page = await newPage();
  await openFile(page, base);
  await edit(page, ["Channel F1", "F1Tone1[0]", "type", "1122.5"]);
  let chooser = page.waitForEvent("filechooser");
  await page.click("#compare");
  await (await chooser).setFiles(base);
  const results = page.locator("#results");
  await results.waitFor({ state: "visible" });
  // The tone and the decoder word worked out from it.
  assert.equal(await results.locator("p").textContent(), "2 field(s) differ");
  assert.deepEqual(await results.locator("tbody tr").first().locator("td").allTextContents(),
    ["Channel F1 › Address 1 › Tone 1", "F1Tone1[0]", "1122.5", "1285.8"]);
  assert.equal(await results.locator("tbody tr").nth(1).locator("td").nth(1).textContent(), "F1ToneWords[0].Tone1");

  const csv = join(dir, "fleet.csv");
  writeFileSync(csv, "serial,F1Tone1[0],LogoLine1\nA1B2C3D4E5F6,1122.5,Bench 1\nA1B2C3D4E5F7,9999,Bench 2\n");
  chooser = page.waitForEvent("filechooser");
  await page.click("#roster");
  await (await chooser).setFiles(csv);
  await results.locator("li").first().waitFor();
  assert.equal(await results.locator("p").textContent(), "2 rows, 1 problem");
  assert.deepEqual(await results.locator("li").allTextContents(),
    ['line 3, serial A1B2C3D4E5F7, F1Tone1[0] = "9999": Please insert a number between 288.5 to 2468.2']);
  await page.close();
});

test("number controls are spin buttons with their rule's range; single boxes and entries are disabled as in the window", async () => {
  const page = await newPage();
  await openFile(page, base);
  await showPage(page, "System");
  const scan = page.locator(field("F1ScanTime"));
  assert.deepEqual(
    await scan.evaluate((e) => ["role", "aria-valuemin", "aria-valuemax", "aria-valuenow"].map((a) => e.getAttribute(a))),
    ["spinbutton", "1", "255", "6"]);
  // The arrows step as a spin box does, within the range; Enter commits.
  await scan.focus();
  await scan.press("ArrowUp");
  await scan.press("ArrowUp");
  assert.equal(await scan.inputValue(), "8");
  await scan.press("Enter");
  assert.ok((await page.title()).startsWith("*"));
  await scan.fill("255");
  await scan.press("ArrowUp");
  assert.equal(await scan.inputValue(), "255", "not beyond the highest");
  await scan.press("Escape");
  assert.equal(await scan.getAttribute("aria-valuenow"), "8");

  // A tone's range is that of the tone system, with its decimal.
  await showPage(page, "Channel F1");
  const tone = page.locator(field("F1Tone1[0]"));
  assert.deepEqual([await tone.getAttribute("aria-valuemin"), await tone.getAttribute("aria-valuemax")], ["288.5", "2468.2"]);
  // A text is no spin button.
  await showPage(page, "Status Setting");
  assert.equal(await page.locator(field("LogoLine1")).getAttribute("role"), null);

  // "Set Password" needs "Keyin Password": its box goes off with it.
  await showPage(page, "Advance");
  const menu = page.locator(`${field("PowerOnMenuItems")} ~ .items input`);
  await menu.nth(0).check();
  assert.equal(await menu.nth(5).isDisabled(), false);
  await menu.nth(0).uncheck();
  assert.equal(await menu.nth(5).isDisabled(), true);
  assert.match(await menu.nth(5).getAttribute("title"), /Keyin Password/);
  assert.equal(await menu.nth(1).isDisabled(), false);

  // The initial profile can only be one that is on.
  await showPage(page, "Profiles");
  const initial = page.locator(field("InitialProfile"));
  // Its entries' enabling is worked out as the list is opened.
  const enabled = async () => {
    await initial.focus();
    return initial.evaluate((s) => [...s.options].filter((o) => !o.disabled).map((o) => o.value));
  };
  assert.deepEqual(await enabled(), ["Profile 1"]);
  await page.locator(field("Profile[2].PON")).check();
  assert.deepEqual(await enabled(), ["Profile 1", "Profile 3"]);
  assert.deepEqual(page.errors, []);
  await page.close();
});

// A page with the File System Access API. Headless Chromium shows no file
// dialog, so the two pickers hand out real file handles of the origin's
// private file system: the file named in window.km640Pick, and for Save As
// the name in window.km640SaveAs. What Save writes goes through the handle's
// createWritable, and the handles can be kept in IndexedDB as the browser
// keeps those of the user's files.
async function newPageWithFiles() {
  const page = await chromium.browser.newPage();
  await page.addInitScript(() => {
    const folder = () => navigator.storage.getDirectory();
    window.showOpenFilePicker = async () => [await (await folder()).getFileHandle(window.km640Pick)];
    window.showSaveFilePicker = async () => (await folder()).getFileHandle(window.km640SaveAs, { create: true });
  });
  await page.setViewportSize({ width: 1366, height: 768 });
  const errors = [];
  page.on("pageerror", (e) => errors.push(e.message));
  page.errors = errors;
  await page.goto(`http://127.0.0.1:${server.address().port}/`);
  await page.waitForSelector("body[data-ready=true]");
  return page;
}

async function putFile(page, name, bytes) {
  await page.evaluate(async ([name, bytes]) => {
    const handle = await (await navigator.storage.getDirectory()).getFileHandle(name, { create: true });
    const writable = await handle.createWritable();
    await writable.write(new Uint8Array(bytes));
    await writable.close();
  }, [name, [...bytes]]);
}

async function fileBytes(page, name) {
  return Buffer.from(await page.evaluate(async (name) => {
    const handle = await (await navigator.storage.getDirectory()).getFileHandle(name);
    return [...new Uint8Array(await (await handle.getFile()).arrayBuffer())];
  }, name));
}

test("with the File System Access API Save writes back to the file opened; recent files keep their handles", async () => {
  let page = await newPageWithFiles();
  await putFile(page, "bench.tbl", readFileSync(base));
  await page.evaluate(() => (window.km640Pick = "bench.tbl"));
  await page.click("#open");
  await page.waitForFunction(() => document.title.includes("[bench.tbl]"));
  const mine = [
    ["Channel F1", "F1Tone1[0]", "type", "1122.5"],
    ["Status Setting", "LogoLine1", "type", "Grüß Gott"],
  ];
  for (const e of mine) await edit(page, e);
  await page.click("#save");
  await page.waitForFunction(() => !document.title.startsWith("*"));
  const out = join(dir, "fsa-set.tbl");
  const native = runCli(["set", base, ...mine.map(([, name, , value]) => Buffer.from(`${name}=${value}`, "utf8")), "-o", out]);
  assert.equal(native.status, 0, native.stderr);
  assert.deepEqual(await fileBytes(page, "bench.tbl"), readFileSync(out), "Save wrote the opened file");

  // Save As a .json: code-plug text, and Save goes there from then on.
  await page.evaluate(() => (window.km640SaveAs = "copy.json"));
  await page.click("#save-as");
  await page.waitForFunction(() => document.title.includes("[copy.json]"));
  await edit(page, ["System", "F1ScanTime", "type", "8"]);
  await page.click("#save");
  await page.waitForFunction(() => !document.title.startsWith("*"));
  writeFileSync(join(dir, "copy.json"), await fileBytes(page, "copy.json"));
  const imported = join(dir, "copy.tbl");
  assert.equal(runCli(["import", join(dir, "copy.json"), "-o", imported]).status, 0);
  const withScan = join(dir, "fsa-scan.tbl");
  assert.equal(runCli(["set", out, "F1ScanTime=8", "-o", withScan]).status, 0);
  assert.deepEqual(readFileSync(imported), readFileSync(withScan));
  assert.deepEqual(await fileBytes(page, "bench.tbl"), readFileSync(out), "the opened file is left as saved");
  assert.deepEqual(page.errors, []);
  await page.close();

  // A new visit lists both files, the last saved first, and reopens one from its kept handle.
  page = await newPageWithFiles();
  const recent = page.locator("#recent button");
  await recent.first().waitFor();
  assert.deepEqual(await recent.allTextContents(), ["copy.json", "bench.tbl"]);
  await recent.nth(1).click();
  await page.waitForFunction(() => document.title.includes("[bench.tbl]"));
  await showPage(page, "Channel F1");
  assert.equal(await page.locator(field("F1Tone1[0]")).inputValue(), "1122.5");
  await showPage(page, "System");
  assert.equal(await page.locator(field("F1ScanTime")).inputValue(), "6");
  assert.deepEqual(page.errors, []);
  await page.close();
});
