// What the pager operations' page tests and benchmark share: km640-sim
// started as a simulated board (over a WebSocket, or on a pseudo-terminal for
// km640-cli), the page with its board chosen, an operation run to its end, and
// a stand-in navigator.serial whose port is bridged to a simulated board over
// the WebSocket, so the page's Web Serial path runs as with a USB adapter.

import { spawn } from "node:child_process";
import { readFileSync } from "node:fs";
import { createRequire } from "node:module";
import { join } from "node:path";
import { createInterface } from "node:readline";
import { root, dist } from "./support.mjs";

export const sim = process.env.KM640_SIM ?? join(root, "build", "sim", "km640-sim");

// Starts km640-sim; resolves with { child, where } (its ws:// address or pty).
export function startSim(args, runtimeDir) {
  const child = spawn(sim, args, { stdio: ["ignore", "pipe", "inherit"], env: { ...process.env, XDG_RUNTIME_DIR: runtimeDir } });
  return new Promise((resolve, reject) => {
    createInterface({ input: child.stdout }).once("line", (where) => resolve({ child, where }));
    child.once("exit", (code) => reject(new Error(`km640-sim ended with ${code}`)));
  });
}

export function stopSim(board, signal = "SIGTERM") {
  return new Promise((resolve) => {
    if (board.child.exitCode !== null || board.child.signalCode !== null) return resolve(board.child.exitCode);
    board.child.once("exit", (code) => resolve(code));
    board.child.kill(signal);
  });
}

// The WebAssembly operations under node, for what a test works out as the
// program does (a code-plug as a write leaves it on a pager).
export async function loadOperations() {
  const path = join(dist, "km640-ops.js");
  return createRequire(import.meta.url)(path)({ wasmBinary: readFileSync(path.replace(/\.js$/, ".wasm")) });
}

export function asWrittenTo(ops, codePlug, pager) {
  const [c, p, out] = [0, 1, 2].map(() => ops._malloc(2048));
  ops.HEAPU8.set(codePlug.subarray(0, 2048), c);
  ops.HEAPU8.set(pager.subarray(0, 2048), p);
  ops._km640_as_written_to(c, p, out);
  const bytes = ops.HEAPU8.slice(out, out + 2048);
  [c, p, out].forEach((x) => ops._free(x));
  return bytes;
}

// Installed with page.addInitScript: a browser without the File System
// Access API, where files come through the file picker and go out as downloads.
export function withoutFilePickers() {
  delete window.showOpenFilePicker;
  delete window.showSaveFilePicker;
}

// Chooses the simulated board at address (ws://127.0.0.1:PORT) as a user does.
export async function chooseSimulator(page, where) {
  await page.selectOption("#board-port", "sim");
  await page.fill("#sim-port", where.split(":").pop());
}

// Clicks an operation's button and resolves once the operation is over, with
// what the page reported.
export async function operate(page, button, during) {
  const done = Number((await page.getAttribute("#board", "data-done")) ?? 0);
  await page.click(button);
  if (during) await during();
  await page.waitForFunction((n) => Number(document.getElementById("board")?.dataset.done ?? 0) > n, done,
    { timeout: 60_000 });
  return page.evaluate(() => ({
    outcome: document.getElementById("board").dataset.outcome,
    text: document.getElementById("op-outcome").textContent,
    messages: [...document.querySelectorAll("#op-messages li")].map((li) => li.textContent),
  }));
}

// Installed with page.addInitScript before the page loads: navigator.serial
// with one port the user allowed earlier. Opening it connects to the
// simulated board at window.km640BridgeTo; the board's bytes come in small
// chunks of varying size, as a USB adapter delivers them. When the board
// goes, the port fires its disconnect event (its stream stays open, so only
// the event tells the page). What the page did is kept in window.km640Bridge.
export function webSerialStandIn() {
  const bridge = { opened: [], closed: 0, requested: 0 };
  window.km640Bridge = bridge;
  class Port extends EventTarget {
    getInfo() { return { usbVendorId: 0x0403, usbProductId: 0x6001 }; }
    async open(options) {
      if (this.socket) throw new DOMException("The port is already open.", "InvalidStateError");
      bridge.opened.push(options);
      const socket = new WebSocket(window.km640BridgeTo);
      socket.binaryType = "arraybuffer";
      await new Promise((resolve, reject) => {
        socket.onopen = resolve;
        socket.onerror = () => reject(new DOMException("Failed to open serial port.", "NetworkError"));
      });
      this.socket = socket;
      let split = 1;
      this.readable = new ReadableStream({
        start: (controller) => {
          socket.onmessage = (event) => {
            const bytes = new Uint8Array(event.data);
            for (let at = 0; at < bytes.length; at += split, split = split % 7 + 1)
              controller.enqueue(bytes.slice(at, at + split));
          };
          socket.onclose = () => {
            if (this.socket === socket) this.dispatchEvent(new Event("disconnect"));
          };
        },
      });
      this.writable = new WritableStream({ write: (chunk) => socket.send(chunk) });
    }
    async close() {
      bridge.closed += 1;
      const socket = this.socket;
      this.socket = undefined;
      socket?.close();
    }
  }
  const port = new Port();
  const serial = new EventTarget();
  serial.getPorts = async () => [port];
  serial.requestPort = async () => {
    bridge.requested += 1;
    return port;
  };
  Object.defineProperty(navigator, "serial", { value: serial });
}
