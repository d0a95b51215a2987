#!/usr/bin/env python3
"""A scripted form server on 127.0.0.1 for the tests that post to the maker's server.

One port serves both schemes: a connection that opens with a TLS handshake is
answered over TLS by the "https" script, any other by the "http" script, so
"https://" + address and "http://" + address reach it alike. The first line on
stdout is "PORT <n>"; then one JSON line per request received (written before
the answer goes out). Ends when stdin closes.

argv[1] is a JSON object: {"tls_dir": folder, "https": script, "http": script}.
A script: {"mode": "answer" | "drop" | "silent" | "garbage" | "wrong_name",
"status": 200, "body": text, "content_type": ..., "delay": seconds before the
answer, "trickle": seconds between the body's bytes, "repeat": how many times
the body is sent, "declare_length": false to send no Content-Length}. "drop" resets the
connection at once, "silent" reads the request and never answers, "garbage"
answers with something that is not HTTP, "wrong_name" (https) presents a
certificate for another host name.
"""

import json
import os
import socket
import ssl
import struct
import subprocess
import sys
import threading
import time
import urllib.parse

OPENSSL_EXTENSIONS = """basicConstraints=CA:FALSE
keyUsage=digitalSignature
extendedKeyUsage=serverAuth
subjectAltName={names}
"""


def openssl(*args, cwd):
    subprocess.run(["openssl", *args], cwd=cwd, check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def make_certificate(folder, name, alt_names):
    """A server certificate signed by the folder's CA."""
    with open(os.path.join(folder, name + ".ext"), "w") as ext:
        ext.write(OPENSSL_EXTENSIONS.format(names=alt_names))
    openssl("req", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes",
            "-keyout", name + ".key", "-out", name + ".csr", "-subj", "/CN=" + name, cwd=folder)
    openssl("x509", "-req", "-in", name + ".csr", "-CA", "ca.pem", "-CAkey", "ca.key",
            "-CAcreateserial", "-days", "2", "-out", name + ".pem", "-extfile", name + ".ext", cwd=folder)


def make_tls_material(folder):
    """A CA (ca.pem) and two server certificates: one for 127.0.0.1, one for another name."""
    if os.path.exists(os.path.join(folder, "wrong.pem")):
        return
    openssl("req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes",
            "-keyout", "ca.key", "-out", "ca.pem", "-days", "2", "-subj", "/CN=Tonara Test CA",
            "-addext", "basicConstraints=critical,CA:TRUE",
            "-addext", "keyUsage=critical,keyCertSign,cRLSign", cwd=folder)
    make_certificate(folder, "server", "IP:127.0.0.1,DNS:localhost")
    make_certificate(folder, "wrong", "DNS:not-this-host.invalid")


def tls_context(folder, name):
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(os.path.join(folder, name + ".pem"), os.path.join(folder, name + ".key"))
    return context


def reset(connection):
    """Closes with a RST instead of a FIN."""
    connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
    connection.close()


def read_request(connection):
    data = b""
    while b"\r\n\r\n" not in data:
        chunk = connection.recv(65536)
        if not chunk:
            return None
        data += chunk
    head, body = data.split(b"\r\n\r\n", 1)
    lines = head.decode("latin-1").split("\r\n")
    method, path, _ = lines[0].split(" ", 2)
    headers = [line.split(":", 1) for line in lines[1:]]
    headers = [[name.strip(), value.strip()] for name, value in headers]
    length = next((int(v) for n, v in headers if n.lower() == "content-length"), 0)
    while len(body) < length:
        chunk = connection.recv(65536)
        if not chunk:
            return None
        body += chunk
    return method, path, headers, body


def record(scheme, request, output_lock):
    method, path, headers, body = request
    fields = urllib.parse.parse_qsl(body.decode("ascii", "replace"), keep_blank_values=True,
                                    encoding="utf-8", errors="replace")
    line = json.dumps({"scheme": scheme, "method": method, "path": path, "headers": headers,
                       "body": body.decode("latin-1"), "fields": [list(f) for f in fields]})
    with output_lock:
        sys.stdout.write(line + "\n")
        sys.stdout.flush()


def answer(connection, script):
    mode = script.get("mode", "answer")
    if mode == "drop":
        reset(connection)
        return
    if mode == "silent":
        connection.settimeout(15)
        try:
            while connection.recv(65536):
                pass
        except OSError:
            pass
        return
    time.sleep(script.get("delay", 0))
    if mode == "garbage":
        connection.sendall(b"THIS IS NOT HTTP\r\n\r\n")
        return
    body = script.get("body", "").encode(script.get("body_encoding", "utf-8"))
    repeat = script.get("repeat", 1)
    length = "Content-Length: {}\r\n".format(len(body) * repeat) if script.get("declare_length", True) else ""
    head = "HTTP/1.1 {} Scripted\r\nContent-Type: {}\r\n{}Connection: close\r\n\r\n".format(
        script.get("status", 200), script.get("content_type", "text/plain; charset=utf-8"), length)
    connection.sendall(head.encode("latin-1"))
    trickle = script.get("trickle", 0)
    if not trickle:
        for _ in range(repeat):
            connection.sendall(body)
        return
    for i in range(len(body)):
        connection.sendall(body[i:i + 1])
        time.sleep(trickle)


def serve(connection, config, contexts, output_lock):
    try:
        connection.settimeout(15)
        first = connection.recv(1, socket.MSG_PEEK)
        if not first:
            return
        scheme = "https" if first == b"\x16" else "http"
        script = config.get(scheme, {})
        if script.get("mode") == "drop":
            reset(connection)
            return
        if scheme == "https":
            name = "wrong" if script.get("mode") == "wrong_name" else "server"
            connection = contexts[name].wrap_socket(connection, server_side=True)
        request = read_request(connection)
        if request is None:
            return
        record(scheme, request, output_lock)
        answer(connection, script)
    except (OSError, ssl.SSLError):
        pass  # the client gave up or refused our certificate: nothing to record
    finally:
        try:
            connection.close()
        except OSError:
            pass


def exit_when_stdin_closes():
    sys.stdin.read()
    os._exit(0)


def main():
    config = json.loads(sys.argv[1])
    folder = config["tls_dir"]
    make_tls_material(folder)
    contexts = {name: tls_context(folder, name) for name in ("server", "wrong")}
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.bind(("127.0.0.1", 0))
    listener.listen(16)
    output_lock = threading.Lock()
    print("PORT", listener.getsockname()[1], flush=True)
    threading.Thread(target=exit_when_stdin_closes, daemon=True).start()
    while True:
        connection, _ = listener.accept()
        threading.Thread(target=serve, args=(connection, config, contexts, output_lock), daemon=True).start()


if __name__ == "__main__":
    main()
