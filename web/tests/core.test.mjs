// The editor's core compiled to WebAssembly, checked against the native
// km640-cli of the same build: for a table of edits covering every kind of
// control, the bytes the core saves are the bytes `km640-cli set` saves, a
// refused value gets the same message, and a .tbl goes to text and back byte
// for byte.

import { test } from "node:test";
import assert from "node:assert/strict";
import { readFileSync, writeFileSync } from "node:fs";
import { join } from "node:path";
import { loadCore, runCli, tempDir } from "./support.mjs";

const core = await loadCore();
const dir = tempDir();
const utf8 = (s) => Buffer.from(s, "utf8");

// A code-plug as the command line makes it: the built-in one imported from an
// empty text.
const base = join(dir, "base.tbl");
writeFileSync(join(dir, "empty.json"), JSON.stringify({ format: "km640-codeplug", version: 1, fields: {} }));
assert.equal(runCli(["import", join(dir, "empty.json"), "-o", base]).status, 0);
const baseBytes = new Uint8Array(readFileSync(base));

function cliSet(words) {
  const out = join(dir, `set-${Math.random().toString(36).slice(2)}.tbl`);
  const result = runCli(["set", base, ...words.map(([name, value]) => utf8(`${name}=${value}`)), "-o", out]);
  return { ...result, bytes: result.status === 0 ? new Uint8Array(readFileSync(out)) : undefined };
}

function opened() {
  const session = new core.EditorSession();
  const answer = JSON.parse(session.open(baseBytes, "base.tbl"));
  assert.equal(answer.opened, true, answer.refusal);
  return session;
}

const kinds = JSON.parse(core.EditorSession.controls());
const kindOf = (name) => kinds.find((c) => c.name === name)?.kind;

// [field, value, kind]: every kind of control the page edits.
const edits = [
  ["Profile[0].F1Freq", "1520125", "frequency"],
  ["Profile[1].F1Freq", "1530000", "frequency"],
  ["F1Tone1[0]", "1124.0", "tone"],
  ["F2Tone2[0]", "1687.2", "tone"],
  ["Profile[0].ResetControl", "Auto Reset", "list"],
  ["InitialProfile", "Profile 1", "list"],
  ["Profile[1].PON", "on", "check"],
  ["Profile[2].PON", "on", "check"],
  ["F1AddrSwitches[0]", "{0,2}", "set"],
  ["LogoLine1", "Grüß Gott", "text"],
  ["Profile[2].PName", "Löschzug", "text"],
  ["Contrast", "3", "number"],
  ["CarrierOffDelay", "12", "number"],
];

test("every kind of control saves the bytes km640-cli set saves", () => {
  assert.deepEqual(new Set(edits.map((e) => e[2])), new Set(kinds.filter((k) => k.kind !== "shown").map((k) => k.kind)));
  for (const [name, value, kind] of edits) {
    assert.equal(kindOf(name), kind, name);
    const session = opened();
    const answer = JSON.parse(session.commit(name, value));
    const native = cliSet([[name, value]]);
    assert.equal(answer.refusal, undefined, `${name}=${value}: ${answer.refusal}`);
    assert.equal(native.status, 0, native.stderr);
    assert.deepEqual(session.saveImage(), native.bytes, `${name}=${value}`);
  }
});

test("all the edits at once save what one km640-cli set saves", () => {
  const session = opened();
  const words = edits;
  for (const [name, value] of words) assert.equal(JSON.parse(session.commit(name, value)).refusal, undefined, name);
  assert.deepEqual(session.saveImage(), cliSet(words).bytes);
});

test("a refused value gets the command line's message and changes nothing", () => {
  const refused = [
    ["F1Tone1[0]", "9999"],
    ["Profile[0].F1Freq", "99"],
    ["Profile[0].F1Freq", "15a"],
    ["LogoLine1", "far too long for one line"],
    ["Profile[0].ResetControl", "Sometimes"],
    ["NbSquelch[0].Nrssi", "9.9"],
    ["F1AddrProfiles[0]", "{7}"],
  ];
  for (const [name, value] of refused) {
    const session = opened();
    const before = session.saveImage();
    const answer = JSON.parse(session.commit(name, value));
    const native = cliSet([[name, value]]);
    assert.notEqual(native.status, 0, `${name}=${value} was taken by km640-cli`);
    assert.ok(answer.refusal, `${name}=${value} was taken by the core`);
    assert.ok(native.stderr.includes(`${name}=${value}: ${answer.refusal}`), `${answer.refusal}\n${native.stderr}`);
    assert.deepEqual(session.saveImage(), before);
  }
});

test("a commit tells the derived values that moved with it", () => {
  const session = opened();
  session.state("");
  const answer = JSON.parse(session.commit("Profile[0].F1Freq", "1520125"));
  const moved = answer.changed.map((c) => kinds[c.index].name);
  assert.ok(moved.includes("Profile[0].F1Freq"));
  assert.ok(moved.some((n) => n.startsWith("Profile[0].F1PLL")), moved.join(" "));
});

test(".tbl to text and back byte for byte, and the text is km640-cli's", () => {
  const session = opened();
  session.commit("LogoLine1", "Grüß Gott");
  const tbl = session.saveImage();
  const text = session.saveText();
  writeFileSync(join(dir, "edited.tbl"), tbl);
  const exported = runCli(["export", join(dir, "edited.tbl")]);
  assert.equal(Buffer.from(text).toString("latin1"), exported.stdout);
  const again = new core.EditorSession();
  const answer = JSON.parse(again.open(text, "edited.json"));
  assert.equal(answer.opened, true, answer.refusal);
  assert.equal(answer.fromText, true);
  assert.deepEqual(again.saveImage(), tbl);
});

