#!/usr/bin/env python3
"""Measures "Grab Data !" on saved pages of real movie sites.

Serves each saved page on loopback under its own path (as the site served it:
its scripts do not run, nothing is fetched from the real site), runs
`quelto --lookup` on it, and compares every field with what a person reads on
the page. Prints one line per page and a table per site.

    measure_pages.py --quelto build/src/app/quelto --pages tests/data/pages \
        --expected tests/weblookup/measure/expected.json [--expected more.json ...]

An expected file is a JSON list of pages:
    {"file": "imdb/x.html", "path": "/title/tt1/", "site": "IMDb",
     "fields": {"title": "X (1999)", "mv_director": "...", ...}}
A field left out, or "", is one the page does not show; the score counts the
fields the page shows that the lookup got right, and lists any field filled
that the page does not show. "more": [{"file": ..., "path": ...}] serves the
further pages a profile reads after the title page.
"""
import argparse
import http.server
import json
import os
import subprocess
import sys
import threading
import time
from collections import OrderedDict

FIELDS = ["title", "mv_year", "mv_director", "mv_genre", "mv_country", "mv_language", "mv_color", "mv_sound",
          "mv_rating", "mv_book", "mv_music", "mv_producer", "mv_cast6", "mv_cast1", "mv_cast2", "mv_cast3",
          "mv_cast4", "mv_cast5", "quelto_running_time", "cover"]


def serve(pages, routes):
    class Handler(http.server.BaseHTTPRequestHandler):
        def log_message(self, *args):
            pass

        def do_GET(self):
            path = self.path.split("?")[0].rstrip("/") or "/"
            file = routes.get(path)
            if not file:
                self.send_response(404)
                self.send_header("Content-Type", "text/html")
                self.end_headers()
                self.wfile.write(b"<html><body><h1>Not found</h1></body></html>")
                return
            with open(os.path.join(pages, file), "rb") as f:
                body = f.read()
            self.send_response(200)
            self.send_header("Content-Type", "text/html; charset=utf-8")
            self.send_header("Content-Length", str(len(body)))
            self.send_header("Content-Security-Policy",
                             "default-src 'self'; script-src 'none'; style-src 'self' 'unsafe-inline'; img-src 'self' data:")
            self.end_headers()
            self.wfile.write(body)

    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--quelto", required=True)
    parser.add_argument("--pages", action="append", required=True, help="folder(s) the files are in")
    parser.add_argument("--expected", action="append", required=True)
    parser.add_argument("--timeout", type=float, default=60)
    parser.add_argument("--only", default="")
    args = parser.parse_args()

    cases = []
    for name in args.expected:
        with open(name, encoding="utf-8") as f:
            cases.extend(json.load(f))
    if args.only:
        cases = [c for c in cases if args.only in c["file"]]

    def locate(file):
        for folder in args.pages:
            if os.path.exists(os.path.join(folder, file)):
                return folder
        raise SystemExit("no file " + file)

    routes = {}
    for case in cases:
        for page in [case] + case.get("more", []):
            routes[page["path"].rstrip("/") or "/"] = os.path.join(os.path.abspath(locate(page["file"])), page["file"])
    server = serve("/", routes)
    root = "http://127.0.0.1:%d" % server.server_address[1]

    env = dict(os.environ)
    env.setdefault("QT_QPA_PLATFORM", "offscreen")
    env.setdefault("QTWEBENGINE_DISABLE_SANDBOX", "1")
    env["XDG_DATA_HOME"] = env.get("QUELTO_MEASURE_DATA", "/nonexistent")
    sites = OrderedDict()
    for case in cases:
        started = time.time()
        run = subprocess.run([args.quelto, "--lookup", root + case["path"]], capture_output=True, env=env,
                             timeout=args.timeout)
        took = time.time() - started
        got = {}
        if run.returncode == 0:
            got = json.loads(run.stdout.decode("utf-8"))
        expected = case["fields"]
        right, shown, wrong, extra = 0, 0, [], []
        for field in FIELDS:
            want = expected.get(field, "")
            have = (got.get(field, "") or "").strip()
            if field == "mv_rating" and have == "No rating":
                have = ""
            if want:
                shown += 1
                if have == want:
                    right += 1
                else:
                    wrong.append("%s: %r (page shows %r)" % (field, have, want))
            elif have:
                extra.append("%s: %r" % (field, have))
        site = sites.setdefault(case["site"], [0, 0, 0, 0.0, 0])
        site[0] += right
        site[1] += shown
        site[2] += len(extra)
        site[3] = max(site[3], took)
        site[4] += 1
        print("%-60s %2d/%2d  %5.1f s  %s" % (case["file"][:60], right, shown, took,
                                              (got.get("lookup") or {}).get("profile", "exit %d" % run.returncode)))
        for line in wrong + ["filled, not on the page: " + e for e in extra]:
            print("    " + line)
        if os.environ.get("MEASURE_VERBOSE"):
            for line in (got.get("lookup") or {}).get("refused", []):
                print("    passed over: " + line)
            print("    sources: %s" % json.dumps((got.get("lookup") or {}).get("sources", {}), ensure_ascii=False))
    print()
    print("| Site | Pages | Fields right | Share | Filled but not on the page | Slowest lookup |")
    print("|---|---|---|---|---|---|")
    total = [0, 0, 0]
    for name, (right, shown, extra, slowest, count) in sites.items():
        total[0] += right
        total[1] += shown
        total[2] += extra
        print("| %s | %d | %d of %d | %.0f%% | %d | %.1f s |" % (name, count, right, shown, 100.0 * right / max(shown, 1),
                                                           extra, slowest))
    print("| all | %d | %d of %d | %.0f%% | %d | |" % (len(cases), total[0], total[1], 100.0 * total[0] / max(total[1], 1),
                                                     total[2]))
    server.shutdown()


if __name__ == "__main__":
    sys.exit(main())
