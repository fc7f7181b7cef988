// SPDX-License-Identifier: MIT
// Keeps the page's files so that, after one visit, the toy starts without
// the server, and installs as an app. The build writes the site's copy of
// this file with the list of the files and a version made from their
// contents (site_version.cmake).
//
// A build's files live in one cache named after its version, filled whole
// (every file, or none) when its worker installs. The worker serves only
// from its own cache, and a new worker takes over only once no page of the
// old one is open, so a page never mixes two builds' files: an old
// ballcourse.js with a new ballcourse.wasm cannot happen.
'use strict';

const kCache = 'ballcourse-@BALLCOURSE_SITE_VERSION@';
// The site's other files, which the build writes between the two quotes as
// 'index.html', 'ballcourse.js', ...; the template stays JavaScript.
const kFiles = ['@BALLCOURSE_SITE_FILES@'];

self.addEventListener('install', (event) => {
  // 'reload' skips the browser's HTTP cache, which may hold an older build.
  event.waitUntil(
    caches
      .open(kCache)
      .then((cache) => cache.addAll(kFiles.map((file) => new Request(file, {cache: 'reload'})))),
  );
});

// Older builds' caches go once this build's worker is the one in charge.
self.addEventListener('activate', (event) => {
  event.waitUntil(
    caches
      .keys()
      .then((names) =>
        Promise.all(
          names
            .filter((name) => name.startsWith('ballcourse-') && name !== kCache)
            .map((name) => caches.delete(name)),
        ),
      ),
  );
});

self.addEventListener('fetch', (event) => {
  const request = event.request;
  const url = new URL(request.url);
  if (request.method !== 'GET' || url.origin !== self.location.origin) return;
  // The page is opened as the site's folder (the app's start) or by name.
  const scope = new URL(self.registration.scope).pathname;
  const page =
    request.mode === 'navigate' &&
    (url.pathname === scope || url.pathname === `${scope}index.html`);
  event.respondWith(
    caches
      .open(kCache)
      .then((cache) => cache.match(page ? 'index.html' : request, {ignoreSearch: true}))
      .then((kept) => kept || fetch(request)),
  );
});
