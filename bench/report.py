#!/usr/bin/env python3
"""Writes docs/PERFORMANCE.md from the results of one bench/run: Google Benchmark's JSON files
(medians of repetitions) and the window benchmark's JSON lines, each operation beside its
anchor measured in the same run, with its goal."""
import json
import os
import platform
import re
import statistics
import sys
from datetime import datetime, timezone

results, output = sys.argv[1], sys.argv[2]
UNIT_MS = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}


def medians(program):
    """Benchmark name -> its median entry (time in ms, counters), from one program's JSON."""
    path = os.path.join(results, program + ".json")
    if not os.path.exists(path):
        return {}
    found = {}
    for entry in json.load(open(path))["benchmarks"]:
        if entry.get("error_occurred"):
            continue
        if entry.get("run_type") == "aggregate" and entry.get("aggregate_name") != "median":
            continue
        entry = dict(entry, ms=entry["real_time"] * UNIT_MS[entry["time_unit"]])
        # "Unpack/iterations:3/real_time" -> "Unpack"
        found[re.sub(r"/(iterations:\d+|real_time)", "", entry["run_name"])] = entry
    return found


bench = {}
for program in ("bench_archive", "bench_topics", "bench_content", "bench_import", "bench_jet_conversion",
                "bench_info_view"):
    bench.update(medians(program))

window_runs = []
window_path = os.path.join(results, "bench_window.jsonl")
if os.path.exists(window_path):
    window_runs = [json.loads(line) for line in open(window_path) if line.startswith("{")]


def window(key):
    values = [run[key] for run in window_runs if key in run]
    return statistics.median(values) if values else None


serve_path = os.path.join(results, "bench_serve.json")
serve = json.load(open(serve_path)) if os.path.exists(serve_path) else {}


def served(key, value):
    return serve.get(key, {}).get(value)


def ms(name):
    return bench[name]["ms"] if name in bench else None


def counter(name, key):
    return bench.get(name, {}).get(key)


rows = []  # (operation, value, unit, anchor name, anchor value, goal text, goal test)


def row(operation, value, unit="ms", anchor="", anchor_value=None, goal="", meets=None):
    rows.append((operation, value, unit, anchor, anchor_value, goal, meets))


def under(limit):
    return lambda value, anchor: value < limit


def over(limit):
    return lambda value, anchor: value >= limit


def within(times):
    return lambda value, anchor: anchor is not None and value <= times * anchor


row("Start-up, 1,000,000 topics: process start to the window shown with its tree", window("startup_ms"),
    goal="< 1 s", meets=under(1000))
row("Start-up: peak memory of the window's process", window("startup_peak_MB"), "MB", goal="< 400 MB", meets=under(400))
row("Start-up: resident memory of the web engine's own processes", window("startup_engine_MB"), "MB")
row("Category tree build, 1,000 categories and 5,000 forums (core)", ms("TreeBuild"))
row("Forum of %s topics: first 50 rows (core)" % (f"{int(counter('ListLargestForum/rows:-1', 'rows') or 0):,}"),
    ms("ListLargestForum/rows:50"), goal="< 50 ms", meets=under(50))
row("Forum listing: click to first rows in the grid (window)", window("first_rows_ms"), goal="< 50 ms", meets=under(50))
row("Forum listing: every row walked (core)", ms("ListLargestForum/rows:-1"))
row("Forum listing: scrolling the grid to its end (window, %s rows)" % f"{int(window('scrolled_rows') or 0):,}",
    window("scroll_ms"))
row("Forum listing: peak memory after scrolling to the end (window)", window("scroll_peak_MB"), "MB", goal="< 400 MB",
    meets=under(400))
for key, words, scan, index in (("title_common", "title \"数据库\"", "BareLikeScan/title_common", "TitleIndexQuery/title_common"),
                                ("title_rare", "title \"指针打印\"", "BareLikeScan/title_rare", "TitleIndexQuery/title_rare"),
                                ("title_two_characters", "title \"线程\" (too short for the index)",
                                 "BareLikeScan/title_two_characters", None),
                                ("author", "author \"guru_1\"", "BareLikeScan/author", None)):
    # The goal holds for three characters or more.
    goal, meets = ("", None) if key == "title_two_characters" else ("< 100 ms", under(100))
    matches = counter(f"Search/{key}/rows:-1", "rows")
    label = f"Search {words} over 1,000,000 topics ({int(matches or 0):,} matches)"
    row(label + ": first 50 rows", ms(f"Search/{key}/rows:50"), anchor="bare SQLite `like` count of the column",
        anchor_value=ms(scan), goal=goal, meets=meets)
    if index:
        row(label + ": first 50 rows", ms(f"Search/{key}/rows:50"), anchor="the title index's own query",
            anchor_value=ms(index), goal="< 100 ms", meets=under(100))
    row(label + ": every match", ms(f"Search/{key}/rows:-1"), anchor="bare SQLite `like` count of the column",
        anchor_value=ms(scan))
