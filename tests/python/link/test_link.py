"""Every call of tessalink.Link against the emulated handheld, in each link
mode: what arrives on the handheld's side, what comes back, the commands
and releases on the wire, and the failures as exceptions with their codes."""

import os
import threading

import pytest

import tessalink

from conftest import wait_until


@pytest.fixture
def link(handheld):
    return tessalink.Link(handheld.mode, device=handheld.device)


def test_put_from_bytes_and_from_a_path_get_and_list(handheld, link, tmp_path):
    large = os.urandom(70000)
    source = tmp_path / "small.txt"
    source.write_bytes(b"a small file\r\n")
    link.put(large, "LARGE.BIN")
    link.put(source, "SMALL.TXT")
    assert (handheld.files / "LARGE.BIN").read_bytes() == large
    assert (handheld.files / "SMALL.TXT").read_bytes() == b"a small file\r\n"

    assert link.get("LARGE.BIN") == large
    assert link.get(b"SMALL.TXT", tmp_path / "copy.txt") == b"a small file\r\n"
    assert (tmp_path / "copy.txt").read_bytes() == b"a small file\r\n"

    entries = link.list()
    assert tessalink.Entry("LARGE.BIN", 70000) in entries
    assert tessalink.Entry("SMALL.TXT", 14) in entries
    assert b"LARGE.BIN\t70000\r\n" in link.list_raw()


@pytest.mark.parametrize("variant", [1, 2])
def test_put_sends_the_release_unless_told_not_to(handheld, link, variant):
    if variant == 2 and handheld.mode != 2:
        with pytest.raises(ValueError, match="mode 2"):
            link.put(b"x", "X.BIN", variant=2)
        return
    before = len(handheld.commands())
    link.put(b"with release", "R1.TXT", variant=variant)
    link.put(b"without", "R0.TXT", variant=variant, release=False)
    link.release()
    code = "FD" if variant == 1 else "DL"
    assert handheld.commands_after(before, 6) == \
        [f"C {code}", f"R {code} R1.TXT", "C LE", f"C {code}", f"R {code} R0.TXT", "C LE"]
    assert (handheld.files / "R1.TXT").read_bytes() == b"with release"
    assert (handheld.files / "R0.TXT").read_bytes() == b"without"


def test_get_many_fetches_over_one_connection_and_stores_only_whole_files(handheld, link, tmp_path):
    first, second = os.urandom(3000), os.urandom(600)
    (handheld.files / "G1.BIN").write_bytes(first)
    (handheld.files / "G2.BIN").write_bytes(second)
    out = tmp_path / "out"
    out.mkdir()
    (out / "G2.BIN").write_bytes(b"old copy")
    before = len(handheld.commands())
    stored = link.get_many(["G1.BIN", b"G2.BIN"], out)
    assert stored == [str(out / "G1.BIN"), str(out / "G2.BIN")]
    assert (out / "G1.BIN").read_bytes() == first
    assert (out / "G2.BIN").read_bytes() == second
    assert handheld.commands_after(before, 4) == ["C FU", "R FU G1.BIN", "C FU", "R FU G2.BIN"]

    # A name the handheld does not send stops the walk: the file before it
    # is stored, the ones from it on keep their old copies.
    (out / "G1.BIN").write_bytes(b"old one")
    (out / "G2.BIN").write_bytes(b"old two")
    with pytest.raises(tessalink.ProtocolError) as raised:
        link.get_many(["G1.BIN", "NO-SUCH.BIN", "G2.BIN"], out)
    assert raised.value.code == -100
    assert (out / "G1.BIN").read_bytes() == first
    assert (out / "G2.BIN").read_bytes() == b"old two"
    assert not (out / "NO-SUCH.BIN").exists()
    assert sorted(p.name for p in out.iterdir()) == ["G1.BIN", "G2.BIN"]

    with pytest.raises(ValueError):
        link.get_many(["../G1.BIN"], out)
    assert link.get_many([], out) == []


def test_put_many_sends_every_pair_in_order_then_one_release(handheld, link, tmp_path):
    source = tmp_path / "two.txt"
    source.write_bytes(b"two\r\n")
    before = len(handheld.commands())
    link.put_many([(b"one", "M1.TXT"), (source, "M2.TXT"), (b"", "M3.TXT")])
    assert handheld.commands_after(before, 7) == \
        ["C FD", "R FD M1.TXT", "C FD", "R FD M2.TXT", "C FD", "R FD M3.TXT", "C LE"]
    assert [(handheld.files / name).read_bytes() for name in ("M1.TXT", "M2.TXT", "M3.TXT")] == \
        [b"one", b"two\r\n", b""]
    assert link.get("M3.TXT") == b""


