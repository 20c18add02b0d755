#!/usr/bin/python3
"""Speed and memory of the page on one movie in each engine (Chromium,
Firefox, WebKit: engines.py), each against its own floor: a fresh browser
per run opens the page from file://, is given MOVIE, and the page itself
times (performance.now(), no driver in between)
  - card: from the file input's change until the item's card is complete;
  - WAV: from the click on Download WAV until the WAV is made;
then, in a fresh browser of the same engine (so that neither starts with
the file read before or a WAV held), the floor: a worker made from the
page's own worker script reads the same file by the page's own path
(FileFeed: its reader worker, or the page reading for it; the reader is
woken by a one-byte read first, as the page's is started long before a
file comes) and does nothing else, and the same worker times making one
Blob of the WAV's size. Memory is the growth of the browser's memory (all
its processes, those its driver started and theirs, sampled) against the
WAV's size, two ways: resident (everything in RAM, the program's own code
and mapped files counted again in every process that touches them) and own
(anonymous and shared memory: what the browser made, without the files it
maps). Prints every run, the medians, and the median of each run's ratios
to the targets (card <= 1.25 x floor, WAV <= 1.5 x (floor + Blob), memory
<= 1.5 x WAV). With PLUGHOST, `PLUGHOST velmora play MOVIE -o /dev/null`
is timed too (whole process). A measurement, not a test: on a loaded
machine the figures swing widely.

usage: speed.py PAGE MOVIE [PLUGHOST] [--runs N] [--engines chromium,firefox,webkit]"""
import argparse
import contextlib
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import engines  # noqa: E402

ap = argparse.ArgumentParser()
ap.add_argument("page")
ap.add_argument("movie")
ap.add_argument("plughost", nargs="?")
ap.add_argument("--runs", type=int, default=3)
ap.add_argument("--engines", default=",".join(engines.NAMES))
args = ap.parse_args()
page, movie = os.path.abspath(args.page), os.path.abspath(args.movie)

# Marks taken inside the page: the input's change, the card complete, the
# click on Download WAV and the WAV made.
MARKS = """
window.marks = {};
document.getElementById('files').addEventListener('change', function () { marks.given = performance.now(); }, true);
document.addEventListener('click', function (e) {
  if (e.target.matches && e.target.matches('a.wav') && !marks.asked) marks.asked = performance.now(); }, true);
new MutationObserver(function () {
  if (!marks.card && document.querySelector('.item a.wav, .item .problem')) marks.card = performance.now();
  if (!marks.wav && document.querySelector('.item[data-wav-bytes]')) marks.wav = performance.now();
}).observe(document.body, {subtree: true, childList: true, attributes: true});
"""

# The floor: the page's worker script with one more job that only reads.
FLOOR = """
var file = document.getElementById('floor-file').files[0], wavBytes = arguments[0];
var extra = "\\nvar pageJobs = self.onmessage; self.onmessage = async function (e) {" +
  " if (e.data.type !== 'floor') return pageJobs(e);" +
  " while (!ready) await new Promise(function (r) { setTimeout(r, 10); });" +
  " job = {id: e.data.id}; var warm = new FileFeed(new Blob([new Uint8Array(1)]), 0); while (await warm.read(1));" +
  " var f = e.data.file, t = performance.now(), feed = new FileFeed(f, 0), n = 0, b;" +
  " while ((b = await feed.read(4 << 20))) n += b.length;" +
  " var read = performance.now() - t, bytes = new Uint8Array(e.data.wavBytes); t = performance.now();" +
  " var blob = new Blob([bytes]); var made = performance.now() - t;" +
  " postMessage({type: 'done', id: e.data.id, n: n, read: read, blob: made, size: blob.size}); };";
var src = document.getElementById('worker-source').textContent + extra;
var w = new Worker(URL.createObjectURL(new Blob([src], {type: 'text/javascript'})));
var r = startReader(w, function () {});
return await new Promise(function (resolve) {
  w.onmessage = function (e) {
    if (e.data.type === 'reader') r.relay(e.data.request);
    else if (e.data.type === 'read') readFor(w, file, e.data);
    else if (e.data.type === 'done') { w.terminate(); r.worker.terminate(); resolve(e.data); }
  };
  w.onerror = function (e) { resolve({error: "the floor's worker failed: " + e.message}); };
  setTimeout(function () { resolve({error: "the floor's worker gave no answer in 100 s"}); }, 100000);
  w.postMessage({type: 'floor', id: 1, file: file, wavBytes: wavBytes});
});
"""


def memory(root):
    """Resident and own memory, in bytes, of every process descended from
    root (the driver, and the browser's processes, whatever each engine
    names them), from each process's status (counters: cheap enough to
    sample often without slowing the browser down)."""
    parent = {}
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open(f"/proc/{pid}/stat") as f:
                parent[int(pid)] = int(f.read().rsplit(")", 1)[1].split()[1])
        except OSError:
            continue
    resident = own = 0
    todo = [root]
    while todo:
        p = todo.pop()
        todo += [c for c, pp in parent.items() if pp == p]
        try:
            with open(f"/proc/{p}/status") as f:
                kb = {k: int(v.split()[0]) for k, v in (line.split(":", 1) for line in f) if k.startswith("Rss")}
        except (OSError, ValueError):
            continue
        resident += kb.get("RssAnon", 0) + kb.get("RssFile", 0) + kb.get("RssShmem", 0)
        own += kb.get("RssAnon", 0) + kb.get("RssShmem", 0)
    return resident << 10, own << 10


