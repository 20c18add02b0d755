// The page: files in, one job at a time to the worker (the plug-ins and
// their host: jobs.js, where the page's script begins), an item card for
// each sound out.  A WAV, when it is asked for, arrives as a file on disk,
// or else as Blobs, so a played or saved item costs at most its WAV's size
// in memory and a looked-at one next to nothing.

var INI_KEY = 'orlimbo-web.ini', WALK_KEY = 'orlimbo-web.walk';

// The browser's local storage, or a stand-in for this visit where the
// browser gives the page none (storage turned off for files on disk).
var store = (function () {
  try {
    localStorage.getItem(INI_KEY);
    return localStorage;
  } catch (err) {
    var kept = new Map();
    return {getItem: function (k) { return kept.has(k) ? kept.get(k) : null; },
            setItem: function (k, v) { kept.set(k, String(v)); }};
  }
})();

function el(tag, attrs, text) {
  var e = document.createElement(tag);
  for (var k in attrs || {}) e.setAttribute(k, attrs[k]);
  if (text !== undefined) e.textContent = text;
  return e;
}

function clock(ms) {
  var s = Math.floor(ms / 1000), h = Math.floor(s / 3600), m = Math.floor(s / 60) % 60;
  var pad = function (v) { return (v < 10 ? '0' : '') + v; };
  return (h ? h + ':' + pad(m) : m) + ':' + pad(s % 60) + '.' + ('00' + Math.floor(ms % 1000)).slice(-3);
}


var busy = document.getElementById('busy'), busyText = document.getElementById('busy-text');
var busyBar = document.getElementById('busy-bar');
function showBusy(text, fraction) {
  busy.classList.toggle('idle', !text);
  if (busyText.textContent !== (text || '')) busyText.textContent = text || '';
  if (fraction === undefined) busyBar.removeAttribute('value'); else busyBar.value = fraction;
}

// What screen readers say about playing (the busy line says the rest).
var said = document.getElementById('said');
function say(text) { said.textContent = text; }

function drawWave(canvas, pairs) {
  var w = canvas.width = canvas.clientWidth || 600, h = canvas.height = 64, g = canvas.getContext('2d');
  g.fillStyle = '#3a6ea5';
  var n = pairs.length / 2;
  for (var x = 0; x < w; x++) {
    var from = Math.floor(x * n / w), to = Math.max(from + 1, Math.floor((x + 1) * n / w));
    var lo = 127, hi = -128;
    for (var i = from; i < to && i < n; i++) { lo = Math.min(lo, pairs[2 * i]); hi = Math.max(hi, pairs[2 * i + 1]); }
    if (hi < lo) continue;
    var top = h / 2 - (hi + 0.5) * h / 256, bottom = h / 2 - (lo - 0.5) * h / 256;
    g.fillRect(x, top, 1, Math.max(1, bottom - top));
  }
}

// The item's WAV, made the first time Play or Download asks for it: the
// sound decoded once more into a file on disk (wav_disk.js) or, where the
// browser has none or it fails, handed over in Blobs behind the header
// plughost writes.  Looking at an item never costs the WAV, so a folder of
// long movies costs only what the user plays or saves.  Resolves to {blob,
// url}, or to null with the problem shown on the card.
function wavMaker(c, job, looked) {
  var made = null;
  // DISK: the WAV's size to ask the worker for a file of, or 0 for Blobs.
  var attempt = function (disk, bar) {
    var parts = [];
    // A sixteenth of the WAV at a time into a file, a sixty-fourth into
    // Blobs, 1 to 4 MiB either way: the blocks on their way stay small beside
    // the WAV.  Larger ones were no faster: the long movie's WAV in WebKit,
    // in Blobs, took 0.96 s in blocks of 4 MiB and 1.00 s in blocks of 16,
    // with memory at 1.17 and 1.48 times the WAV.  Smaller ones are slower
    // but cost less where the sound goes in Blobs (WebKit makes each in the
    // worker's process before it moves it to its network process): the
    // 10-minute movie's WAV in 1 MiB blocks, not 3.3, took the browser's
    // memory to 77-79 MiB, not 91-96, and the long movie's in 1 MiB blocks
    // took 4.1 s, not 3.5.
    var clamp = function (n) { return Math.min(4 << 20, Math.max(1 << 20, Math.ceil(n))); };
    var blocks = {block: clamp(looked.bytes / 16), blobBlock: clamp(looked.bytes / 64)};
    return send(Object.assign({}, job, blocks, {disk: disk}), function (m) {
      if (m.type === 'sound') parts.push(m.chunk);
      else if (m.kind === 'decode-progress') { bar.value = m.n; showBusy('Making the WAV of ' + job.name, m.n); }
    }).then(function (m) {
      if (m.diskFailed) return attempt(0, bar);
      // Decoding is deterministic: a different sound means the file
      // changed on disk, or the plug-in was stopped.
      if (m.problem || m.refused || m.result !== 0 || m.bytes !== looked.bytes || m.handedOver !== looked.bytes)
        return {problem: m.problem || 'The sound came out different this time (was ' + job.name + ' changed?); no WAV was made.'};
      var tail = m.bytes & 1 ? [new Uint8Array(1)] : [];
      var blob = m.wav || new Blob([m.header].concat(parts, tail), {type: 'audio/wav'});
      c.dataset.wavBytes = blob.size;
      c.dataset.wavMs = m.decodeMs;
      return {blob: blob, url: URL.createObjectURL(blob)};
    });
  };
  return function () {
    if (made) return made;
    made = enqueue(function () {
      var bar = el('progress', {max: 1, class: 'making', 'aria-label': 'making the WAV of ' + job.name});
      c.querySelector('.links').append(bar);
      showBusy('Making the WAV of ' + job.name);
      return attempt(44 + looked.bytes + (looked.bytes & 1), bar).then(function (wav) {
        bar.remove();
        showBusy('');
        return wav;
      });
    }).then(function (wav) {
      if (wav && !wav.problem) return wav;
      made = null;
      if (wav) c.append(el('p', {class: 'problem'}, wav.problem));
      return null;
    });
    return made;
  };
}

