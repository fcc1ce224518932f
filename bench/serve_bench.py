#!/usr/bin/env python3
"""The server's rows: `zenta-cli serve` over the million-topic board on 127.0.0.1, loaded by wrk
(2 threads, 64 connections, bounded runs) on the same two processors. Writes one JSON object of
results to the file named second.

usage: serve_bench.py ZENTA_CLI ARCHIVE OUT.json [SECONDS_A_ROW] [MEMORY_SECONDS]
"""
import json
import os
import socket
import subprocess
import sys
import tempfile
import threading
import time
import urllib.parse

cli, archive, output = sys.argv[1], sys.argv[2], sys.argv[3]
seconds = int(sys.argv[4]) if len(sys.argv) > 4 else 10
memory_seconds = int(sys.argv[5]) if len(sys.argv) > 5 else 120
CONNECTIONS = 64

# wrk reports through this script: requests, their rate, errors and latency percentiles.
REPORT_LUA = r'''
local paths, n = {}, 0
function init(args) for i = 1, #args do paths[#paths + 1] = args[i] end end
function request()
  n = n + 1
  return wrk.format("GET", paths[(n % #paths) + 1], {["Accept-Encoding"] = "gzip"})
end
function done(summary, latency, requests)
  local e = summary.errors
  io.write(string.format('WRK {"requests":%d,"seconds":%.3f,"errors":%d,"non_2xx":%d,"p50_ms":%.3f,"p99_ms":%.3f}\n',
    summary.requests, summary.duration / 1e6, e.connect + e.read + e.write + e.timeout, e.status,
    latency:percentile(50) / 1e3, latency:percentile(99) / 1e3))
end
'''


def sql(statement):
    out = subprocess.run([cli, "sql", archive, statement], check=True, capture_output=True, text=True).stdout
    return [json.loads(line) for line in out.splitlines()]


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def rss_mb(pid):
    for line in open(f"/proc/{pid}/status"):
        if line.startswith("VmRSS:"):
            return int(line.split()[1]) / 1024
    return None


def wrk(port, paths, duration, script):
    command = ["wrk", "-t2", f"-c{CONNECTIONS}", f"-d{duration}s", "--timeout", "5s", "-s", script,
               f"http://127.0.0.1:{port}/", "--"] + paths
    out = subprocess.run(command, check=True, capture_output=True, text=True, timeout=duration + 60).stdout
    result = json.loads(next(line[4:] for line in out.splitlines() if line.startswith("WRK ")))
    result["requests_per_s"] = result["requests"] / result["seconds"]
    return result


facts = open(archive + ".facts").read().split("\n")
forum = facts[0]
# The largest forum's key (statements travel in the narrow code page, so its caption is not compared).
forum_id = sql("select FORUM_ID, count(*) as n from FORUM_TOPICS group by FORUM_ID order by n desc limit 1")[0]["FORUM_ID"]
count = sql("select count(*) as n from FORUM_TOPICS")[0]["n"]
# The median topic by replies, then by key.
median = sql(f"select TOPIC_ID from FORUM_TOPICS order by T_REPLIES, TOPIC_ID limit 1 offset {count // 2}")[0]["TOPIC_ID"]
# A key half way down the big forum's listing: the page after it is 1,000 pages deep.
deep = sql(f"select TOPIC_ID from FORUM_TOPICS where FORUM_ID={forum_id} order by TOPIC_ID desc limit 1 offset 50000")[0]["TOPIC_ID"]
caption = urllib.parse.quote(forum, safe="")
rows = {
    "topic_page": [f"/topic/{median}"],
    "listing_first": [f"/forum?caption={caption}"],
    "listing_deep": [f"/forum?caption={caption}&below={deep}"],
    "title_search": ["/search?by=title&words=" + urllib.parse.quote("数据库", safe="")],
}

port = free_port()
log = tempfile.TemporaryFile()
server = subprocess.Popen([cli, "serve", archive, "--port", str(port)], stdout=subprocess.PIPE, stderr=log, text=True)
results = {"median_topic": median, "deep_key": deep, "forum": forum, "connections": CONNECTIONS}
try:
    server.stdout.readline()  # the address: it listens
    with tempfile.NamedTemporaryFile("w", suffix=".lua") as script:
        script.write(REPORT_LUA)
        script.flush()
        for name, paths in rows.items():
            wrk(port, paths, 2, script.name)  # warm the caches
            results[name] = wrk(port, paths, seconds, script.name)
            results[name]["load"] = open("/proc/loadavg").read().split()[0]
            print(name, json.dumps(results[name]), flush=True)
        # Memory over a long run of every kind of page at once, sampled each second.
        samples = []
        stop = threading.Event()

        def sample():
            start = time.monotonic()
            while not stop.wait(1.0):
                samples.append((time.monotonic() - start, rss_mb(server.pid)))

        sampler = threading.Thread(target=sample)
        sampler.start()
        mixed = [path for paths in rows.values() for path in paths]
        results["memory_run"] = wrk(port, mixed, memory_seconds, script.name)
        stop.set()
        sampler.join()
        after20 = [mb for t, mb in samples if t >= min(20, memory_seconds / 2)]
        results["memory"] = {
            "seconds": memory_seconds,
            "peak_MB": max(mb for _, mb in samples),
            "at_20s_MB": after20[0],
            "end_MB": samples[-1][1],
            "growth_after_20s_MB": max(after20) - after20[0],
        }
        print("memory", json.dumps(results["memory"]), flush=True)
finally:
    server.terminate()
    server.wait(timeout=30)
json.dump(results, open(output, "w"), indent=1)