@contextlib.contextmanager
def fresh_browser(name):
    """A new browser of the engine with the page open from disk and
    settled, quit (and its downloads folder gone) however the run ends."""
    downloads = tempfile.mkdtemp(prefix="web-speed-")
    e = engines.start(name, downloads)
    try:
        e.open("file://" + page)
        time.sleep(1)
        yield e
    finally:
        e.quit()
        shutil.rmtree(downloads, ignore_errors=True)


def floor_run(name, wav_bytes):
    """The floor, in a fresh browser of the same engine: its state as the
    page found it (no file read before, no WAV held), so neither side
    starts warmer or fuller than the other."""
    with fresh_browser(name) as e:
        e.run("var i = document.createElement('input'); i.type = 'file'; i.id = 'floor-file'; i.hidden = true;"
              "document.body.append(i)")
        e.files("#floor-file", [movie])
        floor = e.run(FLOOR, wav_bytes)
    if "error" in floor:
        raise RuntimeError(floor["error"])
    if floor["n"] != os.path.getsize(movie):
        raise RuntimeError(f"the floor read {floor['n']} bytes")
    return floor


def page_run(name):
    with fresh_browser(name) as e:
        e.run(MARKS)
        base = memory(e.root)
        peak, stop = list(base), []

        def sample():
            while not stop:
                peak[:] = map(max, peak, memory(e.root))
                time.sleep(0.05)
        # A daemon: a run that fails leaves no sampler keeping the script alive.
        t = threading.Thread(target=sample, daemon=True)
        t.start()
        e.files("#files", [movie])
        while not e.run("return marks.card"):
            time.sleep(0.05)
        e.click(".item a.wav")
        while not e.run("return marks.wav || document.querySelector('.item .problem')"):
            time.sleep(0.05)
        time.sleep(0.5)
        stop.append(1)
        t.join()
        m = e.run("var c = document.querySelector('.item'); return [marks.card - marks.given, marks.wav - marks.asked,"
                  " +c.dataset.wavBytes, +c.dataset.samples, +c.dataset.decodeMs]")
    card, wav, wav_bytes, samples, decode_ms = m
    floor = floor_run(name, wav_bytes)
    return {"card": card / 1000, "wav": wav / 1000, "floor": floor["read"] / 1000, "blob": floor["blob"] / 1000,
            "growth": peak[0] - base[0], "own": peak[1] - base[1], "wav_bytes": wav_bytes, "samples": samples,
            "decode": decode_ms / 1000}


def native_run(samples):
    t = time.perf_counter()
    subprocess.run([args.plughost, "velmora", "play", movie, "-o", "/dev/null"], check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return samples / (time.perf_counter() - t) / 1e6


summary = []
for name in args.engines.split(","):
    runs, natives = [], []
    for i in range(args.runs):
        r = page_run(name)
        runs.append(r)
        print(f"{name} run {i + 1}: card {r['card']:.3f} s (decode {r['decode']:.3f} s, "
              f"{r['samples'] / r['decode'] / 1e6:.0f} M samples/s); WAV made {r['wav']:.3f} s; floor: read "
              f"{r['floor']:.3f} s, Blob of the WAV {r['blob']:.3f} s; memory growth {r['growth'] / 2**20:.0f} MiB "
              f"(own {r['own'] / 2**20:.0f} MiB), "
              f"WAV {r['wav_bytes'] / 2**20:.0f} MiB", flush=True)
        if args.plughost:
            natives.append(native_run(r["samples"]))

    def med(k):
        return statistics.median(r[k] for r in runs)
    # Each run against its own floor (the load on the machine moves both),
    # then the median.
    card = statistics.median(r["card"] / r["floor"] for r in runs)
    wav = statistics.median(r["wav"] / (r["floor"] + r["blob"]) for r in runs)
    mem = max(r["growth"] / r["wav_bytes"] for r in runs)
    own = max(r["own"] / r["wav_bytes"] for r in runs)
    line = (f"{name} medians: card {med('card'):.3f} s, WAV {med('wav'):.3f} s, floor {med('floor'):.3f} s "
            f"+ Blob {med('blob'):.3f} s; median of the runs' card/floor {card:.2f} (target 1.25), WAV/(floor+Blob) {wav:.2f} "
            f"(target 1.5), memory/WAV at most {mem:.2f} resident, {own:.2f} own (target 1.5)")
    if natives:
        line += f"; page decode {med('samples') / med('decode') / 1e6:.0f} vs native {statistics.median(natives):.0f} M samples/s"
    summary.append(line)
    print(line, flush=True)
print("\n".join(summary))
