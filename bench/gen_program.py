#!/usr/bin/env python3
"""Writes a large program source for the compile benchmark.

Every statement kind appears, with comments, blank lines and indentation.
Labels #0 to #99 are each defined exactly once and every jump refers to one
of them, so the whole run compiles (label pass included) and ends in "OK":
the benchmark measures a complete, successful compile.

Usage: gen_program.py LINES [SEED] > program.prgx
"""
import random
import sys

DEST = ["Us", "Uo", "Is", "Io", "Out", "M1", "M2", "M3", "M4", "M5", "M6",
        "M7", "M8", "T1", "T2", "T3", "T4", "K1", "ExIn", "ExOut"]
CMP = ["==", "!=", "<", "<=", ">", ">="]
OPS = ["+=", "-=", "/=", "*="]


def value(rnd, allow_ro=False):
    if rnd.random() < 0.5:
        names = DEST + (["Ro"] if allow_ro else [])
        return rnd.choice(names)
    return str(rnd.randint(-100000, 100000))


def statement(rnd):
    kind = rnd.randrange(14)
    pad = " " * rnd.randrange(3)
    if kind == 0:
        return pad + "nop;"
    if kind in (1, 2):
        return f"{pad}{rnd.choice(DEST)} = {value(rnd, True)};"
    if kind in (3, 4):
        return f"{pad}{rnd.choice(DEST)} {rnd.choice(OPS)} {value(rnd)};"
    if kind in (5, 6):
        tail = f" else #{rnd.randrange(1, 100)}" if rnd.random() < 0.5 else ""
        return (f"{pad}if {rnd.choice(DEST)} {rnd.choice(CMP)} {value(rnd)} "
                f"#{rnd.randrange(100)}{tail};")
    if kind == 7:
        return f"{pad}jmp #{rnd.randrange(100)};"
    if kind == 8:
        return f"{pad}delay_ms {rnd.randrange(100000)};"
    if kind == 9:
        return f"{pad}delay_s {rnd.randrange(1000)};"
    if kind == 10:
        return ""
    if kind == 11:
        return "// " + rnd.choice(["wait for the output", "ramp up", "комментарий"])
    if kind == 12:
        return f"{rnd.choice(DEST)} = 1; // switched on"
    return f"{rnd.choice(DEST)}={rnd.randint(-9, 9)};"


def main():
    total = int(sys.argv[1])
    rnd = random.Random(int(sys.argv[2]) if len(sys.argv) > 2 else 7040)
    # The first record is a nop, so no label sits at position 0 and every
    # else branch keeps its meaning.
    lines = ['prgName = "Bench";', "nop;"]
    body = total - len(lines) - 100
    label_at = sorted(rnd.sample(range(body), 100))
    labels = list(range(100))
    rnd.shuffle(labels)
    next_label = 0
    for i in range(body):
        while next_label < 100 and label_at[next_label] == i:
            lines.append(f"#{labels[next_label]};")
            next_label += 1
        lines.append(statement(rnd))
    sys.stdout.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
