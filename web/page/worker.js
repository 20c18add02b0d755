'use strict';
// The page's worker: the plug-ins and the host that drives them (the
// WebAssembly module whose script follows this one and file_feed.js in the
// same worker).  It takes one job at a time from the page and answers with
// messages; the files stay the page's File objects and are read a window at
// a time into the module's memory: ahead of each call and, while an item
// decodes, between the decode's steps, from the file's feed (FileFeed, read
// by another thread meanwhile; a read that falls outside the window still
// blocks: onHostRead).

var files = new Map();
var syncReader = new FileReaderSync();
var job = null;          // the job being done: its id and what it collects
var lastProgress = 0;

function ansiText(p) {
  var s = '';
  for (; HEAPU8[p]; p++) s += String.fromCharCode(HEAPU8[p]);
  return s;
}

function post(message, transfer) { self.postMessage(message, transfer || []); }

function progress(kind, a, b, n) {
  var now = Date.now();
  if (kind !== 'progress' && now - lastProgress < 100) return;
  lastProgress = now;
  post({type: 'progress', id: job && job.id, kind: kind, a: a, b: b, n: n});
}

self.onHostRead = function (file, offset, dst, n) {
  var f = files.get(file);
  if (!f || offset >= f.size) return 0;
  var bytes;
  if (!blobsReadable) {
    // Only what the page handed over beforehand can be read here.
    var e = extent;
    if (!e || offset < e.base || offset > e.base + e.bytes.length)
      throw new Error('this browser lets the page read a file only ahead of time here');
    bytes = e.bytes.subarray(offset - e.base, Math.min(e.bytes.length, offset - e.base + n));
  } else {
    try {
      bytes = new Uint8Array(syncReader.readAsArrayBuffer(f.slice(offset, Math.min(f.size, offset + n))));
    } catch (err) {
      throw gone(f);
    }
  }
  HEAPU8.set(bytes, dst);
  return bytes.length;
};

// A whole extent of the job's file in the worker's own memory, for the
// plug-in calls that read anywhere (walking, scanning) where the page must
// read for the worker.
var extent = null;
async function handOver(f, base, size) {
  dropExtent();
  if (!blobsReadable) extent = {base: base, bytes: new Uint8Array(await ask(f, base, Math.min(size, f.size - base)))};
}

// The window (web_services.h) filled from offset on with the file's bytes,
// keeping what it already holds from there; the feed goes on where the
// last fill stopped when it can.  It waits for the file only until half
// the window is there (a decode pauses for more long before it runs out:
// kAhead in web_decode.cpp), and past that takes only what has already
// come, so a decode goes on while the rest is read.
var feed = null;
async function fill(id, offset) {
  var f = files.get(id);
  if (!f) return;
  var start = host.web_window_start(), length = host.web_window_length();
  var data = host.web_window_data(), capacity = host.web_window_capacity();
  var kept = 0;
  if (feed && feed.file === f && offset >= start && offset <= start + length && feed.at === start + length) {
    kept = start + length - offset;
    HEAPU8.copyWithin(data, data + (offset - start), data + length);
  } else {
    if (feed) feed.cancel();
    feed = new FileFeed(f, Math.min(offset, f.size));
  }
  host.web_window_filled(id, offset, kept);
  while (kept < capacity && feed.at < f.size && (kept < capacity / 2 || feed.ready())) {
    var bytes = await feed.read(capacity - kept);
    if (!bytes) break;
    HEAPU8.set(bytes, data + kept);
    kept += bytes.length;
  }
  host.web_window_filled(id, offset, kept);
}

function dropExtent() {
  if (extent) release(extent.bytes.buffer);
  extent = null;
}

function dropFeed() {
  if (feed) feed.cancel();
  feed = null;
}

self.onHostEvent = function (kind, a, b, n) {
  if (kind === 'progress' || kind === 'decode-progress' || kind === 'scan-progress' ||
      kind === 'window-caption' || kind === 'window-text' || kind === 'status')
    progress(kind, a, b, n);
  if (job) job.events.push({kind: kind, a: a, b: b, n: n});
};

// The sound goes to the job's file on disk (wav_disk.js), or else to the
// page as Blobs made straight from the module's memory: one copy, and the
// page only strings them together.
self.onHostSound = function (data, n) {
  job.soundBytes += n;
  if (job.disk) WavDisk.write(job.disk, HEAPU8.subarray(data, data + n));
  else post({type: 'sound', id: job.id, chunk: new Blob([HEAPU8.subarray(data, data + n)])});
};

self.onHostWaveform = function (pairs, n) {
  job.waveform = HEAP8.slice(pairs, pairs + n);
};

