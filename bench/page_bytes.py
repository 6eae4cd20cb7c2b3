"""A TCP proxy that counts the bytes an open page moves, both ways, per second.

   page_bytes.py <listen port> <target port> <seconds> <report file>
Serves until the time is up, then writes one line per second: "second bytes".
"""
import socket
import sys
import threading
import time

listen_port, target_port, seconds, report = int(sys.argv[1]), int(sys.argv[2]), float(sys.argv[3]), sys.argv[4]
start = time.monotonic()
counts = {}
lock = threading.Lock()


def pump(source, sink):
    try:
        while True:
            data = source.recv(65536)
            if not data:
                break
            with lock:
                second = int(time.monotonic() - start)
                counts[second] = counts.get(second, 0) + len(data)
            sink.sendall(data)
    except OSError:
        pass
    finally:
        for s in (source, sink):
            try:
                s.shutdown(socket.SHUT_RDWR)
            except OSError:
                pass


server = socket.socket()
server.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
server.bind(("127.0.0.1", listen_port))
server.listen(64)
server.settimeout(0.5)
while time.monotonic() - start < seconds:
    try:
        client, _ = server.accept()
    except socket.timeout:
        continue
    upstream = socket.create_connection(("127.0.0.1", target_port))
    for a, b in ((client, upstream), (upstream, client)):
        threading.Thread(target=pump, args=(a, b), daemon=True).start()
with open(report, "w") as out, lock:
    for second in sorted(counts):
        out.write(f"{second} {counts[second]}\n")
