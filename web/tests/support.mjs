// What the web tests share: the page's files served from web/dist on a free
// port of 127.0.0.1, Debian's Chromium started headless with a profile of its
// own, the native km640-cli, and the core loaded in node.

import { spawnSync } from "node:child_process";
import { createServer } from "node:http";
import { mkdtempSync, readFileSync, rmSync } from "node:fs";
import { tmpdir } from "node:os";
import { extname, join, normalize } from "node:path";
import { createRequire } from "node:module";
import { fileURLToPath } from "node:url";

const here = fileURLToPath(new URL(".", import.meta.url));
export const root = join(here, "..", "..");
export const dist = process.env.KM640_WEB_DIST ?? join(root, "web", "dist");
export const cli = process.env.KM640_CLI ?? join(root, "build", "cli", "km640-cli");
const require = createRequire(import.meta.url);

const types = {
  ".html": "text/html; charset=utf-8", ".js": "text/javascript", ".css": "text/css", ".wasm": "application/wasm",
  ".svg": "image/svg+xml", ".webmanifest": "application/manifest+json",
};

export function serve() {
  const server = createServer((request, response) => {
    const path = normalize(decodeURIComponent(new URL(request.url, "http://x").pathname)).replace(/^(\.\.[/\\])+/, "");
    const file = join(dist, path.endsWith("/") ? `${path}index.html` : path);
    try {
      const body = readFileSync(file);
      response.writeHead(200, { "content-type": types[extname(file)] ?? "application/octet-stream" });
      response.end(body);
    } catch {
      response.writeHead(404).end();
    }
  });
  return new Promise((resolve) => server.listen(0, "127.0.0.1", () => resolve(server)));
}

export async function startChromium() {
  const { chromium } = require("playwright-core");
  const profile = mkdtempSync(join(tmpdir(), "km640-chromium-"));
  const browser = await chromium.launchPersistentContext(profile, {
    executablePath: process.env.CHROMIUM ?? "/usr/bin/chromium",
    headless: true,
    acceptDownloads: true,
    args: ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
      "--disable-background-networking", "--disable-component-update", "--disable-sync"],
  });
  return { browser, close: async () => { await browser.close(); rmSync(profile, { recursive: true, force: true }); } };
}

export async function loadCore() {
  const create = require(join(dist, "km640-core.js"));
  return create({ wasmBinary: readFileSync(join(dist, "km640-core.wasm")) });
}

// Runs km640-cli with arguments given as bytes where a value holds 8-bit
// characters: the arguments go through xargs -0, which passes bytes as they are.
export function runCli(args) {
  const input = Buffer.concat(args.map((a) => Buffer.concat([Buffer.isBuffer(a) ? a : Buffer.from(a), Buffer.from([0])])));
  const result = spawnSync("xargs", ["-0", cli], { input });
  return { status: result.status, stdout: result.stdout.toString("latin1"), stderr: result.stderr.toString("latin1") };
}

export function tempDir() {
  return mkdtempSync(join(tmpdir(), "km640-web-"));
}

// Opens a file through the page's own Open button and file chooser.
export async function openFile(page, path) {
  const chooser = page.waitForEvent("filechooser");
  await page.click("#open");
  await (await chooser).setFiles(path);
  await page.waitForFunction((name) => document.title.includes(name), path.split("/").pop());
}
