'use strict';
// The page's side of its worker (worker.js): starting it, one job at a time
// to it, and the answers back.  The page's script goes on in page.js.

var workerSource = document.getElementById('worker-source').textContent;
var worker = null, workerReady = null, reader = null; // reader: file_reader.js
var nextId = 1, waiting = new Map(), queue = Promise.resolve();
var plugins = [];
var WATCHDOG_MS = 20000;

// The page's id while it is open, for its WAV files (wav_disk.js), from
// its first worker on.
var pageId = null;

function startWorker() {
  if (!pageId) pageId = WavDisk.hold();
  var url = URL.createObjectURL(new Blob([workerSource], {type: 'text/javascript'}));
  var own = worker = new Worker(url);
  URL.revokeObjectURL(url);
  var ownReader = reader = startReader(own, function (message) {
    own.postMessage({type: 'reader-failed', message: message});
  });
  worker.onmessage = function (e) {
    if (e.data.type === 'reader') { ownReader.relay(e.data.request); return; }
    var m = e.data, w = waiting.get(m.id);
    if (!w) return;
    w.seen = Date.now();
    if (m.type === 'read') readFor(e.target, w.file, m);
    else if (m.type === 'done') { waiting.delete(m.id); w.resolve(m); }
    else if (w.onMessage) w.onMessage(m);
  };
  workerReady = pageId.then(function (id) {
    return send({type: 'start', ini: store.getItem(INI_KEY) || '', walking: walkAllowed(), page: id});
  }).then(function (m) {
    plugins = m.plugins || [];
    return warmUp();
  });
  return workerReady;
}

// Before the user's first file, the worker looks at a short movie of its
// module's own making, as it looks at a file (its plug-in chosen, its sound
// decoded), and the answers are dropped.  Engines compile code at full
// speed only once it has run a while: in WebKit a 10-minute movie's card
// came 40 ms sooner with this (0.14-0.15 s, not 0.18-0.19 s), in Chromium
// 10 ms.  It takes 0.04-0.23 s after the worker starts, long before a
// user gives the page a file.
var WARM_UP_MS = 20000;
function warmUp() {
  var name = 'warm-up.mve';
  return send({type: 'warm-up', ms: WARM_UP_MS}).then(function (m) {
    var movie = m.movie;
    if (!movie) throw new Error(m.problem || 'none was made');
    return send({type: 'choose', file: movie, size: movie.size, name: name}).then(function (c) {
      if (!(c.plugin >= 0)) throw new Error(c.problem || 'no plug-in took it');
      return send({type: 'play', file: movie, base: 0, size: movie.size, name: name, data: name, plugin: c.plugin});
    }).then(function (p) {
      if (p.problem || p.result !== 0) throw new Error(p.problem || 'its decode ended with ' + p.result);
    });
  }).catch(function (err) {
    // The page works without it; only its first card comes later.
    console.error('The page\'s warm-up movie failed: ' + err.message);
  });
}

// The worker stopped, and its reader with it; reads still waiting for it
// are dropped, not done for nobody.
function stopWorker() {
  var stopped = worker;
  stopped.terminate();
  reader.worker.terminate();
  toRead = toRead.filter(function (r) { return r.to !== stopped; });
}

// Bytes of a job's file read for the worker, where it may not read files
// itself (see file_feed.js): an ArrayBuffer, or why there is none.  At most
// two reads run at once, the rest wait their turn: WebKit serves reads
// that run together side by side, so three 4 MiB reads all end at once,
// after some 34 ms where one alone takes 13; the worker's first bytes
// then come late, and two at a time read a file as fast as three.  A
// read under 2 MiB (a short file's) runs alone: what WebKit holds grows
// with the bytes being read, and two 1 MiB reads at once held 71-75 MiB
// for the 10-minute movie's WAV of 50 MiB, one at a time 65 MiB.
var reading = 0, toRead = [];
function readsAtOnce(m) { return m.end - m.offset < 2 << 20 ? 1 : 2; }
function readFor(to, file, m) {
  toRead.push({to: to, file: file, m: m});
  readNext();
}
function readNext() {
  if (!toRead.length || reading >= readsAtOnce(toRead[0].m)) return;
  var r = toRead.shift(), m = r.m;
  var answer = function (bytes, tooBig) {
    r.to.postMessage({type: 'bytes', ask: m.ask, bytes: bytes, tooBig: tooBig}, bytes ? [bytes] : []);
    reading--;
    readNext();
  };
  var failed = function (err) { answer(null, !err || err.name !== 'NotReadableError' && err.name !== 'NotFoundError'); };
  reading++;
  try {
    r.file.slice(m.offset, m.end).arrayBuffer().then(function (bytes) { answer(bytes); }, failed);
  } catch (err) {
    failed(err);
  }
}

// Each file the user gave, by a number of its own: the worker tells by it
// that a job is about the same file as the job before.
var fileKeys = new WeakMap(), nextKey = 1;
function fileKey(file) {
  if (!fileKeys.has(file)) fileKeys.set(file, nextKey++);
  return fileKeys.get(file);
}

// A job for the worker; its answer, or a problem when the worker stops
// answering (a plug-in that never comes back): then the worker is replaced.
function send(message, onMessage, transfer) {
  var id = nextId++;
  message.id = id;
  if (message.file) message.key = fileKey(message.file);
  return new Promise(function (resolve) {
    var w = {resolve: resolve, onMessage: onMessage, seen: Date.now(), file: message.file};
    waiting.set(id, w);
    worker.postMessage(message, transfer || []);
    var timer = setInterval(function () {
      if (!waiting.has(id)) { clearInterval(timer); return; }
      if (Date.now() - w.seen > WATCHDOG_MS) {
        clearInterval(timer);
        waiting.delete(id);
        stopWorker();
        waiting.forEach(function (other) { other.resolve({problem: 'stopped'}); });
        waiting.clear();
        startWorker();
        resolve({problem: 'The plug-in made no progress for ' + WATCHDOG_MS / 1000 + ' seconds; it was stopped.'});
      }
    }, 1000);
  });
}

// Jobs run one after another, each after the worker is ready.
function enqueue(fn) {
  queue = queue.then(function () { return workerReady; }).then(fn).catch(function (err) { console.error(err); });
  return queue;
}

