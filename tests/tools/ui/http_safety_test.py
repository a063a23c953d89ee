"""The page's server at the HTTP level, run as `tessalink ui` against the
emulator: what it refuses (no or wrong token, a foreign Host or Origin, names
the handheld could not take, a zip with a path, a second job) and that its
temporary files are gone after a cancel."""

import http.client
import io
import json
import os
import pathlib
import signal
import subprocess
import threading
import time
import urllib.parse
import warnings
import zipfile

import pytest

CLI = os.environ["TESSALINK_CLI"]
HANDHELD = os.environ["TESSALINK_HANDHELD"]
BIG = 40000  # seconds on the paced line: long enough to be caught running


def wait_for(what, condition, seconds=20):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        value = condition()
        if value:
            return value
        time.sleep(0.05)
    raise AssertionError("timed out waiting for " + what)


class Server:
    """`tessalink ui` on a free port, and the emulator it talks to."""

    def __init__(self, work):
        self.work = work
        self.files = work / "handheld"
        self.files.mkdir()
        (self.files / "A.TXT").write_bytes(b"first\r\n")
        (self.files / "BIG.BIN").write_bytes(os.urandom(BIG))
        self.temp = work / "tmp"
        self.temp.mkdir()
        env_file = work / "emulator.env"
        self.emulator_log = open(work / "emulator.log", "w+")
        self.emulator = subprocess.Popen(
            [HANDHELD, "--mode", "2", "--dir", str(self.files), "--print-env-file", str(env_file),
             "--pace", "9600", "-v"], stdout=self.emulator_log, stderr=subprocess.STDOUT)
        wait_for("the emulator", lambda: env_file.exists() and env_file.read_text().strip())
        device = env_file.read_text().strip().split("=", 1)[1]
        environment = dict(os.environ, XDG_CONFIG_HOME=str(work / "config"), TMPDIR=str(self.temp))
        self.ui = subprocess.Popen([CLI, "ui", "--listen", "127.0.0.1:0", "--no-browser", "--mode", "2",
                                    "--device", device], stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                   env=environment, text=True)
        self.url = self.ui.stdout.readline().strip()
        parsed = urllib.parse.urlsplit(self.url)
        self.host = parsed.netloc
        self.port = parsed.port
        self.token = urllib.parse.parse_qs(parsed.query)["token"][0]

    def stop(self):
        if self.ui.poll() is None:
            self.ui.send_signal(signal.SIGINT)
        try:
            assert self.ui.wait(20) == 0
            assert self.temporary_files() == []
        finally:
            self.ui.kill()
            self.emulator.kill()
            self.emulator.wait()
            self.emulator_log.close()

    def request(self, method, path, body=None, headers=None, token=True, host=None):
        connection = http.client.HTTPConnection("127.0.0.1", self.port, timeout=120)
        connection.putrequest(method, path, skip_host=True, skip_accept_encoding=True)
        connection.putheader("Host", host if host is not None else self.host)
        all_headers = dict(headers or {})
        if token:
            all_headers.setdefault("Authorization", "Bearer " + self.token)
        if body is not None:
            all_headers.setdefault("Content-Length", str(len(body)))
        for name, value in all_headers.items():
            connection.putheader(name, value)
        connection.endheaders(body)
        response = connection.getresponse()
        data = response.read()
        connection.close()
        return response, data

    def json(self, method, path, **kwargs):
        response, data = self.request(method, path, **kwargs)
        return response.status, json.loads(data) if data else None

    def handheld_contacts(self):
        """How often the PC opened or closed the line so far."""
        self.emulator_log.flush()
        text = (self.work / "emulator.log").read_text()
        return text.count("the PC opened") + text.count("the PC closed")

    def temporary_files(self):
        return sorted(str(p.relative_to(self.temp)) for p in self.temp.rglob("*"))

    def settle(self):
        """The emulator sees the line closed after a cancel."""
        wait_for("the line closed", lambda: "closed the line" in (self.work / "emulator.log").read_text())
        time.sleep(0.3)


