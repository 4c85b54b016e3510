#!/usr/bin/env python3
"""Writes an example instance on a university's own week, with its semana.txt.

    tools/make_own_week.py DIRECTORY [--sections N] [--rooms R] [--seed S]

The week has 100-minute blocks: 08:00, 09:50, 13:30, 15:20, 19:00 and 20:50
from Monday to Friday, 08:00 and 09:50 on Saturday, and one Sunday morning
block. A section meets one to three times a week, each meeting one line of
horario.txt over one or two blocks; some lines keep their own times (08:00 to
10:30 holds both morning blocks). One course meets on Sunday. No block holds
more meetings than there are rooms. The same seed always gives the same files.
"""
import argparse
import os
import random

DAY_BLOCKS = [(480, 580), (590, 690), (810, 910), (920, 1020), (1140, 1240), (1250, 1350)]
WEEK = {1: [(480, 580)], 2: DAY_BLOCKS, 3: DAY_BLOCKS, 4: DAY_BLOCKS, 5: DAY_BLOCKS, 6: DAY_BLOCKS,
        7: DAY_BLOCKS[:2]}
# Block pairs a meeting may hold whole: the morning, the afternoon, the evening.
PAIRS = [0, 2, 4]
KINDS = ["Sala", "Sala", "Lab.", "Anfiteatro"]
COURSES = [(1, [101, 121, 140, 212]), (2, [110, 120, 201]), (3, [120, 130, 220]), (4, [101, 180, 250]),
           (5, [150, 160]), (6, [110, 210])]


def clock(minutes):
    return "%02d:%02d" % (minutes // 60, minutes % 60)


def meeting_lines(rng, weekday):
    """(start, end, blocks) of one meeting: one block, two blocks, or its own times within two."""
    blocks = WEEK[weekday]
    shape = rng.random()
    if weekday == 1 or shape < 0.45:
        block = rng.randrange(len(blocks))
        return blocks[block][0], blocks[block][1], [block]
    pair = rng.choice([p for p in PAIRS if p + 1 < len(blocks)])
    start, end = blocks[pair][0], blocks[pair + 1][1]
    if shape > 0.85:  # its own times: a late start or an early end, still meeting both blocks
        start, end = (start + 30, end) if rng.random() < 0.5 else (start, end - 60)
    return start, end, [pair, pair + 1]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("directory")
    parser.add_argument("--sections", type=int, default=200)
    parser.add_argument("--rooms", type=int, default=20)
    parser.add_argument("--seed", type=int, default=25)
    args = parser.parse_args()
    rng = random.Random(args.seed)
    os.makedirs(args.directory, exist_ok=True)
    path = lambda name: os.path.join(args.directory, name)

    sizes = [30, 40, 45, 50, 60, 75, 90, 120]
    rooms = sorted(rng.choice(sizes) for _ in range(args.rooms))
    with open(path("capacidade.txt"), "w", newline="\n", encoding="latin-1") as f:
        for room, seats in enumerate(rooms, start=1):
            f.write("%d|%d|%s %d%02d|\n" % (room, seats, KINDS[room % len(KINDS)], 1 + room // 10, room % 10))
    with open(path("semana.txt"), "w", newline="\n") as f:
        for weekday, blocks in WEEK.items():
            for start, end in blocks:
                f.write("%d|%s|%s|\n" % (weekday, clock(start), clock(end)))
    with open(path("peso.par"), "w", newline="\n") as f:
        f.write("5 1\n")

    load, demands, timetable, used = {}, [], [], {}
    while len(demands) < args.sections:
        course_type, numbers = rng.choice(COURSES)
        number = rng.choice(numbers)
        sunday = len(demands) == 0  # the first course meets on Sunday morning
        count = 1 if sunday else rng.choice([1, 2, 2, 2, 3, 3])
        days = [1] if sunday else sorted(rng.sample([2, 3, 4, 5, 6, 7], count))
        meetings = [(day,) + meeting_lines(rng, day) for day in days]
        if any(load.get((day, b), 0) >= args.rooms for day, _, _, blocks in meetings for b in blocks):
            continue
        for day, _, _, blocks in meetings:
            for b in blocks:
                load[(day, b)] = load.get((day, b), 0) + 1
        section = used[(course_type, number)] = used.get((course_type, number), 0) + 1
        demands.append("%d|%d|%d|%d|" % (course_type, number, section, max(10, min(120, int(rng.gauss(45, 20))))))
        for day, start, end, _ in meetings:
            timetable.append("%d|%d|%d|T|%d|%s|%s|" % (course_type, number, section, day, clock(start), clock(end)))

    with open(path("demanda.txt"), "w", newline="\n") as f:
        f.write("\n".join(demands) + "\n")
    with open(path("horario.txt"), "w", newline="\n") as f:
        f.write("\n".join(timetable) + "\n")


if __name__ == "__main__":
    main()
