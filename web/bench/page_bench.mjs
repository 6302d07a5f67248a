// The browser edition's benchmark (run after scripts/web.sh): in Debian's
// headless Chromium, the time from navigation until the first field can be
// edited (first visit and a visit served by the service worker), the time a
// commit takes from the key to the shown result with the derived values, and
// the sizes of the page's files as a server sends them compressed.
//
//   node web/bench/page_bench.mjs

import { readFileSync, readdirSync } from "node:fs";
import { join } from "node:path";
import { brotliCompressSync, constants, gzipSync } from "node:zlib";
import { dist, serve, startChromium } from "../tests/support.mjs";

const ms = (v) => `${v.toFixed(1)} ms`;
const median = (a) => [...a].sort((x, y) => x - y)[Math.floor(a.length / 2)];

const server = await serve();
const url = `http://127.0.0.1:${server.address().port}/`;
const chromium = await startChromium();
const page = await chromium.browser.newPage();
await page.setViewportSize({ width: 1366, height: 768 });

async function firstField() {
  await page.goto(url);
  await page.waitForSelector("body[data-ready=true]");
  return page.evaluate(() => {
    const at = (name) => performance.getEntriesByName(name)[0].startTime;
    return { field: at("km640-first-field"), core: at("km640-core-ready"), dom: performance.timing.domInteractive - performance.timeOrigin };
  });
}
const first = await firstField();
await page.waitForFunction(() => navigator.serviceWorker?.controller !== null || true);
await page.evaluate(() => navigator.serviceWorker.ready);
const visits = [];
for (let k = 0; k < 5; k++) visits.push(await firstField());
const split = (v) => `(page read ${ms(v.dom)}, core ready ${ms(v.core)}, pages built ${ms(v.field - v.core)})`;

// Commits: a frequency (synthesizer words follow), a tone (decoder word),
// "One Channel" (every control of channel F2 follows), a text, a menu.
const commits = [
  ["Profiles", "Profile[0].F1Freq", ["1520125", "1520250"]],
  ["Channel F1", "F1Tone1[0]", ["1122.5", "1285.8"]],
  ["Status Setting", "LogoLine1", ["Grüß Gott", "BENCH 7"]],
  // A menu's boxes: each box's own enabling is worked out again.
  ["Advance", "PowerOnMenuItems", ["{0,1}", "{0}"]],
];
const times = {};
for (const [tab, name, values] of commits) {
  await page.getByRole("tab", { name: tab, exact: true }).click();
  times[name] = [];
  for (let k = 0; k < 10; k++) {
    times[name].push(await page.evaluate(([name, value]) => {
      const input = document.querySelector(`[data-field="${name}"]`);
      input.value = value;
      const start = performance.now();
      input.dispatchEvent(new KeyboardEvent("keydown", { key: "Enter" }));
      return performance.now() - start;
    }, [name, values[k % 2]]));
  }
}
await page.getByRole("tab", { name: "Status Setting", exact: true }).click();
times["TwoChannelMode"] = [];
for (let k = 0; k < 10; k++) {
  times["TwoChannelMode"].push(await page.evaluate(() => {
    const box = document.querySelector('[data-field="TwoChannelMode"]');
    const start = performance.now();
    box.click();
    return performance.now() - start;
  }));
}
await chromium.close();
server.close();

console.log("first editable field after navigation (target: 1 s)");
const fields = visits.map((v) => v.field);
const middle = visits[fields.indexOf(median(fields))];
console.log(`  first visit                ${ms(first.field)}   ${split(first)}`);
console.log(`  later visits (median of 5) ${ms(middle.field)}   ${split(middle)}   max ${ms(Math.max(...fields))}`);
console.log("commit, key to shown result with derived values (target: one frame, 16 ms)");
for (const [name, t] of Object.entries(times))
  console.log(`  ${name.padEnd(26)} median ${ms(median(t))}   max ${ms(Math.max(...t))}`);
console.log("sizes as served (bytes)");
console.log("  file                       plain       gzip     brotli");
let total = [0, 0, 0];
for (const file of readdirSync(dist).sort()) {
  const bytes = readFileSync(join(dist, file));
  const sizes = [bytes.length, gzipSync(bytes, { level: 9 }).length,
    brotliCompressSync(bytes, { params: { [constants.BROTLI_PARAM_QUALITY]: 11 } }).length];
  total = total.map((t, k) => t + sizes[k]);
  console.log(`  ${file.padEnd(24)} ${sizes.map((s) => String(s).padStart(9)).join("  ")}`);
}
console.log(`  ${"all".padEnd(24)} ${total.map((s) => String(s).padStart(9)).join("  ")}`);