var host = {};
function bind() {
  var c = function (name, result, args) { host[name] = Module.cwrap(name, result, args); };
  c('web_load', 'number', ['string']);
  c('web_shutdown', null, []);
  c('web_describe', 'number', ['number']);
  c('web_new_item', 'number', ['number', 'number', 'number', 'string', 'string']);
  c('web_delete_item', null, ['number']);
  c('web_choose', 'number', ['number']);
  c('web_identify', 'number', ['number', 'number']);
  c('web_infobox', null, ['number', 'number']);
  c('web_length', 'number', ['number', 'number']);
  c('web_decode_open', 'number', ['number', 'number', 'number']);
  c('web_decode_step', 'number', ['number']);
  c('web_decode_offset', 'number', []);
  c('web_decode_close', 'number', []);
  c('web_window_data', 'number', []);
  c('web_window_capacity', 'number', []);
  c('web_window_start', 'number', []);
  c('web_window_length', 'number', []);
  c('web_window_filled', null, ['number', 'number', 'number']);
  c('web_scan', 'number', ['number', 'number', 'number']);
  c('web_wav_header', null, ['number', 'number', 'number', 'number', 'number']);
  c('web_open_streams', 'number', []);
  c('web_warm_up_movie', 'number', ['number']);
  c('web_warm_up_bytes', 'number', []);
}

var INI = '/plughost.ini';

function begin(id) {
  job = {id: id, events: [], soundBytes: 0, waveform: null, readWaitMs: 0};
  return job;
}

function take(kind) { return job.events.filter(function (e) { return e.kind === kind; }); }

// The item from Open to Close, the window filled whenever a step pauses;
// a pause where the last fill began means the file gave no more, and the
// rest is read without pauses.  With a blockSize the sound goes to the
// page in blocks of that many bytes.
async function decode(plugin, item, f, blockSize) {
  if (host.web_decode_open(plugin, item, blockSize || 0) !== 0) return 1;
  var last = -1;
  try {
    while (!host.web_decode_step(1)) {
      var at = host.web_decode_offset();
      if (at === last) { host.web_decode_step(0); break; }
      last = at;
      var waited = performance.now();
      await fill(f, at);
      job.readWaitMs += performance.now() - waited;
    }
  } catch (err) {
    host.web_decode_close(); // the plug-in's Close and the stream's, whatever failed
    throw err;
  }
  return host.web_decode_close();
}

// One item from Open to Close, with its info box first; its sound goes to
// the page in blocks of m.block bytes when it asks for them (to make the
// WAV; m.blobBlock bytes when they go in Blobs), or to a file of m.disk
// bytes when one can be had, else only its length and waveform.
async function playItem(m, f) {
  var j = begin(m.id);
  var item = host.web_new_item(f, m.base, m.size, m.name, m.data);
  if (!item) {
    post({type: 'done', id: m.id, problem: 'The name ' + m.name + ' is too long for the player\'s record.'});
    return;
  }
  // A plug-in that walks reads anywhere in the item for its info box.
  if (walking) await handOver(files.get(f), m.base, m.size);
  await fill(f, m.base);
  var identified = host.web_identify(m.plugin, item);
  host.web_infobox(m.plugin, item);
  var info = take('field').map(function (e) { return [e.a, e.b]; });
  var boxes = take('message-box').map(function (e) { return e.b; });
  j.events = [];
  if (m.block && m.disk) j.disk = await WavDisk.open(m.id, m.disk);
  var block = m.block && !j.disk ? m.blobBlock : m.block;
  // Timed from Open to Close, the file's reading included, and the
  // sound's way to the page when it goes there.
  var started = performance.now();
  var result;
  try {
    result = await decode(m.plugin, item, f, block);
  } catch (err) {
    if (j.disk) await WavDisk.finish(j.disk, null);
    throw err;
  }
  var ms = performance.now() - started;
  host.web_delete_item(item);
  var refused = take('refused')[0];
  var num = function (k) { var e = take(k)[0]; return e ? e.n : 0; };
  var answer = {
    type: 'done', id: m.id, identified: identified, info: info, boxes: boxes,
    result: result, refused: refused ? {text: refused.a, code: refused.n} : null,
    rate: num('format'), channels: num('format-channels'), bits: num('format-bits'),
    bytes: num('decoded'), handedOver: j.soundBytes, decodeMs: ms, readWaitMs: j.readWaitMs,
    waveform: j.waveform, memory: HEAPU8.length, openStreams: host.web_open_streams()
  };
  // The header plughost writes before this sound, from the module.
  if (m.block && result === 0) {
    var at = Module._malloc(44);
    host.web_wav_header(answer.rate, answer.channels, answer.bits, answer.bytes, at);
    answer.header = HEAPU8.slice(at, at + 44).buffer;
    Module._free(at);
  }
  // The file, complete, or the word that the disk failed it.
  if (j.disk) {
    answer.wav = await WavDisk.finish(j.disk, answer.header);
    answer.diskFailed = j.disk.failed;
  }
  if (answer.waveform) post(answer, [answer.waveform.buffer]); else post(answer);
}

