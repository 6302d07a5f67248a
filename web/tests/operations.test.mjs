// The page's pager operations in Debian's headless Chromium against
// km640-sim --websocket, as a technician runs them: Write of a .tbl leaves
// the pager as km640-cli write leaves a second simulated pager, Read brings
// the pager's bytes, Verify succeeds and then fails with the field named once
// the pager holds something else, a board's faults give the window's texts
// and never a success, Cancel during a Write, and the Web Serial path (a
// stand-in navigator.serial bridged to the simulator) with its open options,
// chunked reads, time-outs and the unplugged port.

import { after, before, test } from "node:test";
import assert from "node:assert/strict";
import { copyFileSync, readFileSync } from "node:fs";
import { join } from "node:path";
import { openFile, runCli, serve, startChromium, tempDir } from "./support.mjs";
import { asWrittenTo, chooseSimulator, loadOperations, operate, startSim, stopSim, webSerialStandIn, withoutFilePickers }
  from "./boards.mjs";

const dir = tempDir();
const path = (name) => join(dir, name);
const sims = [];
let server;
let chromium;
let ops;

async function board(...args) {
  const started = await startSim(args, dir);
  sims.push(started);
  return started;
}

before(async () => {
  server = await serve();
  chromium = await startChromium();
  ops = await loadOperations();
  // The pager as a board holds it, read by km640-cli; the code-plug to write
  // changes a few values through the window's rules.
  const fresh = await board("--no-pacing");
  assert.equal(runCli(["read", "--port", fresh.where, "-o", path("base.tbl"), "--quiet"]).status, 0);
  await stopSim(fresh);
  const set = runCli(["set", path("base.tbl"), "LogoLine1=Web Bench", "F1Tone1[0]=1122.5", "-o", path("plug.tbl")]);
  assert.equal(set.status, 0, set.stderr);
});

after(async () => {
  for (const s of sims) await stopSim(s);
  await chromium?.close();
  server?.close();
});

async function newPage({ webSerial = false } = {}) {
  const page = await chromium.browser.newPage();
  page.errors = [];
  page.on("pageerror", (e) => page.errors.push(e.message));
  await page.addInitScript(withoutFilePickers);
  if (webSerial) await page.addInitScript(webSerialStandIn);
  await page.goto(`http://127.0.0.1:${server.address().port}/`);
  await page.waitForSelector("body[data-ready=true]");
  return page;
}

// Resolves once a Write has sent this many blocks (after the backup's read).
function writing(page, blocks) {
  return page.waitForFunction((n) => document.getElementById("op-caption").textContent === "Write Now ......" &&
    Number(document.getElementById("op-progress").value) >= n, blocks, { timeout: 30_000 });
}

const noSuccess = (report) => [report.text, ...report.messages].every((t) => !/success/i.test(t));

test("Write leaves the pager as km640-cli write does; Read brings its bytes; Verify succeeds, then fails naming the field", async () => {
  for (const name of ["web.tbl", "cli.tbl"]) copyFileSync(path("base.tbl"), path(name));
  const web = await board("--websocket", "127.0.0.1:0", "--no-pacing", "--memory", path("web.tbl"), "--save");
  const desk = await board("--no-pacing", "--memory", path("cli.tbl"), "--save");
  const page = await newPage();
  await chooseSimulator(page, web.where);
  await openFile(page, path("plug.tbl"));

  // Write: the pager's memory first, offered as the window names backups.
  const backup = page.waitForEvent("download");
  const written = await operate(page, "#op-write");
  assert.equal(written.text, "Write Success !", written.messages.join("\n"));
  const kept = await backup;
  assert.match(kept.suggestedFilename(), /^km640-backup-\d{8}-\d{6}-[\w]+\.tbl$/);
  assert.deepEqual(readFileSync(await kept.path()), readFileSync(path("base.tbl")));
  assert.equal((await operate(page, "#op-verify")).text, "Verify Success !");

  assert.equal(runCli(["write", "--port", desk.where, path("plug.tbl"), "--quiet"]).status, 0);
  await stopSim(web);
  await stopSim(desk);
  const byWeb = new Uint8Array(readFileSync(path("web.tbl")));
  const byCli = new Uint8Array(readFileSync(path("cli.tbl")));
  assert.notDeepEqual(byWeb, new Uint8Array(readFileSync(path("base.tbl"))), "the pager was written");
  // Equal but for what a write stamps at its moment (the clock and the
  // checksum over it): each is the other as written to it.
  assert.deepEqual(asWrittenTo(ops, byCli, byWeb), byWeb);
  assert.deepEqual(asWrittenTo(ops, byWeb, byCli), byCli);

  // Read: the editor holds the pager's bytes, and the title names the pager.
  const again = await board("--websocket", "127.0.0.1:0", "--no-pacing", "--memory", path("web.tbl"));
  await chooseSimulator(page, again.where);
  assert.equal((await operate(page, "#op-read")).text, "Read Success !");
  assert.match(await page.locator("#title").textContent(), /^KM640 V[\d.]+ {2}\[pager( \w+)?\]$/);
  const saved = page.waitForEvent("download");
  await page.click("#save-as");
  assert.deepEqual(readFileSync(await (await saved).path()), readFileSync(path("web.tbl")));
  await stopSim(again);

  // The pager's memory changed behind the page's back: Verify fails and
  // lists the field with the window's label.
  assert.equal(runCli(["set", path("web.tbl"), "LogoLine1=Changed", "-o", path("changed.tbl")]).status, 0);
  const changed = await board("--websocket", "127.0.0.1:0", "--no-pacing", "--memory", path("changed.tbl"));
  await chooseSimulator(page, changed.where);
  const failed = await operate(page, "#op-verify");
  assert.equal(failed.text, "Verify Fail !");
  const rows = await page.locator("#results tbody tr:not(.stamped)").evaluateAll((trs) =>
    trs.map((tr) => [...tr.cells].map((td) => td.textContent)));
  assert.deepEqual(rows.map((r) => r.slice(1)), [["LogoLine1", '"Web Bench"', '"Changed"']]);
  assert.match(rows[0][0], /Logo/);
  assert.deepEqual(page.errors, []);
  await page.close();
});