@pytest.fixture(scope="module")
def server(tmp_path_factory):
    running = Server(tmp_path_factory.mktemp("ui"))
    yield running
    running.stop()


def test_nothing_answers_without_the_token(server):
    for path in ["/", "/app.js", "/api/status", "/api/files", "/api/events"]:
        response, data = server.request("GET", path, token=False)
        assert response.status == 401, path
        assert "token" in json.loads(data)["error"]
    response, _ = server.request("GET", "/api/status", headers={"Authorization": "Bearer " + "0" * 64})
    assert response.status == 403
    response, _ = server.request("GET", "/api/status", token=False,
                                 headers={"Cookie": "tessalink-token-%d=%s" % (server.port, "f" * 64)})
    assert response.status == 403
    response, _ = server.request("GET", "/?token=" + "0" * 64, token=False)
    assert response.status == 403
    assert server.handheld_contacts() == 0


def test_the_page_address_sets_a_strict_cookie_that_then_serves(server):
    response, _ = server.request("GET", "/?token=" + server.token, token=False)
    assert response.status == 303
    assert response.getheader("Location") == "/"
    cookie = response.getheader("Set-Cookie")
    assert "HttpOnly" in cookie and "SameSite=Strict" in cookie
    response, data = server.request("GET", "/", token=False, headers={"Cookie": cookie.split(";")[0]})
    assert response.status == 200
    assert b"app.js" in data
    csp = response.getheader("Content-Security-Policy")
    assert "script-src 'self'" in csp and "unsafe" not in csp and "default-src 'none'" in csp


def test_a_foreign_host_is_refused_with_the_token(server):
    for host in ["evil.example:%d" % server.port, "localhost.evil.example:%d" % server.port,
                 "127.0.0.1:1", ""]:
        response, _ = server.request("GET", "/api/files", host=host)
        assert response.status == 403, host
    status, _ = server.json("GET", "/api/status", host="localhost:%d" % server.port)
    assert status == 200
    assert server.handheld_contacts() == 0


def test_a_change_from_another_site_is_refused_and_no_cors(server):
    for method, path in [("POST", "/api/release"), ("DELETE", "/api/files/A.TXT"), ("POST", "/api/cancel"),
                         ("PUT", "/api/settings"), ("OPTIONS", "/api/files")]:
        response, _ = server.request(method, path, body=b"{}" if method == "PUT" else None,
                                     headers={"Origin": "http://evil.example"})
        assert response.status == 403, (method, path)
        assert response.getheader("Access-Control-Allow-Origin") is None
    assert server.handheld_contacts() == 0
    assert (server.files / "A.TXT").exists()
    status, _ = server.json("POST", "/api/cancel", headers={"Origin": "http://" + server.host})
    assert status == 200


@pytest.mark.parametrize("method", ["GET", "PUT", "DELETE"])
def test_names_the_handheld_could_not_take_are_refused_before_the_port_opens(server, method):
    before = server.handheld_contacts()
    for name in ["", "..", ".", "..%2Fevil.txt", "a%2Fb", "a%5Cb", "a%7C9", "a%00b", "a%0Ab", "A" * 300,
                 "%F0%9F%98%80"]:
        response, data = server.request(method, "/api/files/" + name, body=b"x" if method == "PUT" else None)
        assert response.status == 400, (method, name, data)
        assert json.loads(data)["code"] is None
    assert server.handheld_contacts() == before
    assert sorted(p.name for p in server.files.iterdir()) == ["A.TXT", "BIG.BIN"]


def zip_of(entries):
    data = io.BytesIO()
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")  # the duplicate name is meant
        with zipfile.ZipFile(data, "w") as archive:
            for name, content in entries:
                archive.writestr(name, content)
    return data.getvalue()


