// The worker's file reader: a worker of the page's own that reads files
// for the page's worker (file_feed.js), in order from an offset, ahead of
// what has been used by at most `ahead` bytes, and sends the chunks over
// (transferred, not copied) by way of the page.  The page, not its worker,
// starts it: in Firefox, a worker that starts a worker of its own at times
// (a worker just replaced, a page just opened) hangs in new Worker past
// the page's 20 s watchdog.  And the page passes the messages on itself:
// a MessageChannel between the two workers carries a file at half the
// speed in Firefox.
//
// Chunks fill whole buffers of CHUNK bytes, and used buffers come back to
// be filled again, so reading a file of any size costs the same few
// megabytes.  Where the file's stream is a byte stream the bytes are read
// straight into those buffers; elsewhere the stream's own chunks are
// copied in.
function readerMain(CHUNK) {
  var streams = new Map();
  // One loop a stream, from open to its end or cancel, waiting while the
  // decoder holds `ahead` bytes it has not used.
  function pump(s) {
    (async function () {
      for (;;) {
        while (s.ahead <= 0 && !s.stopped) await new Promise(function (resolve) { s.wake = resolve; });
        if (s.stopped) return;
        var buffer = s.spare.pop() || new ArrayBuffer(CHUNK), n = 0, end = false;
        while (n < CHUNK && !end) {
          if (s.byob) {
            var got = await s.byob.read(new Uint8Array(buffer, n));
            if (got.value) { buffer = got.value.buffer; n += got.value.length; }
            if (got.done) end = true;
          } else {
            if (!s.left || !s.left.length) {
              var chunk = await s.chunks.read();
              if (chunk.done) { end = true; break; }
              s.left = chunk.value;
            }
            var take = s.left.subarray(0, CHUNK - n);
            new Uint8Array(buffer, n).set(take);
            s.left = s.left.subarray(take.length);
            n += take.length;
          }
        }
        if (s.stopped) return;
        if (n) { s.ahead -= n; postMessage({id: s.id, bytes: buffer, length: n}, [buffer]); }
        if (end) { postMessage({id: s.id, end: true}); streams.delete(s.id); return; }
      }
    })().catch(function () {
      if (!s.stopped) postMessage({id: s.id, end: true, failed: true});
      streams.delete(s.id);
    });
  }
  function wake(s) { if (s.wake) { s.wake(); s.wake = null; } }
  onmessage = function (e) {
    var m = e.data, s = streams.get(m.id);
    if (m.type === 'open') {
      var stream = m.file.slice(m.offset).stream();
      s = {id: m.id, ahead: m.ahead, spare: []};
      try { s.byob = stream.getReader({mode: 'byob'}); } catch (err) { s.chunks = stream.getReader(); }
      streams.set(m.id, s);
      pump(s);
    } else if (s && m.type === 'more') {
      s.ahead += m.buffer.byteLength;
      s.spare.push(m.buffer);
      wake(s);
    } else if (s && m.type === 'cancel') {
      s.stopped = true;
      streams.delete(m.id);
      wake(s);
      (s.byob || s.chunks).cancel().catch(function () {});
    }
  };
}

var READ_CHUNK = 2 << 20;

// A reader for worker W: what it reads goes on to W as 'read-chunk'
// messages, and relay(request) passes on what W asks of it (W's 'reader'
// messages).  ONFAIL(message) when the reader cannot run.
function startReader(w, onFail) {
  var url = URL.createObjectURL(new Blob(['(' + readerMain + ')(' + READ_CHUNK + ')'], {type: 'text/javascript'}));
  var r = new Worker(url);
  URL.revokeObjectURL(url);
  r.onmessage = function (e) {
    w.postMessage({type: 'read-chunk', chunk: e.data}, e.data.bytes ? [e.data.bytes] : []);
  };
  r.onerror = function (e) {
    e.preventDefault();
    onFail(e.message);
  };
  return {
    worker: r,
    relay: function (request) { r.postMessage(request, request.buffer ? [request.buffer] : []); }
  };
}