// [what, km640-sim's fault, button, the window's outcome text, its message (a part)]
const faults = [
  ["a silent board", ["--silent"], "#op-read", "The Board is not responding !", "Please check your programer ready"],
  ["a block not acknowledged", ["--no-write-ack-at-block", "5"], "#op-write", "Write Fail !", undefined],
  ["wrong checksums at block 5", ["--wrong-checksum-at", "320"], "#op-read", "Read Fail !", undefined],
  ["wrong checksums on every reply", ["--wrong-checksum"], "#op-verify", "The Board is not responding !", "COM port connect properly"],
];

for (const webSerial of [false, true]) {
  test(`faults give the window's texts and no success (${webSerial ? "Web Serial" : "WebSocket"})`, async () => {
    const page = await newPage({ webSerial });
    await openFile(page, path("plug.tbl"));
    await page.uncheck("#op-backup");
    for (const [what, args, button, text, message] of faults) {
      const faulty = await board("--websocket", "127.0.0.1:0", "--no-pacing", ...args);
      if (webSerial) {
        await page.evaluate((where) => (window.km640BridgeTo = where), faulty.where);
        await page.selectOption("#board-port", { index: 0 });
      } else {
        await chooseSimulator(page, faulty.where);
      }
      const report = await operate(page, button);
      assert.equal(report.text, text, what);
      if (message) assert.ok(report.messages.some((m) => m.includes(message)), `${what}: ${report.messages}`);
      assert.ok(noSuccess(report), what);
      await stopSim(faulty);
    }
    if (webSerial) {
      const bridge = await page.evaluate(() => window.km640Bridge);
      assert.deepEqual(bridge.opened[0], { baudRate: 9600, dataBits: 8, parity: "none", stopBits: 1, flowControl: "none" });
      assert.equal(bridge.closed, bridge.opened.length, "every opening is closed again");
    }
    assert.deepEqual(page.errors, []);
    await page.close();
  });
}

test("over Web Serial: Read in chunks, and a board unplugged in the middle of a Write gives one clear message", async () => {
  const page = await newPage({ webSerial: true });
  const readable = await board("--websocket", "127.0.0.1:0", "--no-pacing", "--memory", path("plug.tbl"));
  await page.evaluate((where) => (window.km640BridgeTo = where), readable.where);
  assert.match(await page.locator("#board-port option").first().textContent(), /^Serial port 1 \(USB 0403:6001\)$/);
  assert.equal((await operate(page, "#op-read")).text, "Read Success !");
  await stopSim(readable);

  // Paced, so the Write is still under way when the board goes.
  const paced = await board("--websocket", "127.0.0.1:0");
  await page.evaluate((where) => (window.km640BridgeTo = where), paced.where);
  const backup = page.waitForEvent("download");
  const report = await operate(page, "#op-write", async () => {
    await writing(page, 4);
    await stopSim(paced, "SIGKILL");
  });
  const name = (await backup).suggestedFilename();
  assert.equal(report.text, "Comm Port Error !");
  assert.deepEqual(report.messages.filter((m) => !m.startsWith("Backup: ")),
    [`The programmer board on Serial port 1 (USB 0403:6001) stopped answering during block ${
      report.messages.at(-1).match(/block (\d+)/)?.[1]} of 32: the pager may be half-written. Write it again; its memory before this write is in ${name} (downloaded).`]);
  assert.ok(noSuccess(report));
  assert.deepEqual(page.errors, []);
  await page.close();
});