def test_put_many_checks_every_local_file_before_the_connection(handheld, link, tmp_path):
    before = len(handheld.commands())
    missing = tmp_path / "missing.bin"
    with pytest.raises(tessalink.LocalFileError) as raised:
        link.put_many([(b"first", "N1.TXT"), (missing, "N2.TXT")])
    assert raised.value.code == -500
    assert str(missing) in str(raised.value)
    link.release()  # the next command is the release's: none came before it
    assert handheld.commands_after(before, 1) == ["C LE"]
    assert not (handheld.files / "N1.TXT").exists()


def test_delete(handheld, link):
    (handheld.files / "GONE.TXT").write_bytes(b"soon gone")
    link.delete("GONE.TXT")
    assert not (handheld.files / "GONE.TXT").exists()
    link.delete("GONE.TXT")  # no such file: the handheld is not asked whether it had one


def test_names_in_the_code_page_round_trip(handheld, link):
    link.put(b"memo", "\u30e1\u30e2.TXT")
    name = "\u30e1\u30e2.TXT".encode("cp932")
    assert (handheld.files / os.fsdecode(name)).read_bytes() == b"memo"
    assert "\u30e1\u30e2.TXT" in [entry.name for entry in link.list()]


def test_send_text_and_receive_text(handheld, link):
    link.send_text("line one\r\nline two\r\n")
    wait_until(lambda: handheld.text_out.exists() and handheld.text_out.stat().st_size == 20,
               what="the text on the handheld")
    assert handheld.text_out.read_bytes() == b"line one\r\nline two\r\n"
    assert link.receive_text() == b"Hello from the handheld.\r\n"


def test_progress_counts_every_byte_to_the_total(handheld, link):
    data = os.urandom(20000)
    seen = []
    link.put(data, "PROGRESS.BIN", progress=lambda done, total: seen.append((done, total)))
    assert seen and seen[-1] == (20000, 20000)
    assert [done for done, _ in seen] == sorted(done for done, _ in seen)
    link_wide = tessalink.Link(handheld.mode, device=handheld.device,
                               progress=lambda done, total: seen.append(("get", done)))
    assert link_wide.get("PROGRESS.BIN") == data
    assert seen[-1] == ("get", 20000)


def test_a_callback_that_answers_true_cancels(handheld, link):
    before = len(handheld.connections())
    with pytest.raises(tessalink.Cancelled) as raised:
        link.put(os.urandom(200000), "CANCELLED.BIN", progress=lambda done, total: True)
    assert raised.value.code == 999
    assert str(raised.value) == "cancelled (result 999)"
    handheld.connections_after(before)  # the port was closed
    assert not (handheld.files / "CANCELLED.BIN").exists()
    link.put(b"after", "AFTER.TXT")
    assert (handheld.files / "AFTER.TXT").read_bytes() == b"after"


def test_an_exception_in_the_callback_cancels_and_is_raised_after_the_call(handheld, link):
    def progress(done, total):
        raise LookupError("from the callback")

    with pytest.raises(LookupError, match="from the callback"):
        link.put(os.urandom(200000), "RAISED.BIN", progress=progress)
    assert not (handheld.files / "RAISED.BIN").exists()
    link.release()  # the port was closed: the next call connects


def test_a_call_from_the_callback_is_refused(handheld, link):
    def progress(done, total):
        link.list()

    with pytest.raises(RuntimeError, match="progress callback"):
        link.put(b"x" * 1000, "INNER.TXT", progress=progress)


def test_two_threads_calling_at_once_take_turns(handheld, link):
    data = {name: os.urandom(30000) for name in ("T1.BIN", "T2.BIN")}
    for name, content in data.items():
        (handheld.files / name).write_bytes(content)
    start = threading.Barrier(2)
    results = {}

    def fetch(name):
        start.wait()
        try:
            results[name] = link.get(name)
        except Exception as error:  # reported below, by name
            results[name] = error

    threads = [threading.Thread(target=fetch, args=(name,)) for name in data]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    assert results == data


def test_get_to_a_path_writes_it_whole_or_not_at_all(handheld, link, tmp_path):
    target = tmp_path / "kept.txt"
    target.write_bytes(b"what was there")
    with pytest.raises(tessalink.ProtocolError) as raised:
        link.get("NO-SUCH-FILE.TXT", target)
    assert raised.value.code == -100
    assert str(raised.value) == "the handheld's reply was not the one expected (result -100)"
    assert target.read_bytes() == b"what was there"
    assert os.listdir(tmp_path) == ["kept.txt"]


def test_a_link_with_unusable_settings_leaves_the_next_link_its_own(handheld):
    with pytest.raises(tessalink.NoConnection) as raised:
        tessalink.Link(handheld.mode, device=handheld.device, send_block=2).list()
    assert raised.value.code == -999
    assert tessalink.Link(handheld.mode, device=handheld.device).list()
