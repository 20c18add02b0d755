'use strict';
// The page's worker: the plug-ins and the host that drives them (the
// WebAssembly module whose script follows this one in the same worker).
// It takes one job at a time from the page and answers with messages; the
// files stay the page's File objects and are read a window at a time.

var files = new Map();
var reader = new FileReaderSync();
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
  var bytes = new Uint8Array(reader.readAsArrayBuffer(f.slice(offset, Math.min(f.size, offset + n))));
  HEAPU8.set(bytes, dst);
  return bytes.length;
};

self.onHostEvent = function (kind, a, b, n) {
  if (kind === 'progress' || kind === 'decode-progress' || kind === 'scan-progress' ||
      kind === 'window-caption' || kind === 'window-text' || kind === 'status')
    progress(kind, a, b, n);
  if (job) job.events.push({kind: kind, a: a, b: b, n: n});
};

// The sound goes to the page as Blobs made straight from the module's
// memory: one copy, and the page only strings them together.
self.onHostSound = function (data, n) {
  job.soundBytes += n;
  post({type: 'sound', id: job.id, chunk: new Blob([HEAPU8.subarray(data, data + n)])});
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
  c('web_decode', 'number', ['number', 'number']);
  c('web_scan', 'number', ['number', 'number', 'number']);
  c('web_open_streams', 'number', []);
}

var INI = '/plughost.ini';

function begin(id) {
  job = {id: id, events: [], soundBytes: 0, waveform: null};
  return job;
}

function take(kind) { return job.events.filter(function (e) { return e.kind === kind; }); }

// One item from Open to Close, with its info box first.
function playItem(m, f) {
  var j = begin(m.id);
  var item = host.web_new_item(f, m.base, m.size, m.name, m.data);
  if (!item) {
    post({type: 'done', id: m.id, problem: 'The name ' + m.name + ' is too long for the player\'s record.'});
    return;
  }
  var identified = host.web_identify(m.plugin, item);
  host.web_infobox(m.plugin, item);
  var info = take('field').map(function (e) { return [e.a, e.b]; });
  var boxes = take('message-box').map(function (e) { return e.b; });
  j.events = [];
  var started = performance.now();
  var result = host.web_decode(m.plugin, item);
  var ms = performance.now() - started;
  host.web_delete_item(item);
  var refused = take('refused')[0];
  var num = function (k) { var e = take(k)[0]; return e ? e.n : 0; };
  var answer = {
    type: 'done', id: m.id, identified: identified, info: info, boxes: boxes,
    result: result, refused: refused ? {text: refused.a, code: refused.n} : null,
    rate: num('format'), channels: num('format-channels'), bits: num('format-bits'),
    bytes: j.soundBytes, decodeMs: ms, waveform: j.waveform, memory: HEAPU8.length,
    openStreams: host.web_open_streams()
  };
  if (answer.waveform) post(answer, [answer.waveform.buffer]); else post(answer);
}

function chooseItem(m, f) {
  begin(m.id);
  var item = host.web_new_item(f, 0, m.size, m.name, m.name);
  var plugin = item ? host.web_choose(item) : -1;
  if (item) host.web_delete_item(item);
  var movies = [];
  if (plugin < 0 && item) {
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

function measure(m, f) {
  begin(m.id);
  var item = host.web_new_item(f, m.base, m.size, m.name, m.data);
  var ms = item ? host.web_length(m.plugin, item) : -1;
  if (item) host.web_delete_item(item);
  post({type: 'done', id: m.id, length: ms});
}

var pluginCount = 0;
var pending = [];
var ready = false;

function handle(m) {
  if (m.type === 'start') {
    FS.writeFile(INI, m.ini || '');
    pluginCount = host.web_load(INI);
    var plugins = [];
    begin(m.id);
    for (var p = 0; p < pluginCount; p++) host.web_describe(p);
    take('plugin').forEach(function (e) { plugins.push({name: e.a, version: e.b}); });
    post({type: 'done', id: m.id, plugins: plugins});
    return;
  }
  if (m.type === 'shutdown') {
    host.web_shutdown();
    post({type: 'done', id: m.id, ini: FS.readFile(INI, {encoding: 'utf8'})});
    return;
  }
  files.clear();
  files.set(1, m.file);
  if (m.type === 'choose') chooseItem(m, 1);
  else if (m.type === 'play') playItem(m, 1);
  else if (m.type === 'length') measure(m, 1);
  job = null;
}

self.onmessage = function (e) {
  if (!ready) { pending.push(e.data); return; }
  try {
    handle(e.data);
  } catch (err) {
    post({type: 'done', id: e.data.id, problem: 'The page\'s host failed: ' + err});
  }
};

var Module = {
  onRuntimeInitialized: function () {
    bind();
    ready = true;
    pending.splice(0).forEach(function (m) { self.onmessage({data: m}); });
  },
  print: function () {},
  printErr: function () {}
};