row("Jet `like '%Kylix%'` title statement walked to its end (engine layer)", ms("TitleLikeScan"),
    anchor="bare SQLite `like` count of the column", anchor_value=ms("BareLikeScan/title_kylix"))
replies = counter("BusiestTopicPage", "replies")
row(f"Topic page of {int(replies or 0):,} replies: build (core)", ms("BusiestTopicPage"))
row("Topic page: row click until the info view reports it loaded (window)", window("page_loaded_ms"),
    anchor="the engine alone loading the same page from a file", anchor_value=window("page_file_ms"),
    goal="< 300 ms", meets=under(300))
row("Browsing: peak memory of the window's process (start-up, listing, scrolling, topic pages)",
    window("browse_peak_MB"), "MB", goal="< 400 MB", meets=under(400))
row("Browsing: resident memory of the web engine's own processes, after the topic pages", window("engine_MB"), "MB")
together = (window("browse_peak_MB") + window("engine_MB")) if window("engine_MB") is not None else None
row("Browsing: the window's process and the engine's processes together", together, "MB", goal="< 400 MB",
    meets=under(400))
for size, label in ((4 << 10, "4 KB"), (64 << 10, "64 KB"), (1 << 20, "1 MB"), (5 << 20, "5 MB")):
    row(f"Info view: a {label} page handed over until loaded", ms(f"LoadPageIntoInfoView/{size}"),
        anchor="the engine's own setContent" if size <= (1 << 20) else "",
        anchor_value=ms(f"SetContentOfInfoView/{size}"))
row("Unpacking a 200 MB archive (.znt)", ms("Unpack"), anchor="`zlib-flate -uncompress`, same bytes",
    anchor_value=counter("Unpack", "zlib_flate_ms"), goal="within 1.2x", meets=within(1.2))
row("Unpacking: peak memory", counter("Unpack", "peak_rss_MB"), "MB")
row("Jet conversion of bench-board (100,000 replies, 102 MB)", ms("ConvertBenchBoard"),
    anchor="`mdb-export` of the same five tables", anchor_value=ms("MdbExportBenchBoard"))
row("Merge of 1,000,000 replies into an archive holding half of them", ms("MergeMillionReplies"),
    anchor="`sqlite3` `INSERT OR IGNORE ... SELECT`, same rows", anchor_value=ms("BareSqliteMerge"),
    goal="within 3x", meets=within(3))
row("Merge of 1,000,000 replies, the main archive's content index kept in step", ms("MergeMillionRepliesIndexed"),
    anchor="`sqlite3` `INSERT OR IGNORE ... SELECT`, same rows", anchor_value=ms("BareSqliteMerge"),
    goal="within 5x", meets=within(5))

# The content search on the million-topic board with its index; the build's figures come from
# bench/run, which builds the index once with `zenta-cli index` and keeps them beside it.
content_build = {}
build_path = os.path.join(os.environ.get("ZENTA_BENCH_CACHE", ""), "topics-1m-content.mdb.build")
if os.path.exists(build_path):
    content_build = json.load(open(build_path))
for key, words in (("two_characters", "\"死锁\" (two characters)"),
                   ("two_characters_common", "\"线程\" (two characters, common)"),
                   ("four_characters", "\"存储过程\" (four characters)"), ("english", "\"Synchronize\" (English)"),
                   ("identifier", "\"TStringList\" (identifier)"), ("two_words", "\"死锁 线程\" (two words)")):
    row(f"Content search {words}: first 50 ranked topics with snippets", ms(f"ContentSearch/{key}/rows:50"),
        anchor="bare SQLite `instr` scan of the same texts, \"死锁\"", anchor_value=ms("BareContentScan/rare"),
        goal="< 100 ms", meets=under(100))
for key, scan, words in (("common_every_match", "common", "\"数据库\""), ("rare_every_match", "rare", "\"死锁\"")):
    matches = counter(f"ContentSearch/{key}/rows:-1", "matches")
    row(f"Content search {words}, every match ({int(matches or 0):,} topics), ranked and walked",
        ms(f"ContentSearch/{key}/rows:-1"), anchor="bare SQLite `instr` scan of the same texts, same word",
        anchor_value=ms(f"BareContentScan/{scan}"), goal="within 2x", meets=within(2))
