// Keeps the page's files (the editor and the pager operations) so the page opens without a network once it has
// been loaded: every file of the page is taken from this cache first, and the
// cache is named after the build, so a new build replaces it.
const CACHE = "km640-@BUILD@";
const FILES = ["./", "index.html", "app.js", "km640-core.js", "km640-core.wasm", "km640-ops.js", "km640-ops.wasm", "style.css", "manifest.webmanifest", "km640.svg"];

self.addEventListener("install", (event) => {
  event.waitUntil(caches.open(CACHE).then((cache) => cache.addAll(FILES)).then(() => self.skipWaiting()));
});

self.addEventListener("activate", (event) => {
  event.waitUntil(
    caches.keys()
      .then((names) => Promise.all(names.filter((n) => n.startsWith("km640-") && n !== CACHE).map((n) => caches.delete(n))))
      .then(() => self.clients.claim()),
  );
});

self.addEventListener("fetch", (event) => {
  if (event.request.method !== "GET") return;
  event.respondWith(caches.match(event.request, { ignoreSearch: true }).then((hit) => hit || fetch(event.request)));
});