def test_a_zip_with_a_path_is_refused_and_nothing_sent(server):
    before = server.handheld_contacts()
    for entries in [[("GOOD.TXT", b"x"), ("../evil.txt", b"x")], [("GOOD.TXT", b"x"), ("sub/inner.txt", b"x")],
                    [("GOOD.TXT", b"x"), ("/abs.txt", b"x")], [("GOOD.TXT", b"x"), ("GOOD.TXT", b"y")],
                    [("GOOD.TXT", b"x"), ("a|b", b"x")]]:
        status, body = server.json("POST", "/api/restore", body=zip_of(entries),
                                   headers={"Content-Type": "application/zip"})
        assert status == 400, entries
        assert body["error"]
    status, _ = server.json("POST", "/api/restore", body=b"PK\x03\x04 no zip",
                            headers={"Content-Type": "application/zip"})
    assert status == 400
    assert server.handheld_contacts() == before
    assert sorted(p.name for p in server.files.iterdir()) == ["A.TXT", "BIG.BIN"]
    assert not (server.work / "evil.txt").exists()
    assert server.temporary_files() == [next(iter(server.temporary_files()))]  # the server's own folder


def test_a_body_beyond_the_bound_is_refused_before_it_is_read(server):
    response, _ = server.request("PUT", "/api/files/HUGE.BIN", headers={"Content-Length": str(2 ** 31)})
    assert response.status == 413
    assert not (server.files / "HUGE.BIN").exists()


def test_settings_are_checked_and_saved(server):
    status, body = server.json("PUT", "/api/settings", body=b'{"send-block": "3"}')
    assert status == 400 and "send-block" in body["error"]
    status, body = server.json("PUT", "/api/settings", body=b'{"timeout": 30}')
    assert status == 200 and body["timeout"] == "30"
    assert "timeout = 30" in (server.work / "config" / "tessalink" / "config").read_text()
    status, body = server.json("PUT", "/api/settings", body=b'{"timeout": ""}')
    assert status == 200 and body["timeout"] == ""


def get_in_background(server, path):
    result = {}

    def run():
        result["status"], result["body"] = server.json("GET", path)
    thread = threading.Thread(target=run)
    thread.start()
    wait_for("the job", lambda: server.json("GET", "/api/status")[1]["busy"])
    return thread, result


def test_a_second_job_while_one_runs_is_told_who_is_busy_and_cancel_leaves_no_file(server):
    thread, result = get_in_background(server, "/api/files/BIG.BIN")
    wait_for("bytes of BIG.BIN", lambda: (server.json("GET", "/api/status")[1]["job"] or {}).get("bytes", 0) > 0)
    assert any(name.endswith("/file") for name in server.temporary_files())
    for method, path in [("GET", "/api/files"), ("POST", "/api/release"), ("GET", "/api/backup.zip")]:
        status, body = server.json(method, path)
        assert status == 409, path
        assert body["error"] == "busy: get BIG.BIN runs"
    status, body = server.json("POST", "/api/cancel")
    assert status == 200 and body["cancelled"] is True
    thread.join(30)
    assert result["status"] == 502 and result["body"]["code"] == 999
    assert "cancelled" in result["body"]["error"]
    assert len(server.temporary_files()) == 1  # the server's own, empty folder
    server.settle()
    status, body = server.json("GET", "/api/files")
    assert status == 200 and {"name": "A.TXT", "size": 7} in body


def test_an_upload_cancelled_while_it_arrives_leaves_no_file(server):
    connection = http.client.HTTPConnection("127.0.0.1", server.port, timeout=60)
    connection.putrequest("PUT", "/api/files/SLOW.BIN", skip_host=True, skip_accept_encoding=True)
    connection.putheader("Host", server.host)
    connection.putheader("Authorization", "Bearer " + server.token)
    connection.putheader("Content-Length", "100000")
    connection.endheaders()
    connection.send(b"x" * 30000)
    wait_for("the upload's file", lambda: any(n.endswith("/file") for n in server.temporary_files()))
    status, body = server.json("POST", "/api/cancel")
    assert status == 200 and body["cancelled"] is True
    response = connection.getresponse()
    assert response.status == 502 and json.loads(response.read())["code"] == 999
    connection.close()
    wait_for("the temporary files gone", lambda: len(server.temporary_files()) == 1)
    assert not (server.files / "SLOW.BIN").exists()


