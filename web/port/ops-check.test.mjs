// The pager operations compiled for the browser, run under node against
// km640-sim --websocket: the very operations km640-cli runs, over the
// browser's port and line. A Write from the module must leave the pager as
// km640-cli write leaves a second simulated pager for the same file.
//
// usage: node --test ops-check.test.mjs   with
//   KM640_OPS_MODULE  the built km640-ops.js (web/port/build-ops-check.sh)
//   KM640_SIM, KM640_CLI  the km640-sim and km640-cli programs

import { test, before, after } from "node:test";
import assert from "node:assert/strict";
import { spawn, execFileSync } from "node:child_process";
import { mkdtempSync, readFileSync, writeFileSync, copyFileSync, rmSync } from "node:fs";
import { tmpdir } from "node:os";
import { join } from "node:path";
import { createInterface } from "node:readline";
import { createRequire } from "node:module";
import WebSocket from "ws";
import { SerialLine, webSerialTransport, webSocketTransport } from "./serialChannel.js";

const { KM640_OPS_MODULE: modulePath, KM640_SIM: simProgram, KM640_CLI: cliProgram } = process.env;
const imageSize = 2048;
// Outcome numbers of the operations (pager/PagerOperations.h).
const Outcome = { Success: 0, WriteFail: 7, VerifyFail: 8, PortError: 10 };

let folder;
let ops;
const sims = [];

// Starts km640-sim; resolves with its first line (the ws:// address or the pty path).
function startSim(args) {
  const child = spawn(simProgram, args, { stdio: ["ignore", "pipe", "inherit"],
                                          env: { ...process.env, XDG_RUNTIME_DIR: folder } });
  sims.push(child);
  return new Promise((resolve, reject) => {
    const lines = createInterface({ input: child.stdout });
    lines.once("line", (line) => resolve({ child, where: line }));
    child.once("exit", (code) => reject(new Error(`km640-sim ended with ${code}`)));
  });
}

function stopSim(sim) {
  return new Promise((resolve) => {
    if (sim.child.exitCode !== null) return resolve(sim.child.exitCode);
    sim.child.once("exit", (code) => resolve(code));
    sim.child.kill("SIGTERM");
  });
}

function cli(...args) {
  return execFileSync(cliProgram, [...args, "--quiet"], { encoding: "utf8", stdio: ["ignore", "pipe", "pipe"] });
}

function bytesIn(pointer) {
  return ops.HEAPU8.slice(pointer, pointer + imageSize);
}

function withBytes(bytes, use) {
  const pointer = ops._malloc(imageSize);
  ops.HEAPU8.set(bytes, pointer);
  try {
    return use(pointer);
  } finally {
    ops._free(pointer);
  }
}

async function run(name, argTypes, args) {
  const outcome = await ops.ccall(name, "number", argTypes, args, { async: true });
  return { outcome, text: ops.UTF8ToString(ops._km640_result_text()) };
}

async function write(port, file) {
  const pointer = ops._malloc(imageSize);
  ops.HEAPU8.set(file.subarray(0, imageSize), pointer);
  try {
    return await run("km640_write", ["string", "number", "number"], [port, pointer, 1]);
  } finally {
    ops._free(pointer);
  }
}

function asWrittenTo(codePlug, pager) {
  return withBytes(codePlug, (c) => withBytes(pager, (p) => {
    const out = ops._malloc(imageSize);
    ops._km640_as_written_to(c, p, out);
    const bytes = bytesIn(out);
    ops._free(out);
    return bytes;
  }));
}

before(async () => {
  folder = mkdtempSync(join(tmpdir(), "km640-ops-"));
  // Handed over as bytes: node's fetch takes no file paths.
  ops = await createRequire(import.meta.url)(modulePath)({ wasmBinary: readFileSync(modulePath.replace(/\.js$/, ".wasm")) });
  ops.km640Line = new SerialLine((url, options, line) => webSocketTransport(url, line, WebSocket));
  // The pager's memory as a board holds it: read by km640-cli from a fresh simulated board.
  const fresh = await startSim(["--no-pacing"]);
  cli("read", "--port", fresh.where, "-o", join(folder, "base.tbl"));
  await stopSim(fresh);
  // The code-plug to write: a few values changed through the window's rules.
  cli("set", join(folder, "base.tbl"), "Profile[1].PName=Web 7", "F1Tone1[0]=1285.8", "-o", join(folder, "plug.tbl"));
  // As a program before version 117 saved it (version 1.16 in bytes 1982
  // and 1983, battery levels in bytes 240 to 242 in the old scale): a write
  // sets its battery levels afresh and stamps this program's version, from
  // the browser as from km640-cli.
  const old = readFileSync(join(folder, "plug.tbl"));
  old.set([0x01, 0x16], 1982);
  old.set([0x90, 0x9a, 0xa0], 240);
  writeFileSync(join(folder, "old.tbl"), old);
});

after(async () => {
  for (const sim of sims) await stopSim({ child: sim });
  rmSync(folder, { recursive: true, force: true });
});

