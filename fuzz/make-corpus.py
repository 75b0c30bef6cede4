#!/usr/bin/env python3
"""Writes the seed corpora under fuzz/corpus/<target>/ from the cases the
test suites use. Run from anywhere; rewrites the seed files it owns."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def crc16(data, crc=0xFFFF):
    for b in data:
        crc ^= b << 8
        for _ in range(8):
            crc = ((crc << 1) ^ 0x1021) if crc & 0x8000 else (crc << 1)
            crc &= 0xFFFF
    return crc


def with_crc(data):
    c = crc16(data)
    return bytes(data) + bytes([c >> 8, c & 0xFF])


def frame(data, lower=False):
    h = bytes(data).hex()
    return b"#" + (h if lower else h.upper()).encode() + b"\r"


def record(func, oper=0, arg1=0, arg2=0, arg3=0, arg4=0):
    return struct.pack("<BBiihh", func, oper, arg1, arg2, arg3, arg4)


def write(target, name, data):
    d = os.path.join(HERE, "corpus", target)
    os.makedirs(d, exist_ok=True)
    with open(os.path.join(d, name), "wb") as f:
        f.write(data)


def reply_seeds():
    rec = record(1, 0, 100)
    size = with_crc(bytes([200, 1, 0xB4, 0x02, 3]))
    name = with_crc(bytes([200, 1, 0xB8, 0x02]) + b"Prg1 ")
    line = with_crc(bytes([200, 1, 0xB0, 0x02]) + rec)
    ack = with_crc(bytes([200, 1, 0xB0, 0x1F]))
    cases = {
        "size": (4, frame(size)),
        "name": (8, frame(name)),
        "line": (17, frame(line)),
        "ack": (0, frame(ack)),
        "nak": (0, frame(with_crc(bytes([200, 1, 0xB0, 0x92])))),
        "lowercase": (4, frame(size, lower=True)),
        "odd": (4, frame(size)[:-2] + b"\r"),
        "garbage": (4, b"\x00\xff~noise 12AB\n" + frame(size)),
        "wrongaddr": (4, frame(with_crc(bytes([201, 1, 0xB4, 0x02, 3])))),
        "short": (17, frame(with_crc(bytes([200, 1, 0xB0, 0x02]) + rec[:-1]))),
        "badcrc": (4, frame(size[:-1] + bytes([size[-1] ^ 0x5A]))),
        "split": (4, frame(size)[:5] + b"\r"),
        "empty": (0, b"#\r"),
        "twoframes": (4, frame(size) + frame(ack)),
    }
    for n, (minimum, raw) in cases.items():
        write("fuzz_reply", n, bytes([minimum]) + raw)


def decoder_seeds():
    example = [record(10, 0, 1), record(1, 0, 100), record(2, 0x80, 6, 2, 0, 4),
               record(4, 0, 500), record(10, 0, 2), record(3, 0, 0)]
    cases = {
        "worked": (b"Test ", example),
        "nop": (b"Prg1 ", [record(0)]),
        "loop": (b"Prg1 ", [record(10, 0, 3), record(1, 0, 100), record(3, 0, 0)]),
        "duplicate": (b"AB   ", [record(3, 0, 5), record(10, 0, 7), record(10, 0, 7)]),
        "badif": (b"AB   ", [record(2, 0, 0, 0, 1, 0)]),
        "elselabel0": (b"x    ", [record(1), record(10, 0, 0), record(2, 0, 0, 0, 1, 1)]),
        "operands": (b"M    ", [record(1, 0x40, 6), record(9, 0x8E, 7), record(7, 3, -5),
                                record(1, 0, -2**31), record(2, 3, -5, 5, 4, 0),
                                record(10, 0, 12)]),
        "unknown": (b"\x00Z   ", [record(11), record(200)]),
        "delays": (b"  Q  ", [record(5, 0, 2), record(4, 0, 2**31 - 1)]),
    }
    for n, (name, recs) in cases.items():
        write("fuzz_decoder", n, name + b"".join(recs))


def compiler_seeds():
    cases = {
        "worked": 'prgName = "Test";\n#1;\nUs = 100;\nif Us < M1 #1 else #2;\n'
                  'delay_ms 500;\n#2;\njmp #1;',
        "all": 'prgName="Prg1";\n// comment\nnop;\n#05;\nM1 += 3;\nT2 -= -7;\nK1 /= M8;\n'
               'ExOut *= ExIn;\nOut = Ro;\nif Io >= -5 #5;\nif Us != Uo #5 else #5 ;\n'
               'delay_s 2;\n\tjmp\t#5;\n',
        "errors": 'prgName = "Prg1";\nfoo;\nUs = 99999999999;\nif Us <> 1 #1;\njmp #4;\n#3;\n#3;\n',
        "misplaced": 'Us = 1;\nprgName = "AB";\n',
        "cyrillic": 'prgName = "Жя_9";\r\n#0;\r\nUs\u00a0= 1;\u2028jmp #0;\n',
        "elsezero": '#1;\n#0;\nif Us == 1 #1 else #0;\n',
        "elsefirst": '#1;\nif Us == 1 #1 else #1;\n',
        "unicode": 'prgName = "\u0661\u0662";\n#\u0663;\nUs = \u0664\u0665;\n\u3000nop;\u3000\n',
    }
    for n, text in cases.items():
        write("fuzz_compiler", n, text.encode("utf-8"))


def request_seeds():
    rec = record(1, 0, 100)
    cases = {
        "readsize": frame(with_crc(bytes([1, 200, 0xB4, 0x02]))),
        "readname": frame(with_crc(bytes([1, 200, 0xBA, 0x02]))),
        "readline": frame(with_crc(bytes([1, 200, 0xB0, 0x02, 0]))),
        "writeline": frame(with_crc(bytes([1, 200, 0xB1, 0x12]) + rec + b"\x03")),
        "writesize": frame(with_crc(bytes([1, 200, 0xB5, 0x12, 6]))),
        "writename": frame(with_crc(bytes([1, 200, 0xBB, 0x12]) + b"Prg1 ")),
        "badreg": frame(with_crc(bytes([1, 200, 0x10, 0x02]))),
        "stream": b"noise#01#" + frame(with_crc(bytes([1, 200, 0xB4, 0x02]))) + b"\r\r#zz\r"
                  + frame(with_crc(bytes([1, 200, 0xB5, 0x12, 101]))),
        "lowercase": frame(with_crc(bytes([1, 200, 0xB4, 0x02])), lower=True),
    }
    for n, data in cases.items():
        write("fuzz_request", n, data)


reply_seeds()
decoder_seeds()
compiler_seeds()
request_seeds()