async function chooseItem(m, f) {
  begin(m.id);
  await fill(f, 0);
  var item = host.web_new_item(f, 0, m.size, m.name, m.name);
  var plugin = item ? host.web_choose(item) : -1;
  if (item) host.web_delete_item(item);
  var movies = [];
  if (plugin < 0 && item) {
    await handOver(files.get(f), 0, m.size);
    for (var p = 0; p < pluginCount; p++) {
      job.events = [];
      if (host.web_scan(p, f, m.size) > 0) {
        var starts = take('movie'), sizes = take('movie-size');
        for (var i = 0; i < starts.length; i++)
          movies.push({plugin: p, base: starts[i].n, size: sizes[i].n});
      }
    }
  }
  post({type: 'done', id: m.id, plugin: plugin, tooLong: !item, movies: movies});
}

async function measure(m, f) {
  begin(m.id);
  await handOver(files.get(f), m.base, m.size);
  await fill(f, m.base);
  var item = host.web_new_item(f, m.base, m.size, m.name, m.data);
  var ms = item ? host.web_length(m.plugin, item) : -1;
  if (item) host.web_delete_item(item);
  post({type: 'done', id: m.id, length: ms});
}

var pluginCount = 0;
var lastKey = null; // the page's key of the last job's file
var walking = false; // walking is on in the plug-ins' settings
var pending = [];
var ready = false;

async function handle(m) {
  if (m.type === 'start') {
    walking = m.walking;
    WavDisk.start(m.page);
    FS.writeFile(INI, m.ini || '');
    pluginCount = host.web_load(INI);
    var plugins = [];
    begin(m.id);
    for (var p = 0; p < pluginCount; p++) host.web_describe(p);
    take('plugin').forEach(function (e) { plugins.push({name: e.a, version: e.b}); });
    post({type: 'done', id: m.id, plugins: plugins});
    return;
  }
  if (m.type === 'warm-up') {
    var at = host.web_warm_up_movie(m.ms), n = host.web_warm_up_bytes();
    var movie = n ? new Blob([HEAPU8.subarray(at, at + n)]) : null;
    host.web_warm_up_movie(0);
    post({type: 'done', id: m.id, movie: movie});
    return;
  }
  if (m.type === 'shutdown') {
    host.web_shutdown();
    post({type: 'done', id: m.id, ini: FS.readFile(INI, {encoding: 'utf8'})});
    return;
  }
  // A look at an item goes on with what the job before it read of the same
  // file (the page's look at the file, or at the movie before in an
  // image); anything else reads the file afresh, so that a file changed
  // on disk since is noticed.
  if (m.type !== 'play' || m.block || m.key !== lastKey) {
    files.clear();
    dropFeed();
    files.set(1, m.file);
    host.web_window_filled(1, 0, 0);
  }
  lastKey = m.key;
  if (m.type === 'choose') await chooseItem(m, 1);
  else if (m.type === 'play') await playItem(m, 1);
  else if (m.type === 'length') await measure(m, 1);
  job = null;
  dropExtent();
}

// Jobs one after another, also while one waits for its file.
var jobs = Promise.resolve();
self.onmessage = function (e) {
  if (e.data.type === 'bytes') { answered(e.data); return; }
  if (e.data.type === 'read-chunk') { fromReader(e.data.chunk); return; }
  if (e.data.type === 'reader-failed') { readerFailed(e.data.message); return; }
  if (!ready) { pending.push(e.data); return; }
  var m = e.data;
  jobs = jobs.then(function () { return handle(m); }).catch(function (err) {
    job = null;
    dropExtent();
    post({type: 'done', id: m.id, problem: err && err.unreadable ? err.message : 'The page\'s host failed: ' + err});
  });
};

var Module = {
  onRuntimeInitialized: function () {
    bind();
    new Blob([new Uint8Array(1)]).arrayBuffer().catch(function () { blobsReadable = false; }).then(function () {
      ready = true;
      pending.splice(0).forEach(function (m) { self.onmessage({data: m}); });
    });
  },
  print: function () {},
  printErr: function () {}
};
