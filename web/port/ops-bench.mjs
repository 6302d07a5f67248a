// Read, Write and Verify from the browser's build of the pager operations
// (under node, over a WebSocket) against a paced km640-sim, beside km640-cli
// doing the same against a paced km640-sim on a pseudo-terminal. Prints the
// wall time of each, their ratio, and the longest stretch the event loop was
// held during the browser build's operation (it must stay free for the page).
//
// usage: node ops-bench.mjs KM640-OPS.js KM640-SIM KM640-CLI

import { spawn, execFileSync } from "node:child_process";
import { mkdtempSync, readFileSync, rmSync } from "node:fs";
import { tmpdir } from "node:os";
import { join } from "node:path";
import { createInterface } from "node:readline";
import { createRequire } from "node:module";
import { monitorEventLoopDelay, performance } from "node:perf_hooks";
import WebSocket from "ws";
import { SerialLine, webSocketTransport } from "./serialChannel.js";

const [modulePath, simProgram, cliProgram] = process.argv.slice(2);
const folder = mkdtempSync(join(tmpdir(), "km640-opsbench-"));

function startSim(args) {
  const child = spawn(simProgram, args, { stdio: ["ignore", "pipe", "inherit"], env: { ...process.env, XDG_RUNTIME_DIR: folder } });
  return new Promise((resolve) => createInterface({ input: child.stdout }).once("line", (where) => resolve({ child, where })));
}

const ops = await createRequire(import.meta.url)(modulePath)({ wasmBinary: readFileSync(modulePath.replace(/\.js$/, ".wasm")) });
ops.km640Line = new SerialLine((url, options, line) => webSocketTransport(url, line, WebSocket));

const web = await startSim(["--websocket", "127.0.0.1:0"]);
const desk = await startSim([]);
const plug = join(folder, "pager.tbl");
execFileSync(cliProgram, ["read", "--port", desk.where, "-o", plug, "--quiet"]);
const plugBytes = readFileSync(plug);
const pointer = ops._malloc(2048);
ops.HEAPU8.set(plugBytes.subarray(0, 2048), pointer);

const steps = [
  ["Write", () => ops.ccall("km640_write", "number", ["string", "number", "number"], [web.where, pointer, 1], { async: true }),
   ["write", "--port", desk.where, plug]],
  ["Read", () => ops.ccall("km640_read", "number", ["string"], [web.where], { async: true }),
   ["read", "--port", desk.where, "-o", join(folder, "read.tbl")]],
  ["Verify", () => ops.ccall("km640_verify", "number", ["string"], [web.where], { async: true }),
   ["verify", "--port", desk.where, plug]],
];
console.log("operation   browser build   km640-cli   ratio   longest event-loop hold");
for (const [name, inBrowser, cliArgs] of steps) {
  const held = monitorEventLoopDelay({ resolution: 1 });
  held.enable();
  let start = performance.now();
  const outcome = await inBrowser();
  const webMs = performance.now() - start;
  held.disable();
  start = performance.now();
  execFileSync(cliProgram, [...cliArgs, "--quiet"]);
  const cliMs = performance.now() - start;
  console.log(`${name.padEnd(12)}${(webMs / 1000).toFixed(2).padStart(10)} s${(cliMs / 1000).toFixed(2).padStart(10)} s` +
              `${(webMs / cliMs).toFixed(3).padStart(8)}${(held.max / 1e6).toFixed(1).padStart(12)} ms` +
              (outcome === 0 ? "" : `   (outcome ${outcome})`));
}
for (const sim of [web, desk]) sim.child.kill("SIGTERM");
rmSync(folder, { recursive: true, force: true });