if content_build:
    row("Content index build, whole board (%.0f MB of text)" % (content_build["text_bytes"] / 1e6),
        content_build["seconds"] * 1000, goal=">= 10 MB/s", meets=lambda v, a: content_build["text_bytes"] / 1e6 /
        (v / 1000) >= 10)
    row("Content index build: rate", content_build["text_bytes"] / 1e6 / content_build["seconds"], "MB/s")
    row("Content index size (its tables' pages) against the text it covers (%.0f MB)" %
        (content_build["text_bytes"] / 1e6), content_build["index_bytes"] / 1e6, "MB", goal="<= 2x the text",
        meets=lambda v, a: v * 1e6 <= 2 * content_build["text_bytes"])
for key, label, rate in (
        ("topic_page", f"Served topic page of the median topic ({serve.get('median_topic', '?')})", 2000),
        ("listing_first", f"Served listing of the largest forum (\"{serve.get('forum', '?')}\"): first page", 2000),
        ("listing_deep", "Served listing of the largest forum: the page after the 50,000th row (by key)", 2000),
        ("title_search", "Served title search \"数据库\": first page", 500)):
    row(label + ", 64 connections: requests a second", served(key, "requests_per_s"), "/s", goal=f">= {rate:,}/s",
        meets=over(rate))
    goal, meets = ("< 100 ms", under(100)) if key != "title_search" else ("", None)
    row(label + ": 99th percentile latency", served(key, "p99_ms"), goal=goal, meets=meets)
row("Server memory over %s s of every served page at once: peak" % served("memory", "seconds"),
    served("memory", "peak_MB"), "MB", goal="< 200 MB", meets=under(200))
row("Server memory: growth after the first 20 s", served("memory", "growth_after_20s_MB"), "MB", goal="flat (< 5 MB)",
    meets=under(5))


def shown(value, unit):
    if value is None:
        return "not measured"
    if unit == "MB":
        return f"{value:,.0f} MB"
    if unit == "MB/s":
        return f"{value:,.1f} MB/s"
        return f"{value:,.1f} MB" if value < 10 else f"{value:,.0f} MB"
    if unit == "/s":
        return f"{value:,.0f}/s"
    if value >= 1000:
        return f"{value / 1000:,.2f} s"
    return f"{value:,.1f} ms" if value < 100 else f"{value:,.0f} ms"


def machine():
    cpu = next((line.split(":", 1)[1].strip() for line in open("/proc/cpuinfo") if line.startswith("model name")),
               platform.processor())
    memory = next(int(line.split()[1]) for line in open("/proc/meminfo") if line.startswith("MemTotal"))
    return f"{os.cpu_count()} processors ({cpu}), {memory / 1024 / 1024:.1f} GB of memory, {platform.system()} {platform.release()}"


lines = [
    "# Performance",
    "",
    "Written by `bench/run` (release build, generated archives cached in `~/.cache/zenta-bench`). Times are medians",
    "of repetitions; each anchor was measured in the same run on the same data. Ratio: the operation's time over",
    "its anchor's (below 1 is faster than the anchor).",
    "",
    f"- Date: {datetime.now(timezone.utc).strftime('%Y-%m-%d %H:%M UTC')}",
    f"- Machine: {machine()}",
    f"- Load average when the benchmarks began: {os.environ.get('ZENTA_BENCH_LOAD_BEFORE', '?')}; after: "
    f"{' '.join(open('/proc/loadavg').read().split()[:3])} (1, 5 and 15 minutes)",
    f"- Whole run: about {os.environ.get('ZENTA_BENCH_MINUTES', '?')} minutes, build included",
    "",
    "| Operation | Median | Anchor | Anchor's median | Ratio | Goal | Met |",
    "|---|---:|---|---:|---:|---|---|",
]
for operation, value, unit, anchor, anchor_value, goal, meets in rows:
    ratio = f"{value / anchor_value:.2f}" if value is not None and anchor_value else ""
    met = "" if meets is None or value is None else ("yes" if meets(value, anchor_value) else "**no**")
    lines.append(f"| {operation} | {shown(value, unit)} | {anchor} | {shown(anchor_value, unit) if anchor else ''} | "
                 f"{ratio} | {goal} | {met} |")
notes = os.path.join(os.path.dirname(os.path.abspath(__file__)), "PERFORMANCE-notes.md")
if os.path.exists(notes):
    lines += ["", open(notes).read().rstrip()]
with open(output, "w") as out:
    out.write("\n".join(lines) + "\n")
print("wrote " + output)
