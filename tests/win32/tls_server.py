#!/usr/bin/env python3
"""A news server over TLS on 127.0.0.1 for the Win32 tests, misbehaving on purpose by path.

tls_server.py DIR makes, once, a test CA (DIR/ca.der, which the tests add to their own Wine
prefix's trusted roots, never the machine's), a certificate it signed for "localhost", and a
self-signed one that nothing trusts. It serves the first on one port and the second on another,
writes "TRUSTED UNTRUSTED" to DIR/ports, and appends "PATH BYTES" to DIR/sent.log as each
connection ends: the bytes of the answer the client took in, head included ("?" for the path of
a connection that never sent a request).
  /news.txt     200, "secure news"
  /moved.txt    302 to /news.txt
  /missing.txt  404 with a page
  /trickle.txt  a head for 60 bytes, then one a second
  /silent.txt   nothing after the handshake, until the client goes
  /big.txt      1 MiB as fast as the client takes it (/huge.txt: 50 MiB)
"""
import os
import socket
import ssl
import subprocess
import sys
import threading
import time

folder = sys.argv[1]
os.makedirs(folder, exist_ok=True)


def path(name):
    return os.path.join(folder, name)


def openssl(*args):
    subprocess.run(["openssl", *args], check=True, capture_output=True)


def make_certificates():
    if os.path.exists(path("ca.der")):
        return
    openssl("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "30", "-subj", "/CN=Lumbrel Test CA",
            "-keyout", path("ca.key"), "-out", path("ca.pem"))
    openssl("req", "-newkey", "rsa:2048", "-nodes", "-subj", "/CN=localhost", "-keyout", path("server.key"),
            "-out", path("server.csr"))
    with open(path("server.ext"), "w") as ext:
        ext.write("subjectAltName=DNS:localhost\nextendedKeyUsage=serverAuth\nbasicConstraints=CA:FALSE\n")
    openssl("x509", "-req", "-in", path("server.csr"), "-CA", path("ca.pem"), "-CAkey", path("ca.key"),
            "-CAcreateserial", "-days", "30", "-extfile", path("server.ext"), "-out", path("server.pem"))
    openssl("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "30", "-subj", "/CN=localhost",
            "-addext", "subjectAltName=DNS:localhost", "-keyout", path("untrusted.key"), "-out", path("untrusted.pem"))
    openssl("x509", "-in", path("ca.pem"), "-outform", "der", "-out", path("ca.der"))


def body(size):
    alphabet = b"abcdefghijklmnopqrstuvwxyz"
    return (alphabet * (size // 26 + 1))[:size]


def head(status, length, extra=""):
    return f"HTTP/1.1 {status}\r\nContent-Type: text/plain\r\nContent-Length: {length}\r\n{extra}\r\n".encode()


log_lock = threading.Lock()


def serve(raw, context):
    sent = 0
    target = "?"
    try:
        raw.setsockopt(socket.SOL_SOCKET, socket.SO_SNDBUF, 8 * 1024)
        raw.settimeout(60)
        conn = context.wrap_socket(raw, server_side=True)
    except (OSError, ssl.SSLError):
        raw.close()
        return
    try:
        request = b""
        while b"\r\n\r\n" not in request:
            piece = conn.recv(2048)
            if not piece:
                return
            request += piece
        target = request.split(b" ")[1].decode(errors="replace")

        def send(data):
            nonlocal sent
            conn.sendall(data)
            sent += len(data)

        if target == "/news.txt":
            send(head("200 OK", 11) + b"secure news")
        elif target == "/moved.txt":
            send(head("302 Found", 5, "Location: /news.txt\r\n") + b"moved")
        elif target == "/missing.txt":
            send(head("404 Not Found", 22) + b"<h1>404 Not Found</h1>")
        elif target == "/trickle.txt":
            send(head("200 OK", 60))
            for _ in range(60):
                time.sleep(1)
                send(b"t")
        elif target == "/silent.txt":
            conn.recv(1)
        elif target in ("/big.txt", "/huge.txt"):
            data = body(1 << 20 if target == "/big.txt" else 50 << 20)
            send(head("200 OK", len(data)))
            for at in range(0, len(data), 4096):
                send(data[at:at + 4096])
    except (OSError, ssl.SSLError):
        pass
    finally:
        with log_lock, open(path("sent.log"), "a") as log:
            log.write(f"{target} {sent}\n")
        try:
            conn.close()
        except OSError:
            pass


def listen(certificate, key):
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.minimum_version = ssl.TLSVersion.TLSv1_2
    context.load_cert_chain(path(certificate), path(key))
    listener = socket.socket()
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("127.0.0.1", 0))
    listener.listen(16)

    def run():
        while True:
            raw, _ = listener.accept()
            threading.Thread(target=serve, args=(raw, context), daemon=True).start()

    threading.Thread(target=run, daemon=True).start()
    return listener.getsockname()[1]


make_certificates()
trusted = listen("server.pem", "server.key")
untrusted = listen("untrusted.pem", "untrusted.key")
with open(path("ports.new"), "w") as ports:
    ports.write(f"{trusted} {untrusted}\n")
os.replace(path("ports.new"), path("ports"))
while True:
    time.sleep(3600)