test("Read brings the pager's memory, and Write leaves the pager as km640-cli write does", async () => {
  const base = readFileSync(join(folder, "base.tbl"));
  const plug = readFileSync(join(folder, "old.tbl"));
  for (const name of ["web.tbl", "cli.tbl"]) copyFileSync(join(folder, "base.tbl"), join(folder, name));
  const web = await startSim(["--websocket", "127.0.0.1:0", "--no-pacing", "--memory", join(folder, "web.tbl"), "--save"]);
  const desk = await startSim(["--no-pacing", "--memory", join(folder, "cli.tbl"), "--save"]);
  assert.match(web.where, /^ws:\/\/127\.0\.0\.1:\d+$/);

  const read = await run("km640_read", ["string"], [web.where]);
  assert.equal(read.outcome, Outcome.Success, read.text);
  assert.deepEqual(bytesIn(ops._km640_image()), new Uint8Array(base));

  const written = await write(web.where, plug);
  assert.equal(written.outcome, Outcome.Success, written.text);
  const verified = await run("km640_verify", ["string"], [web.where]);
  assert.equal(verified.outcome, Outcome.Success, verified.text);
  cli("write", "--port", desk.where, join(folder, "old.tbl"));
  assert.equal(await stopSim(web), 0);
  assert.equal(await stopSim(desk), 0);

  const byWeb = new Uint8Array(readFileSync(join(folder, "web.tbl")));
  const byCli = new Uint8Array(readFileSync(join(folder, "cli.tbl")));
  assert.notDeepEqual(byWeb, new Uint8Array(base), "the pager was written");
  assert.deepEqual(byWeb.subarray(1982, 1984), byCli.subarray(1982, 1984), "this program's version is stamped");
  // Equal but for what a write stamps at its moment (the clock and the
  // checksum over it): each is the other as written to it.
  assert.deepEqual(asWrittenTo(byCli, byWeb), byWeb);
  assert.deepEqual(asWrittenTo(byWeb, byCli), byCli);
});

test("Verify fails on a pager that holds one byte otherwise", async () => {
  const sim = await startSim(["--websocket", "127.0.0.1:0", "--no-pacing", "--memory", join(folder, "web.tbl"),
                              "--corrupt-byte", "1000"]);
  const result = await run("km640_verify", ["string"], [sim.where]);
  assert.equal(result.outcome, Outcome.VerifyFail);
  assert.equal(result.text, " Verify Fail !");
  await stopSim(sim);
});

test("A block the board does not acknowledge fails the Write with the window's text", async () => {
  const sim = await startSim(["--websocket", "127.0.0.1:0", "--no-pacing", "--no-write-ack-at-block", "5"]);
  const result = await write(sim.where, readFileSync(join(folder, "plug.tbl")));
  assert.equal(result.outcome, Outcome.WriteFail);
  assert.equal(result.text, " Write Fail !");
  await stopSim(sim);
});

test("A board that is gone is named, and nothing is reported as success", async () => {
  const sim = await startSim(["--websocket", "127.0.0.1:0", "--no-pacing"]);
  await stopSim(sim);
  const result = await run("km640_read", ["string"], [sim.where]);
  assert.notEqual(result.outcome, Outcome.Success);
  assert.match(ops.UTF8ToString(ops._km640_messages()), /Error opening comm port/);
});

test("A board unplugged in the middle of a Write ends it as a port error, never as a success", async () => {
  // Paced, so the Write is still under way when the board goes.
  const sim = await startSim(["--websocket", "127.0.0.1:0"]);
  const writing = write(sim.where, readFileSync(join(folder, "plug.tbl")));
  setTimeout(() => sim.child.kill("SIGKILL"), 1500);
  const result = await writing;
  assert.equal(result.outcome, Outcome.PortError, result.text);
  assert.equal(result.text, "Comm Port Error !");
});

// A serial port as Web Serial hands it out, its streams bridged to a
// simulated board over a WebSocket: what the page's Web Serial path does
// with the port (open options, reading the stream in the chunks it comes in,
// closing) runs as in the browser.
function bridgedSerialPort(url) {
  const port = { opened: [], closed: false };
  let socket;
  port.open = async (options) => {
    port.opened.push(options);
    socket = new WebSocket(url);
    socket.binaryType = "arraybuffer";
    await new Promise((resolve, reject) => { socket.onopen = resolve; socket.onerror = reject; });
    port.readable = new ReadableStream({
      start(controller) {
        socket.onmessage = (event) => controller.enqueue(new Uint8Array(event.data));
        socket.onclose = () => controller.error(new Error("The device has been lost."));
      },
      cancel() { socket.onclose = null; },
    });
    port.writable = new WritableStream({ write(chunk) { socket.send(chunk); } });
  };
  port.close = async () => {
    port.closed = true;
    socket.close();
  };
  return port;
}

test("Over Web Serial the board's line is opened at 9600 baud 8N1, read and released", async () => {
  const sim = await startSim(["--websocket", "127.0.0.1:0", "--no-pacing"]);
  const port = bridgedSerialPort(sim.where);
  const webSocketLine = ops.km640Line;
  ops.km640Line = new SerialLine((name, options, line) => webSerialTransport(port, options, line));
  try {
    const result = await run("km640_read", ["string"], ["Web Serial port"]);
    assert.equal(result.outcome, Outcome.Success, result.text);
  } finally {
    ops.km640Line = webSocketLine;
  }
  assert.deepEqual(bytesIn(ops._km640_image()), new Uint8Array(readFileSync(join(folder, "base.tbl"))));
  assert.deepEqual(port.opened.at(-1), { baudRate: 9600, dataBits: 8, parity: "none", stopBits: 1, flowControl: "none" });
  assert.ok(port.closed, "the port is released after the operation");
  await stopSim(sim);
});
