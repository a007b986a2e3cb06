#!/usr/bin/env python3
"""Clients asking `dorsel serve` for panels side by side.

Usage: bench/web_load.py DORSEL_PROGRAM DEMO_DATABASE
DORSEL_WEB_CLIENTS (default 20) clients, each on a keep-alive connection of its own, ask for
the panels of the demo items in turn for DORSEL_WEB_SECONDS (default 30) seconds. Prints the
requests answered, the failures, and the server's resident memory after the first 5 seconds,
at its highest after them and at the end.
"""
import http.client
import os
import re
import subprocess
import sys
import threading
import time
import urllib.parse

ITEMS = ["VITE-M6X20", "CAVO-FG16-3G1.5", "DADO-M6"]
PANELS = ["FRMMG_DORSEL_DESCR", "FRMUC_NOTE", "FRMUC_SCORTE", "FRMUC_CONFEZIONI",
          "FRMUC_INFOUBIC", "FRMUC_INTRA", "FRMUC_LISTINI_ACQ", "FRMUC_LISTINI_VEN",
          "FRMUC_LISTINI_ULP", "APPLICAZIONI", "GEST_VARIANTI", "FLAG_VARIANTI", "IMMAGINI"]


def resident_kb(pid):
    with open(f"/proc/{pid}/status", encoding="ascii") as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return 0


def main():
    program, database = sys.argv[1], sys.argv[2]
    clients = int(os.environ.get("DORSEL_WEB_CLIENTS", "20"))
    seconds = float(os.environ.get("DORSEL_WEB_SECONDS", "30"))
    server = subprocess.Popen([program, "serve", "--db", database, "--port", "0"],
                              stdout=subprocess.PIPE, text=True)
    found = re.search(r"http://([^:/]+):(\d+)/", server.stdout.readline())
    host, port = found.group(1), int(found.group(2))
    answered = [0] * clients
    failed = [0] * clients
    stop = threading.Event()

    def client(index):
        connection = http.client.HTTPConnection(host, port, timeout=10)
        turn = index
        while not stop.is_set():
            query = urllib.parse.urlencode({"code": ITEMS[turn % len(ITEMS)],
                                            "name": PANELS[turn % len(PANELS)]})
            turn += 1
            try:
                connection.request("GET", "/api/panel?" + query)
                response = connection.getresponse()
                response.read()
                if response.status == 200:
                    answered[index] += 1
                else:
                    failed[index] += 1
            except (OSError, http.client.HTTPException):
                failed[index] += 1
                connection.close()
                connection = http.client.HTTPConnection(host, port, timeout=10)
        connection.close()

    threads = [threading.Thread(target=client, args=(i,)) for i in range(clients)]
    start = time.monotonic()
    for thread in threads:
        thread.start()
    samples = []
    while time.monotonic() - start < seconds:
        time.sleep(0.5)
        samples.append((time.monotonic() - start, resident_kb(server.pid)))
    stop.set()
    for thread in threads:
        thread.join()
    elapsed = time.monotonic() - start
    server.terminate()
    code = server.wait(timeout=10)
    settled = [kb for t, kb in samples if t >= 5.0]
    at_five = settled[0] if settled else 0
    print(f"web load: {clients} clients, {elapsed:.1f} s, {sum(answered)} answered "
          f"({sum(answered) / elapsed:.0f}/s), {sum(failed)} failed")
    print(f"server memory: {at_five} kB after 5 s, highest {max(settled, default=0)} kB after "
          f"that, {settled[-1] if settled else 0} kB at the end "
          f"(growth {(settled[-1] - at_five) if settled else 0} kB); exit code {code}")
    return 1 if sum(failed) or code != 0 else 0


if __name__ == "__main__":
    sys.exit(main())