def test_an_address_in_use_or_beyond_loopback_is_told(server, tmp_path):
    environment = dict(os.environ, XDG_CONFIG_HOME=str(tmp_path))
    taken = subprocess.run([CLI, "ui", "--no-browser", "--listen", server.host, "--device", "/dev/null"],
                           capture_output=True, text=True, timeout=30, env=environment)
    assert taken.returncode == 7
    assert "cannot listen on " + server.host in taken.stderr
    wide = subprocess.Popen([CLI, "ui", "--no-browser", "--listen", "0.0.0.0:0", "--device", "/dev/null"],
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True, env=environment)
    try:
        assert wide.stdout.readline().startswith("http://0.0.0.0:")
        assert "which other machines can reach" in wide.stderr.readline()
    finally:
        wide.send_signal(signal.SIGINT)
        assert wide.wait(20) == 0


def open_events(server):
    connection = http.client.HTTPConnection("127.0.0.1", server.port, timeout=30)
    connection.putrequest("GET", "/api/events", skip_host=True, skip_accept_encoding=True)
    connection.putheader("Host", server.host)
    connection.putheader("Authorization", "Bearer " + server.token)
    connection.endheaders()
    return connection, connection.getresponse()


def test_event_streams_are_bounded_and_leave_the_server_answering(server):
    streams = [open_events(server) for _ in range(8)]
    assert all(response.status == 200 for _, response in streams)
    assert streams[0][1].readline() == b"retry: 1000\n"
    extra, response = open_events(server)
    assert response.status == 503
    extra.close()
    status, _ = server.json("GET", "/api/status")
    assert status == 200
    for connection, _ in streams:
        connection.close()
    wait_for("a stream free again", lambda: open_events(server)[1].status == 200)


def test_ctrl_c_cancels_the_running_job_then_stops_and_leaves_no_file(tmp_path):
    own = Server(tmp_path)
    try:
        thread, result = get_in_background(own, "/api/files/BIG.BIN")
        wait_for("bytes of BIG.BIN", lambda: (own.json("GET", "/api/status")[1]["job"] or {}).get("bytes", 0) > 0)
        own.ui.send_signal(signal.SIGINT)
        assert own.ui.wait(20) == 0
        thread.join(30)
        assert result["status"] == 502 and result["body"]["code"] == 999
        assert "cancelling the running job" in own.ui.stderr.read()
        assert own.temporary_files() == []
    finally:
        own.stop()


def test_the_browser_opens_on_a_private_file_so_the_token_stays_out_of_the_process_list(tmp_path):
    bin_dir = tmp_path / "bin"
    bin_dir.mkdir()
    seen = tmp_path / "seen"
    opener = bin_dir / "xdg-open"
    opener.write_text('#!/bin/sh\nprintf "%%s\\n" "$*" > "%s.args"\nstat -c %%a "$(dirname "$1")" > "%s.mode"\n'
                      'cat "$1" > "%s.page"\n' % (seen, seen, seen))
    opener.chmod(0o755)
    environment = dict(os.environ, PATH=str(bin_dir) + ":" + os.environ["PATH"],
                       XDG_CONFIG_HOME=str(tmp_path / "config"), TMPDIR=str(tmp_path))
    ui = subprocess.Popen([CLI, "ui", "--listen", "127.0.0.1:0", "--device", "/dev/null"],
                          stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True, env=environment)
    try:
        url = ui.stdout.readline().strip()
        page = pathlib.Path(str(seen) + ".page")
        wait_for("the browser opened", lambda: page.exists() and page.read_text())
        token = url.split("token=")[1]
        args = pathlib.Path(str(seen) + ".args").read_text()
        assert token not in args
        assert pathlib.Path(str(seen) + ".mode").read_text().strip() == "700"
        assert url in page.read_text()
    finally:
        ui.send_signal(signal.SIGINT)
        assert ui.wait(20) == 0