test("over Web Serial: the port SYNC TIME keeps open is released when the page goes", async () => {
  const page = await newPage({ webSerial: true });
  const synced = await board("--websocket", "127.0.0.1:0", "--no-pacing");
  await page.evaluate((where) => (window.km640BridgeTo = where), synced.where);
  assert.match((await operate(page, "#op-sync")).text, /^SYNC SUCCESS !/);
  const open = await page.evaluate(() => window.km640Bridge.opened.length - window.km640Bridge.closed);
  assert.equal(open, 1, "the port stays open after SYNC TIME");
  await page.evaluate(() => window.dispatchEvent(new PageTransitionEvent("pagehide", { persisted: false })));
  await page.waitForFunction(() => window.km640Bridge.closed === window.km640Bridge.opened.length);
  assert.deepEqual(page.errors, []);
  await page.close();
  await stopSim(synced);
});

// [Cancel clicks, the Write's outcome, the note, what Verify then finds]
const cancels = [
  [1, "Write Success !", "Cancel: the operation under way was finished first.", "Verify Success !"],
  [2, "Write Interrupted !", "Stopped after the block being exchanged: the pager is not written or compared whole.",
   "Verify Fail !"],
];

test("Cancel during a Write finishes the pager under way; a second stops after the block", async () => {
  copyFileSync(path("base.tbl"), path("cancel.tbl"));
  const paced = await board("--websocket", "127.0.0.1:0", "--memory", path("cancel.tbl"), "--save");
  const page = await newPage();
  await chooseSimulator(page, paced.where);
  await openFile(page, path("plug.tbl"));
  await page.uncheck("#op-backup");
  for (const [clicks, text, note, verified] of cancels) {
    const report = await operate(page, "#op-write", async () => {
      await writing(page, 3);
      for (let i = 0; i < clicks; ++i) await page.click("#op-cancel");
    });
    assert.equal(report.text, text);
    assert.ok(report.messages.includes(note), report.messages.join("\n"));
    assert.equal((await operate(page, "#op-verify")).text, verified);
  }
  await page.close();
  await stopSim(paced);
});

test("SYNC TIME, then Info, Search and Compare on another board", async () => {
  const first = await board("--websocket", "127.0.0.1:0", "--no-pacing");
  const second = await board("--websocket", "127.0.0.1:0", "--no-pacing", "--memory", path("base.tbl"),
    "--serial", "A1B2C3D4E5F6", "--firmware", "1.3.2", "--software-version", "116");
  const page = await newPage();
  await chooseSimulator(page, first.where);
  const synced = await operate(page, "#op-sync");
  assert.match(synced.text, /^SYNC SUCCESS ! \n\nDATE & TIME : \d{4}\/\d\d\/\d\d {2}\d\d:\d\d( [ap]m)?$/);

  // The port SYNC TIME left open gives way to the board chosen next.
  await chooseSimulator(page, second.where);
  await operate(page, "#op-info");
  const info = await page.locator("#results dl").evaluate((dl) =>
    [...dl.querySelectorAll("dt")].map((dt) => [dt.textContent, dt.nextElementSibling.textContent]));
  // The model text carries the version of the program that wrote the code-plug.
  assert.match(info[3][1], /^KM640\b/);
  info[3][1] = "KM640";
  assert.deepEqual(info, [["Port", second.where], ["Firmware", "FirmVer. 1.3.2"], ["Serial No.", "A1B2C3D4E5F6"],
    ["Model text", "KM640"], ["Software version", "116 (old: a write sets the battery levels afresh)"]]);

  // Search finds the board that answers; with none, the window's message.
  await page.fill("#sim-port", second.where.split(":").pop());
  await page.selectOption("#board-port", { index: 0 });
  assert.equal((await operate(page, "#board-search")).text, `The programmer board answers on ${second.where}.`);
  await stopSim(second);
  const none = await operate(page, "#board-search");
  assert.ok(none.messages.some((m) => m.startsWith("The Board is not responding !")), none.messages.join("\n"));

  // Compare: the editor's code-plug beside the pager's, field by field.
  await chooseSimulator(page, first.where);
  await openFile(page, path("plug.tbl"));
  await operate(page, "#op-compare");
  const names = await page.locator("#results tbody tr:not(.stamped) td:nth-child(2)").allTextContents();
  assert.ok(names.includes("LogoLine1") && names.includes("F1Tone1[0]"), names.join(", "));
  assert.match(await page.locator("#results p").textContent(), /^The pager on ws:\/\/127\.0\.0\.1:\d+ differs from the editor in \d+ fields/);
  assert.deepEqual(page.errors, []);
  await page.close();
});