var audioContext = null, AudioContextOf = window.AudioContext || window.webkitAudioContext;
function player(card, wav) {
  var box = el('div', {class: 'player'});
  var button = el('button', {type: 'button', class: 'play'}, 'Play');
  var bar = el('input', {type: 'range', min: 0, max: 1000, value: 0, class: 'position',
    'aria-label': 'position in ' + card.dataset.name});
  var time = el('span', {class: 'time'}, '0:00');
  var audio = new Audio(), routed = false;
  audio.preload = 'metadata';
  button.onclick = function () {
    // Web Audio carries the sound: the element decodes the WAV as it plays.
    // The context is made and resumed here, in the click, as browsers ask.
    // Without Web Audio the element plays the sound by itself.
    try {
      if (!audioContext && AudioContextOf) audioContext = new AudioContextOf();
      if (audioContext && !routed) { routed = true; audioContext.createMediaElementSource(audio).connect(audioContext.destination); }
      if (audioContext) audioContext.resume();
    } catch (err) {
      audioContext = null;
    }
    if (audio.src) { if (audio.paused) start(); else audio.pause(); return; }
    button.disabled = true;
    wav().then(function (w) {
      button.disabled = false;
      if (!w) return;
      audio.src = w.url;
      start();
    });
  };
  var start = function () {
    var playing = audio.play();
    if (playing) playing.catch(function (err) { say('This browser cannot play ' + card.dataset.name + ': ' + err.message); });
  };
  audio.onplay = function () { button.textContent = 'Pause'; say('Playing ' + card.dataset.name); };
  audio.onpause = function () { button.textContent = 'Play'; say(card.dataset.name + ' paused'); };
  audio.onended = function () { button.textContent = 'Play'; say(card.dataset.name + ' ended'); };
  audio.ontimeupdate = function () {
    time.textContent = clock(audio.currentTime * 1000).replace(/\.\d+$/, '');
    if (audio.duration) bar.value = Math.round(1000 * audio.currentTime / audio.duration);
  };
  bar.oninput = function () { if (audio.duration) audio.currentTime = audio.duration * bar.value / 1000; };
  box.append(button, bar, time);
  card.append(box);
}

// "Download WAV": a plain link to the WAV once it is made; the first click
// (or Enter) makes it and then follows the link.  Until then it has no
// address, so "Save link as" cannot save anything else under the WAV's name.
function wavLink(name, wav) {
  /* plughost's naming rule: the whole file name, so music-4.07 and music-4.08 never meet. */
  var a = el('a', {download: name + '.wav', class: 'wav', role: 'link', tabindex: 0}, 'Download WAV');
  a.onclick = function (e) {
    if (a.href) return;
    e.preventDefault();
    wav().then(function (w) {
      if (!w || a.href) return; // a second click while it was made saves it once
      a.href = w.url;
      a.click();
    });
  };
  a.onkeydown = function (e) { if (e.key === 'Enter' && !a.href) a.onclick(e); };
  return a;
}