test("files the window does not open are refused with its messages", () => {
  const session = opened();
  const cases = [
    [new Uint8Array(100), "short.tbl", "Can't perform one of the following file operations: Open, Seek, Read, Close."],
    [new Uint8Array(2048), "blank.tbl", "The file is not KM640 code-plug file."],
    [new TextEncoder().encode('{"format":"km640-codeplug","version":1,"fields":{"F1Tone1[0]":"9999"}}'), "t.json",
      '"t.json" was not opened: this problem of the code-plug text (values with the window\'s own message):\nline 1, column 50: F1Tone1[0]=9999: Please insert a number between 288.5 to 2468.2'],
  ];
  for (const [bytes, name, message] of cases) {
    const before = session.saveImage();
    assert.deepEqual(JSON.parse(session.open(bytes, name)), { opened: false, refusal: message });
    assert.deepEqual(session.saveImage(), before);
  }
});

test("compare names the fields as the window does, and the roster check lists problems", () => {
  const session = opened();
  session.commit("F1Tone1[0]", "1122.5");
  const rows = JSON.parse(session.compare(new Uint8Array(), "Editor", baseBytes, "base.tbl")).rows;
  const tone = rows.find((r) => r.name === "F1Tone1[0]");
  assert.deepEqual([tone.label, tone.a, tone.b], ["Channel F1 › Address 1 › Tone 1", "1122.5", "1285.8"]);
  const diff = runCli(["diff", base, base]);
  assert.equal(diff.status, 0);
  const csv = "serial,F1Tone1[0],LogoLine1\nA1B2C3D4E5F6,1122.5,Bench 1\nA1B2C3D4E5F7,9999,Bench 2\n";
  writeFileSync(join(dir, "roster.csv"), csv);
  const roster = JSON.parse(session.checkRoster(new TextEncoder().encode(csv)));
  const native = runCli(["roster", "check", base, join(dir, "roster.csv")]);
  assert.equal(roster.rows, 2);
  assert.equal(roster.problems.length, 1);
  assert.ok(native.stdout.includes(roster.problems[0]), `${roster.problems[0]}\n${native.stdout}`);
  assert.ok(native.stdout.includes(`roster.csv: ${roster.summary}\n`), `${roster.summary}\n${native.stdout}`);
});

// The range a page is told for a number control: its bounds are taken as
// km640-cli set takes them, and one step beyond is refused with the same message.
test("a number control's range is the one km640-cli set keeps", () => {
  const session = opened();
  const states = JSON.parse(session.state(""));
  const rangeOf = (name) => states.find((s) => kinds[s.index].name === name)?.range;
  for (const name of ["F1ScanTime", "CarrierOffDelay", "Contrast", "TonalityHz[0]", "StdTiming.DecodingTime"]) {
    const range = rangeOf(name);
    assert.ok(range, name);
    const text = (x) => x.toFixed(range.decimals);
    for (const bound of [range.lowest, range.highest]) {
      const taken = opened();
      assert.equal(JSON.parse(taken.commit(name, text(bound))).refusal, undefined, `${name}=${text(bound)}`);
      assert.deepEqual(taken.saveImage(), cliSet([[name, text(bound)]]).bytes, `${name}=${text(bound)}`);
    }
    for (const beyond of [range.lowest - range.step, range.highest + range.step]) {
      const refusal = JSON.parse(opened().commit(name, text(beyond))).refusal;
      const native = cliSet([[name, text(beyond)]]);
      assert.ok(refusal && native.status !== 0, `${name}=${text(beyond)}`);
      assert.ok(native.stderr.includes(refusal), `${refusal}\n${native.stderr}`);
    }
  }
  assert.equal(rangeOf("LogoLine1"), undefined);
});

test("a box or an entry the window disables on its own is named with the rule's reason", () => {
  const session = opened();
  const index = kinds.findIndex((c) => c.name === "PowerOnMenuItems");
  const itemsOf = () => JSON.parse(session.state("Advance")).find((s) => s.index === index).itemsDisabled ?? [];
  assert.equal(JSON.parse(session.commit("PowerOnMenuItems", "{0}")).refusal, undefined);
  assert.equal(itemsOf().filter((why) => why).length <= 1, true, "only Sel Profile with one profile on");
  assert.equal(itemsOf()[5] ?? "", "");
  assert.equal(JSON.parse(session.commit("PowerOnMenuItems", "{}")).refusal, undefined);
  const why = itemsOf()[5];
  assert.ok(why, "Set Password without Keyin Password");
  // The reason is the refusal of clicking it, as km640-cli set gives it.
  assert.equal(JSON.parse(session.commit("PowerOnMenuItems", "{5}")).refusal, why);
  assert.ok(cliSet([["PowerOnMenuItems", "{5}"]]).stderr.includes(`PowerOnMenuItems={5}: ${why}`));

  // A list's entries, asked for as the list is opened: only a profile that is on can be the initial one.
  const initial = kinds.findIndex((c) => c.name === "InitialProfile");
  const choices = JSON.parse(session.state("Profiles")).find((s) => s.index === initial).choices;
  const entries = JSON.parse(session.entriesDisabled("InitialProfile"));
  assert.deepEqual(choices.filter((c, k) => !entries[k]), ["Profile 1"]);
  assert.equal(JSON.parse(session.commit("InitialProfile", choices[1])).refusal, entries[1]);
  assert.deepEqual(JSON.parse(session.entriesDisabled("LogoLine1")), []);
});
