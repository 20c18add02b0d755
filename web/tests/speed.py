#!/usr/bin/python3
"""Decoding speed and memory of the page on one movie: opens the page in
headless Chromium, gives it MOVIE, and prints M samples/s of the decode
(Open to Close inside the worker, sound handed to the page included), the
worker's WebAssembly memory, and the growth of the browser's resident
memory (all its processes, sampled) against the item's WAV size.

usage: speed.py PAGE MOVIE"""
import os
import subprocess
import sys
import tempfile
import threading
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By

page, movie = (os.path.abspath(a) for a in sys.argv[1:3])


def browser_rss():
    out = subprocess.run(["ps", "-C", "chromium", "-o", "rss="], capture_output=True, text=True).stdout
    return sum(int(x) for x in out.split()) * 1024


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
    peak = [base]
    stop = []

    def sample():
        while not stop:
            peak[0] = max(peak[0], browser_rss())
            time.sleep(0.05)
    t = threading.Thread(target=sample)
    t.start()
    driver.find_element(By.ID, "files").send_keys(movie)
    while not driver.execute_script("return document.querySelector('.item a.wav, .item .problem')"):
        time.sleep(0.1)
    time.sleep(0.5)
    stop.append(1)
    t.join()
    d = driver.execute_script("var c = document.querySelector('.item'); return [c.dataset.decodeMs, "
                              "c.dataset.samples, c.dataset.workerMemory, c.dataset.wavBytes]")
    ms, samples, wasm, wav = (float(x) for x in d)
    print(f"page: {samples / ms / 1000:.0f} M samples/s ({samples:.0f} samples in {ms:.0f} ms)")
    print(f"page memory: worker heap {wasm / 2**20:.1f} MiB; browser resident growth {(peak[0] - base) / 2**20:.0f} MiB; "
          f"WAV {wav / 2**20:.0f} MiB (ratio {(peak[0] - base) / wav:.2f})")
finally:
    driver.quit()
