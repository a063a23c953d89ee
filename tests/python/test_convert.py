"""The conversions, each checked against the command-line tool's result for
the same input: the tool calls the same exports with buffers of its own, so
the two agree only if the package sizes and reads its buffers right."""

import random
import subprocess

import pytest

import tessalink

from conftest import CLI

pytestmark = pytest.mark.skipif(not CLI, reason="TESSALINK_CLI names no tool")

ALPHABET_4TO3 = b"012345ABCDEFGHIJKLMNOPQRSTUVWXYZ6789:;abcdefghijklmnopqrstuvwxyz"
SJIS_MEMO = "\u4e88\u5b9a: \u4f1a\u8b70 10:00".encode("cp932")  # double-byte characters and ASCII


def tool(command, data, *options):
    finished = subprocess.run([CLI, command, *options], input=data, capture_output=True, check=True)
    return finished.stdout


def random_bytes(seed, size, alphabet):
    generator = random.Random(seed)
    return bytes(generator.choice(alphabet) for _ in range(size))


@pytest.mark.parametrize("text", [
    b"", b"ABCD", b"ABC", b"AB", b"A", b"AB CD\r\nEF-GH", ALPHABET_4TO3, b"\xff\x80ABCD\x7f",
    pytest.param(random_bytes(1, 3000, ALPHABET_4TO3), id="random-alphabet"),
    pytest.param(random_bytes(2, 3000, ALPHABET_4TO3 + b" \r\n\x01\xfe"), id="random-with-others"),
])
def test_decode_4to3(text):
    assert tessalink.decode_4to3(text) == tool("decode43", text)


@pytest.mark.parametrize("text", [
    b"", b"414243", b"4142434", b"4a4B", b"zz\x80\xff", b"0123456789ABCDEF",
    pytest.param(random_bytes(3, 2001, b"0123456789ABCDEF"), id="random-digits"),
    pytest.param(random_bytes(4, 2000, bytes(range(1, 256))), id="random-bytes"),
])
def test_hex_to_binary(text):
    if text.endswith((b"\r", b"\n")):  # the tool drops line ends that close its input
        text = text.rstrip(b"\r\n")
    assert tessalink.hex_to_binary(text) == tool("hex2bin", text)


def test_the_decoders_take_str_too():
    assert tessalink.decode_4to3("ABCD") == tessalink.decode_4to3(b"ABCD")
    assert tessalink.hex_to_binary("414243") == b"ABC"


@pytest.mark.parametrize("text", [
    b"", b"plain text", SJIS_MEMO, b"\xeb\x40ab\xfc\xfc\xfdx", b"\x98\x73\x98\x9e\x98\x9f\xed\x40\xed\x75\xed\x76",
    b"ends with a lead byte \x98", pytest.param(random_bytes(5, 4000, bytes(range(1, 256))), id="random-bytes"),
])
def test_code_mask(text):
    assert tessalink.code_mask(text) == tool("codemask", text)


LAYOUT_TEXTS = [
    [b"hello world"],
    [b"one", b"two\x1fthree", b"four\rfive"],
    [b"MEM1:header", b"kept\x1edropped"],
    [SJIS_MEMO, SJIS_MEMO * 3],
    pytest.param([random_bytes(6, 300, bytes(range(1, 256)).replace(b"\n", b""))], id="random-bytes"),
]
LABELLED_TEXTS = [
    [b"Name\tTessa", b"Phone\t0123-456-789", b"a note without a label that runs on"],
    [b"no tab first", b"Label\tvalue"],
    [b"\tvalue only", b"a very long label indeed\tshort", SJIS_MEMO + b"\t" + SJIS_MEMO],
]


@pytest.mark.parametrize("width", [0, 1, 5, 20])
@pytest.mark.parametrize("lines", LAYOUT_TEXTS)
def test_layout_mem(lines, width):
    # The tool makes one string of each line.
    assert tessalink.layout_mem(b"\0".join(lines), width) == \
        tool("layout-mem", b"\n".join(lines), "--width", str(width))


@pytest.mark.parametrize("widths", [(0, 0), (20, 8), (30, 1), (13, 40)])
@pytest.mark.parametrize("lines", LABELLED_TEXTS + LAYOUT_TEXTS[:2])
def test_layout_rep(lines, widths):
    line_width, value_width = widths
    assert tessalink.layout_rep(b"\0".join(lines), line_width, value_width) == \
        tool("layout-rep", b"\n".join(lines), "--width", str(line_width), "--value-width", str(value_width))


def test_layouts_stop_at_an_empty_string():
    assert tessalink.layout_mem(b"first\0\0never laid out\0", 0) == tessalink.layout_mem(b"first", 0)


@pytest.mark.parametrize("convert", [tessalink.decode_4to3, tessalink.hex_to_binary, tessalink.code_mask])
def test_a_zero_byte_would_cut_the_text_short(convert):
    with pytest.raises(ValueError, match="zero byte at offset 2"):
        convert(b"AB\0CD")