function card(title, pluginName) {
  var c = el('section', {class: 'item'});
  var h = el('h2', {}, title);
  if (pluginName) h.append(' ', el('span', {class: 'plugin'}, pluginName));
  c.append(h);
  document.getElementById('items').append(c);
  return c;
}

// One item: its info box, and a look at its sound from Open to Close (its
// length and its waveform); the WAV waits until it is asked for.
function play(file, base, size, name, plugin, extra) {
  var c = card(name, plugins[plugin] ? plugins[plugin].name : '');
  c.dataset.name = name;
  var bar = el('progress', {max: 1, class: 'decode', 'aria-label': 'decoding ' + name});
  c.append(bar);
  var onMessage = function (m) {
    if (m.kind === 'decode-progress') {
      bar.value = m.n;
      showBusy('Decoding ' + name, m.n);
    }
  };
  showBusy('Decoding ' + name);
  var job = {type: 'play', file: file, base: base, size: size, name: name, data: name, plugin: plugin};
  return send(job, onMessage)
    .then(function (m) {
      bar.remove();
      showBusy('');
      var dl = el('dl');
      (m.info || []).forEach(function (f) { dl.append(el('dt', {}, f[0]), el('dd', {}, f[1])); });
      if (m.info && m.info.length) c.append(dl);
      (m.boxes || []).forEach(function (t) { c.append(el('p', {class: 'box'}, t)); });
      if (m.problem) { c.append(el('p', {class: 'problem'}, m.problem)); return; }
      if (m.refused) { c.append(el('p', {class: 'refusal'}, m.refused.text)); c.classList.add('refused'); return; }
      if (m.result !== 0) {
        c.append(el('p', {class: 'problem'}, m.result === 3 ? 'The sound is more than a WAV file holds.'
          : 'The plug-in wrote more than the buffer it was given; the sound was stopped.'));
        return;
      }
      var align = m.channels * ((m.bits + 7) >> 3), byteRate = m.rate * align;
      var durationMs = byteRate ? Math.round(m.bytes * 1000 / byteRate) : 0;
      var facts = el('dl', {class: 'decoded'});
      facts.append(el('dt', {}, 'Decoded'), el('dd', {class: 'duration'}, clock(durationMs) + ' (' + m.rate +
        ' Hz, ' + m.channels + ' channel(s), ' + m.bits + '-bit, ' + m.bytes + ' bytes)'));
      c.append(facts);
      c.dataset.decodeMs = m.decodeMs;
      c.dataset.readWaitMs = m.readWaitMs;
      c.dataset.samples = m.bytes / ((m.bits + 7) >> 3);
      c.dataset.workerMemory = m.memory;
      var links = el('p', {class: 'links'});
      var wav = wavMaker(c, job, m);
      player(c, wav);
      var canvas = el('canvas', {class: 'wave', role: 'img', 'aria-label': 'waveform of ' + name});
      c.append(canvas);
      if (m.waveform) requestAnimationFrame(function () { drawWave(canvas, m.waveform); });
      links.append(wavLink(name, wav));
      if (extra) extra(links);
      if (plugins[plugin] && /KORVAT/.test(plugins[plugin].name) || name.match(/\.mve$/i))
        addWalk(links, file, base, size, name, plugin);
      c.append(links);
    });
}

function addWalk(links, file, base, size, name, plugin) {
  var button = el('button', {type: 'button', class: 'walk'}, 'Play time by walking');
  var out = el('span', {class: 'walk-result'});
  links.append(button, out);
  button.onclick = function () {
    button.disabled = true;
    var bar = el('progress', {max: 100, class: 'walk-progress', 'aria-label': 'walking ' + name});
    out.textContent = '';
    out.append(bar);
    enqueue(function () {
      return send({type: 'length', file: file, base: base, size: size, name: name, data: name, plugin: plugin},
        function (m) { if (m.kind === 'progress') bar.value = m.n; }).then(function (m) {
        button.disabled = false;
        out.textContent = m.length >= 0 ? ' ' + clock(m.length).replace(/\.\d+$/, '') + ' (' + m.length + ' ms)'
          : walkAllowed() ? ' not known' : ' walking is off (see Settings)';
      });
    });
  };
}

