#!/usr/bin/env python3
"""A stand-in for PVOutput's r2 services, for the tests and for ./run.sh.

It serves Add Status, Add Batch Status and Add Output over HTTPS (or, with --plain,
HTTP) on a loopback port,
checks what PVOutput checks (keys, parameters, formats, batch size, age of a status,
the hourly request limit) and answers in PVOutput's words, rate-limit headers included.
A plain HTTP control port beside it tells what arrived and turns faults on:

  GET /mode?name=ok|drop|slow|401|403|400|503|garbage[&delay=seconds]
  GET /limit?requests=N       the hourly limit (60 unless told), counted afresh
  GET /now?utc=SECONDS        the stand-in's clock (the machine's unless told)
  GET /statuses               every status added, "yyyymmdd,hh:mm,v1,v2,v5,v6" a line
  GET /outputs                every day's output added, "yyyymmdd,g,pp,pt" a line
  GET /requests               how many requests the services had
  GET /reset                  forgets what arrived; mode ok, limit 60, the machine's clock

Once both ports listen their numbers are written, "api control", to the ready file.
"""

import argparse
import datetime
import http.server
import os
import re
import ssl
import threading
import time
import urllib.parse

BATCH_LIMIT = 30
AGE_LIMIT_DAYS = 14


class State:
    def __init__(self, system_id, api_key, interval):
        self.lock = threading.Lock()
        self.system_id = system_id
        self.api_key = api_key
        self.interval = interval
        self.mode = "ok"
        self.delay = 0.0
        self.limit = 60
        self.clock_offset = 0.0
        self.window_start = None
        self.window_count = 0
        self.requests = 0
        self.statuses = []
        self.outputs = []

    def now(self):
        return time.time() + self.clock_offset


class BadRequest(Exception):
    pass


def check_date(text, state):
    if not re.fullmatch(r"\d{8}", text or ""):
        raise BadRequest("Invalid date [%s]" % text)
    try:
        day = datetime.datetime.strptime(text, "%Y%m%d").date()
    except ValueError:
        raise BadRequest("Invalid date [%s]" % text)
    today = datetime.datetime.fromtimestamp(state.now(), datetime.timezone.utc).date()
    if (today - day).days > AGE_LIMIT_DAYS:
        raise BadRequest("Date is older than %d days [%s]" % (AGE_LIMIT_DAYS, text))
    return text


def check_time(text, state, aligned=True):
    match = re.fullmatch(r"(\d\d):(\d\d)", text or "")
    if not match or int(match.group(1)) > 23 or int(match.group(2)) > 59:
        raise BadRequest("Invalid time [%s]" % text)
    if aligned and int(match.group(2)) % state.interval != 0:
        raise BadRequest("Time %s is not on the status interval of %d minutes" % (text, state.interval))
    return text


def check_number(name, text, decimal=False):
    if text in (None, ""):
        return ""
    pattern = r"-?\d+(\.\d+)?" if decimal else r"\d+"
    if not re.fullmatch(pattern, text):
        raise BadRequest("Invalid %s [%s]" % (name, text))
    return text


def status_line(state, d, t, v1, v2, v5, v6):
    check_date(d, state)
    check_time(t, state)
    values = [check_number("energy", v1), check_number("power", v2),
              check_number("temperature", v5, True), check_number("voltage", v6, True)]
    if not any(values):
        raise BadRequest("No status data [%s %s]" % (d, t))
    return ",".join([d, t] + values)


