#!/usr/bin/python3
"""Decoding speed and memory of the page on one movie, against native
plughost on the same movie in the same run: opens the page in headless
Chromium (a fresh browser each run), gives it MOVIE, and reads M samples/s
of the page's decode (Open to Close inside the worker, the file's reading
included: what the page does with every file it is given), the time until
the item's card is complete, then clicks Download WAV and reads how long
making the WAV takes (a second decode that hands the sound to the page),
the worker's WebAssembly memory, and the growth of the browser's resident
memory (all its processes, sampled) against the item's WAV size.
With PLUGHOST, `PLUGHOST velmora play MOVIE -o /dev/null` is timed between
the page's runs (whole process).  Prints every run and the medians.
A measurement, not a test: on a loaded machine the figures swing widely.

usage: speed.py PAGE MOVIE [PLUGHOST] [--runs N]"""
import argparse
import os
import statistics
import subprocess
import tempfile
import threading
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By

ap = argparse.ArgumentParser()
ap.add_argument("page")
ap.add_argument("movie")
ap.add_argument("plughost", nargs="?")
ap.add_argument("--runs", type=int, default=3)
args = ap.parse_args()
page, movie = os.path.abspath(args.page), os.path.abspath(args.movie)


def browser_rss():
    out = subprocess.run(["ps", "-C", "chromium", "-o", "rss="], capture_output=True, text=True).stdout
    return sum(int(x) for x in out.split()) * 1024


def page_run():
    options = webdriver.ChromeOptions()
    for flag in ("--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                 "--disable-background-networking", "--disable-component-update", "--disable-sync",
                 "--user-data-dir=" + tempfile.mkdtemp(prefix="web-speed-")):
        options.add_argument(flag)
    options.binary_location = "/usr/bin/chromium"
    driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
    try:
        driver.get("file://" + page)
        time.sleep(1)
        base = browser_rss()
        peak, stop = [base], []

        def sample():
            while not stop:
                peak[0] = max(peak[0], browser_rss())
                time.sleep(0.05)
        t = threading.Thread(target=sample)
        t.start()
        started = time.perf_counter()
        driver.find_element(By.ID, "files").send_keys(movie)
        while not driver.execute_script("return document.querySelector('.item a.wav, .item .problem')"):
            time.sleep(0.02)
        looked = time.perf_counter() - started
        started = time.perf_counter()
        driver.find_element(By.CSS_SELECTOR, ".item a.wav").click()
        while not driver.execute_script("return document.querySelector('.item[data-wav-bytes], .item .problem')"):
            time.sleep(0.02)
        made = time.perf_counter() - started
        time.sleep(0.5)
        stop.append(1)
        t.join()
        d = driver.execute_script("var c = document.querySelector('.item'); return [c.dataset.decodeMs, "
                                  "c.dataset.samples, c.dataset.workerMemory, c.dataset.wavBytes, c.dataset.wavMs, "
                                  "c.dataset.readWaitMs]")
        ms, samples, wasm, wav, wav_ms, wait_ms = (float(x) for x in d)
        return {"msps": samples / ms / 1000, "ms": ms, "wait": wait_ms, "samples": samples, "looked": looked,
                "made": made, "wav_msps": samples / wav_ms / 1000, "wasm": wasm, "growth": peak[0] - base, "wav": wav}
    finally:
        driver.quit()


def native_run(samples):
    t = time.perf_counter()
    subprocess.run([args.plughost, "velmora", "play", movie, "-o", "/dev/null"], check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return samples / (time.perf_counter() - t) / 1e6


pages, natives = [], []
for i in range(args.runs):
    r = page_run()
    pages.append(r)
    print(f"page run {i + 1}: decode {r['msps']:.0f} M samples/s ({r['samples']:.0f} samples in {r['ms']:.0f} ms, "
          f"{r['wait']:.0f} ms of it waiting for the file), "
          f"card complete after {r['looked']:.2f} s; WAV made in {r['made']:.2f} s ({r['wav_msps']:.0f} M samples/s); "
          f"worker heap {r['wasm'] / 2**20:.1f} MiB; browser resident growth {r['growth'] / 2**20:.0f} MiB; "
          f"WAV {r['wav'] / 2**20:.0f} MiB (ratio {r['growth'] / r['wav']:.2f})")
    if args.plughost:
        natives.append(native_run(r["samples"]))
        print(f"native run {i + 1}: {natives[-1]:.0f} M samples/s (whole process)")
msps = statistics.median(r["msps"] for r in pages)
print(f"page median: decode {msps:.0f} M samples/s; card complete after "
      f"{statistics.median(r['looked'] for r in pages):.2f} s; WAV made in "
      f"{statistics.median(r['made'] for r in pages):.2f} s; memory ratio at most "
      f"{max(r['growth'] / r['wav'] for r in pages):.2f}")
if natives:
    n = statistics.median(natives)
    print(f"native median: {n:.0f} M samples/s; page/native {msps / n:.2f}")