function addFile(file) {
  enqueue(function () {
    showBusy('Looking at ' + file.name);
    return send({type: 'choose', file: file, size: file.size, name: file.name}, function (m) {
      if (m.kind === 'scan-progress') showBusy('Scanning ' + file.name + ' for movies', m.n);
    }).then(function (m) {
      showBusy('');
      if (m.tooLong || m.problem) {
        card(file.name).append(el('p', {class: 'problem'}, m.problem || 'The file name is too long.'));
        return;
      }
      if (m.plugin >= 0) return play(file, 0, file.size, file.name, m.plugin);
      var image = card(file.name, 'raw file');
      image.classList.add('image');
      var list = el('p', {class: 'movies'}, m.movies.length ? m.movies.length + ' movie(s) found:'
        : 'No plug-in takes this file, and no movie was found in it.');
      image.append(list);
      return m.movies.reduce(function (done, mv, i) {
        var name = file.name + '-' + (i + 1) + '.mve';
        list.append(' ', el('span', {class: 'movie'}, name + ' (at ' + mv.base + ', ' + mv.size + ' bytes)'));
        return done.then(function () {
          return play(file, mv.base, mv.size, name, mv.plugin, function (links) {
            var end = Math.min(file.size, mv.base + mv.size);
            links.append(el('a', {href: URL.createObjectURL(file.slice(mv.base, end)), download: name,
              class: 'mve'}, 'Download ' + name));
          });
        });
      }, Promise.resolve());
    });
  });
}

function addFiles(list) { Array.prototype.forEach.call(list, addFile); }

// The walking setting: velmora's key in the INI file the plug-ins are
// given, kept in this browser; a change starts the plug-ins again.
function walkAllowed() { return store.getItem(WALK_KEY) === 'on'; }
function setIniKey(text, section, key, value) {
  var lines = text ? text.split(/\r?\n/) : [], at = -1, inside = false, end = -1;
  for (var i = 0; i < lines.length; i++) {
    var s = lines[i].trim().match(/^\[(.*)\]$/);
    if (s) { if (inside) { end = i; break; } inside = s[1].trim().toLowerCase() === section.toLowerCase(); if (inside) at = i; }
    else if (inside && lines[i].split('=')[0].trim().toLowerCase() === key.toLowerCase()) { lines[i] = key + '=' + value; return lines.join('\r\n'); }
  }
  if (at < 0) { while (lines.length && !lines[lines.length - 1]) lines.pop(); lines.push('[' + section + ']', key + '=' + value); }
  else lines.splice(end < 0 ? lines.length : end, 0, key + '=' + value);
  return lines.join('\r\n') + (lines[lines.length - 1] ? '\r\n' : '');
}
var walk = document.getElementById('walk');
walk.checked = walkAllowed();
walk.onchange = function () {
  store.setItem(WALK_KEY, walk.checked ? 'on' : 'off');
  enqueue(function () {
    return send({type: 'shutdown'}).then(function (m) {
      var section = plugins.filter(function (p) { return /KORVAT/.test(p.name); })[0];
      var ini = m.ini || '';
      if (section) ini = setIniKey(ini, section.name, 'NoWalk', walk.checked ? 'off' : 'on');
      store.setItem(INI_KEY, ini);
      stopWorker();
      return startWorker();
    });
  });
};

var input = document.getElementById('files');
input.onchange = function () { addFiles(input.files); input.value = ''; };
var drop = document.getElementById('drop');
drop.ondragover = function (e) { e.preventDefault(); drop.classList.add('over'); };
drop.ondragleave = function () { drop.classList.remove('over'); };
drop.ondrop = function (e) { e.preventDefault(); drop.classList.remove('over'); addFiles(e.dataTransfer.files); };
// A file dropped beside the zone must not take the browser away from the page.
window.addEventListener('dragover', function (e) { e.preventDefault(); });
window.addEventListener('drop', function (e) { e.preventDefault(); });
window.addEventListener('pagehide', function () { if (worker) worker.postMessage({type: 'shutdown', id: 0}); });

// What the page needs of the browser beyond the plainest script: the
// module's vector instructions (a module of one such instruction must
// validate), and files read as streams.  Without them one sentence says so.
var SIMD_PROBE = new Uint8Array([0, 97, 115, 109, 1, 0, 0, 0, 1, 5, 1, 96, 0, 1, 123, 3, 2, 1, 0, 10, 10, 1, 8, 0,
                                 65, 0, 253, 15, 253, 98, 11]);
function browserFits() {
  try {
    return typeof WebAssembly === 'object' && WebAssembly.validate(SIMD_PROBE) && typeof Worker === 'function' &&
      typeof Blob.prototype.stream === 'function' && typeof Blob.prototype.arrayBuffer === 'function';
  } catch (err) {
    return false;
  }
}
if (browserFits()) {
  startWorker();
} else {
  input.disabled = true;
  document.getElementById('items').append(el('p', {class: 'problem too-old', role: 'alert'},
    'This browser is too old for this page: it needs Chrome or Edge 91, Firefox 89, Safari 16.4 or a later version.'));
}