class Api(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    # Head and body go in two writes: with Nagle's algorithm the body of a kept-alive
    # connection waits for the client's delayed acknowledgement.
    disable_nagle_algorithm = True

    def log_message(self, *args):
        pass

    def answer(self, code, text, rate=True, extra=None):
        body = (text + "\n").encode()
        self.send_response(code)
        self.send_header("Content-Type", "text/plain")
        self.send_header("Content-Length", str(len(body)))
        if rate:
            state = self.server.state
            self.send_header("X-Rate-Limit-Remaining", str(max(0, state.limit - state.window_count)))
            self.send_header("X-Rate-Limit-Limit", str(state.limit))
            self.send_header("X-Rate-Limit-Reset", str(int(state.window_start + 3600)))
        self.end_headers()
        self.wfile.write(body)

    def do_GET(self):
        self.answer(405, "Method Not Allowed 405: POST only in this stand-in", rate=False)

    def do_POST(self):
        state = self.server.state
        length = int(self.headers.get("Content-Length", "0"))
        body = self.rfile.read(length).decode("utf-8", "replace")
        with state.lock:
            state.requests += 1
            mode, delay = state.mode, state.delay
            now = state.now()
            if state.window_start is None or now >= state.window_start + 3600:
                state.window_start, state.window_count = now, 0
            state.window_count += 1
            over = state.window_count > state.limit
        rate = self.headers.get("X-Rate-Limit") == "1"
        if mode == "drop":
            self.close_connection = True
            self.connection.shutdown(2)
            return
        if mode == "slow":
            # An answer later than any client waits for: the request is not taken.
            time.sleep(delay)
            self.close_connection = True
            self.connection.shutdown(2)
            return
        if mode == "garbage":
            self.answer(200, "<html><body>Gateway says hello</body></html>", rate=False)
            return
        if mode == "503":
            self.answer(503, "Service Unavailable", rate=False)
            return
        if self.headers.get("X-Pvoutput-SystemId") != state.system_id:
            self.answer(401, "Unauthorized 401: Invalid System ID", rate)
            return
        if mode == "401" or self.headers.get("X-Pvoutput-Apikey") != state.api_key:
            self.answer(401, "Unauthorized 401: Invalid API Key", rate)
            return
        if mode == "403" or over:
            self.answer(403, "Forbidden 403: Exceeded %d requests per hour" % state.limit, rate)
            return
        if mode == "400":
            self.answer(400, "Bad request 400: Moon Powered", rate)
            return
        if not self.headers.get("Content-Type", "").startswith("application/x-www-form-urlencoded"):
            self.answer(400, "Bad request 400: Expected form parameters", rate)
            return
        form = {k: v[-1] for k, v in urllib.parse.parse_qs(body, keep_blank_values=True).items()}
        path = self.path.split("?")[0]
        try:
            with state.lock:
                if path == "/service/r2/addstatus.jsp":
                    line = status_line(state, form.get("d"), form.get("t"), form.get("v1"), form.get("v2"),
                                       form.get("v5"), form.get("v6"))
                    state.statuses.append(line)
                    text = "OK 200: Added Status"
                elif path == "/service/r2/addbatchstatus.jsp":
                    entries = form.get("data", "").split(";")
                    if len(entries) > BATCH_LIMIT:
                        raise BadRequest("Batch of %d statuses, %d at most" % (len(entries), BATCH_LIMIT))
                    lines, answers = [], []
                    for entry in entries:
                        fields = entry.split(",")
                        if len(fields) < 3 or len(fields) > 11:
                            raise BadRequest("Invalid batch entry [%s]" % entry)
                        fields += [""] * (8 - len(fields))
                        lines.append(status_line(state, fields[0], fields[1], fields[2], fields[3], fields[6],
                                                 fields[7]))
                        answers.append("%s,%s,1" % (fields[0], fields[1]))
                    state.statuses.extend(lines)
                    text = ";".join(answers)
                elif path == "/service/r2/addoutput.jsp":
                    d = check_date(form.get("d"), state)
                    g = check_number("generated", form.get("g"))
                    pp = check_number("peak power", form.get("pp"))
                    pt = check_time(form.get("pt"), state, aligned=False) if form.get("pt") else ""
                    state.outputs.append(",".join([d, g, pp, pt]))
                    text = "OK 200: Added Output"
                else:
                    self.answer(404, "Not Found 404: %s" % path, rate)
                    return
        except BadRequest as error:
            self.answer(400, "Bad request 400: %s" % error, rate)
            return
        self.answer(200, text, rate)


class Control(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def do_GET(self):
        state = self.server.state
        url = urllib.parse.urlparse(self.path)
        query = {k: v[-1] for k, v in urllib.parse.parse_qs(url.query).items()}
        with state.lock:
            if url.path == "/mode":
                state.mode = query.get("name", "ok")
                state.delay = float(query.get("delay", "0"))
                text = state.mode
            elif url.path == "/limit":
                state.limit = int(query["requests"])
                state.window_start, state.window_count = None, 0
                text = str(state.limit)
            elif url.path == "/now":
                state.clock_offset = float(query["utc"]) - time.time()
                text = "ok"
            elif url.path == "/statuses":
                text = "".join(line + "\n" for line in state.statuses)
            elif url.path == "/outputs":
                text = "".join(line + "\n" for line in state.outputs)
            elif url.path == "/reset":
                state.mode, state.delay, state.limit, state.clock_offset = "ok", 0.0, 60, 0.0
                state.window_start, state.window_count, state.requests = None, 0, 0
                state.statuses, state.outputs = [], []
                text = "ok"
            elif url.path == "/requests":
                text = str(state.requests)
            else:
                self.send_error(404)
                return
        body = text.encode()
        self.send_response(200)
        self.send_header("Content-Length", str(len(body)))
        self.send_header("Connection", "close")
        self.end_headers()
        self.wfile.write(body)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--cert")
    parser.add_argument("--key")
    parser.add_argument("--plain", action="store_true", help="HTTP instead of HTTPS (for ./run.sh)")
    parser.add_argument("--system-id", required=True)
    parser.add_argument("--api-key", required=True)
    parser.add_argument("--interval", type=int, default=5)
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--ready", required=True)
    args = parser.parse_args()
    state = State(args.system_id, args.api_key, args.interval)
    api = http.server.ThreadingHTTPServer(("127.0.0.1", args.port), Api)
    if not args.plain:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(args.cert, args.key)
        api.socket = context.wrap_socket(api.socket, server_side=True)
    control = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Control)
    for server in (api, control):
        server.state = state
        server.daemon_threads = True
        threading.Thread(target=server.serve_forever, daemon=True).start()
    with open(args.ready + ".part", "w") as ready:
        ready.write("%d %d\n" % (api.server_address[1], control.server_address[1]))
    os.rename(args.ready + ".part", args.ready)
    threading.Event().wait()


if __name__ == "__main__":
    main()
