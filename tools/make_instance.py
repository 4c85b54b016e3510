#!/usr/bin/env python3
"""Writes a realistic example instance for alocacao: a department's week.

    tools/make_instance.py DIRECTORY [--sections N] [--seed S]
                           [--per-slot K] [--labs F] [--day-edge F]
                           [--rooms R] [--seat-sizes K] [--names] [--courses C]

The same seed always gives the same files. Most sections meet twice a week,
two consecutive blocks on two different weekdays; some meet once; a few have
one, three or four blocks. Mornings are busier than afternoons and evenings.
No slot holds more than K meetings (7 by default, the real rooms; 8 counts
the overflow column too), so every meeting can have a room. A share F of the
sections can be laboratories of five to eight blocks (--labs), or meet in the
last blocks of one day and the first of the next (--day-edge).

With --rooms R (other than the department's 7) the rooms get seats drawn from
K distinct sizes (--seat-sizes, 15 by default), K = R by default; --names
gives each room a name in capacidade.txt, and --courses C writes cursos.txt
with C course types and their codes, the sections spread over them.
"""
import argparse
import os
import random

BLOCK_STARTS = [450, 500, 570, 620, 680, 730, 780, 830, 900,
                950, 1010, 1060, 1110, 1140, 1190, 1260, 1310]
ROOMS = [30, 40, 45, 50, 60, 75, 90]
# Blocks that start a two-block meeting, with how often a planner picks them.
PAIR_STARTS = {1: 9, 3: 9, 5: 5, 7: 4, 9: 4, 11: 3, 14: 3, 16: 2}
WEEKDAY_PAIRS = [(2, 4), (3, 5), (4, 6), (2, 5), (3, 6)]
COURSE_NUMBERS = {1: [101, 102, 121, 140, 212, 301], 2: [110, 120, 201, 211],
                  3: [120, 121, 130, 220], 4: [101, 180, 230, 250, 310],
                  5: [150, 160, 260], 6: [110, 210, 220]}


NAME_KINDS = ["Sala", "Lab.", "Anfiteatro", "Sala", "Sala"]
COURSE_CODES = ["MTM", "QUI", "FIS", "CIC", "COM", "CBI", "ENG", "ECO", "ADM", "DIR",
                "MED", "ENF", "ARQ", "LET", "HIS", "GEO", "PSI", "EST", "EDF", "ENGPROD"]


def slot(weekday, block):
    return (weekday - 2) * 17 + block


def block_end(block):
    """Where block 1..17 ends: 50 minutes on, or at the next block's start when
    that comes sooner (18:30 ends at 19:00), so that each line holds its block alone."""
    start = BLOCK_STARTS[block - 1]
    return start + 50 if block == len(BLOCK_STARTS) else min(start + 50, BLOCK_STARTS[block])


def clock(minutes):
    return "%02d:%02d" % (minutes // 60, minutes % 60)


class Week:
    def __init__(self, per_slot):
        self.load = {}
        self.per_slot = per_slot

    def fits(self, weekday, blocks):
        if weekday == 7 and max(blocks) > 5:
            return False
        return all(self.load.get(slot(weekday, b), 0) < self.per_slot for b in blocks)

    def take(self, weekday, blocks):
        for b in blocks:
            self.load[slot(weekday, b)] = self.load.get(slot(weekday, b), 0) + 1


def special_meetings(rng, kind):
    """A laboratory, or the end of one day and the start of the next."""
    if kind == "lab":
        length = rng.randint(5, 8)
        first = rng.randint(1, 17 - length + 1)
        return [(rng.choice([2, 3, 4, 5, 6]), list(range(first, first + length)))]
    day = rng.choice([2, 3, 4, 5, 6])
    late = [17] if rng.random() < 0.5 else [16, 17]
    early = [1] if rng.random() < 0.5 else [1, 2]
    return [(day, late), (day + 1, early)]


def pick_meetings(rng, week, labs, day_edge):
    """The (weekday, blocks) meetings of one section, or None when the week is too full."""
    kind = None
    if labs or day_edge:
        draw = rng.random()
        kind = "lab" if draw < labs else "edge" if draw < labs + day_edge else None
    shape = rng.random()
    for _ in range(200):
        if kind is not None:
            meetings = special_meetings(rng, kind)
        elif shape < 0.70:
            first = rng.choices(list(PAIR_STARTS), weights=list(PAIR_STARTS.values()))[0]
            days = rng.choice(WEEKDAY_PAIRS)
            meetings = [(d, [first, first + 1]) for d in days]
        elif shape < 0.85:
            first = rng.choices(list(PAIR_STARTS), weights=list(PAIR_STARTS.values()))[0]
            meetings = [(rng.choice([2, 3, 4, 5, 6, 7]), [first, first + 1])]
        else:
            length = rng.choice([1, 3, 4])
            first = rng.randint(1, 17 - length + 1)
            meetings = [(rng.choice([2, 3, 4, 5, 6]), list(range(first, first + length)))]
        if all(week.fits(d, b) for d, b in meetings):
            for d, b in meetings:
                week.take(d, b)
            return meetings
    return None


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("directory")
    parser.add_argument("--sections", type=int, default=96)
    parser.add_argument("--seed", type=int, default=2026)
    parser.add_argument("--per-slot", type=int, default=7)
    parser.add_argument("--labs", type=float, default=0.0)
    parser.add_argument("--day-edge", type=float, default=0.0)
    parser.add_argument("--rooms", type=int, default=len(ROOMS))
    parser.add_argument("--seat-sizes", type=int, default=15)
    parser.add_argument("--names", action="store_true")
    parser.add_argument("--courses", type=int, default=0)
    args = parser.parse_args()
    rng = random.Random(args.seed)
    layout = random.Random(args.seed + 1)  # rooms and courses, apart from the department's draws
    week = Week(args.per_slot if args.per_slot != 7 or args.rooms == len(ROOMS) else args.rooms)
    os.makedirs(args.directory, exist_ok=True)
    path = lambda name: os.path.join(args.directory, name)

    rooms = ROOMS
    if args.rooms != len(ROOMS):
        sizes = sorted(layout.sample(range(20, 165, 5), args.seat_sizes))
        rooms = sorted(layout.choice(sizes) for _ in range(args.rooms))
    with open(path("capacidade.txt"), "w", newline="\n", encoding="latin-1") as f:
        for room, seats in enumerate(rooms, start=1):
            name = "%s %d%02d|" % (NAME_KINDS[room % len(NAME_KINDS)], 1 + room // 20, room % 20) if args.names else ""
            f.write("%d|%d|%s\n" % (room, seats, name))
    course_numbers = dict(COURSE_NUMBERS)
    if args.courses:
        with open(path("cursos.txt"), "w", newline="\n") as f:
            for course_type in range(1, args.courses + 1):
                f.write("%d|%s|\n" % (course_type, COURSE_CODES[(course_type - 1) % len(COURSE_CODES)]))
                course_numbers.setdefault(course_type, sorted(layout.sample(range(100, 400), 5)))
    with open(path("peso.par"), "w", newline="\n") as f:
        f.write("5 1\n")

    demands, timetable, used = [], [], set()
    while len(demands) < args.sections:
        course_type = rng.randint(1, args.courses or 6)
        number = rng.choice(course_numbers[course_type])
        section = 1 + sum(1 for key in used if key[:2] == (course_type, number))
        meetings = pick_meetings(rng, week, args.labs, args.day_edge)
        if meetings is None:
            continue
        used.add((course_type, number, section))
        students = max(10, min(max(rooms) if args.rooms != len(ROOMS) else 90, int(rng.gauss(45, 18))))
        demands.append("%d|%d|%d|%d|" % (course_type, number, section, students))
        mark = rng.choice("TTTP")
        for weekday, blocks in meetings:
            for block in blocks:
                start = BLOCK_STARTS[block - 1]
                timetable.append("%d|%d|%d|%s|%d|%s|%s|" % (
                    course_type, number, section, mark, weekday, clock(start), clock(block_end(block))))
    # Courses of another department share the timetable file; the program skips them.
    timetable.insert(len(timetable) // 2, "3|999|1|T|2|07:30|08:20|")
    timetable.append("4|998|2|P|6|15:00|15:50|")

    with open(path("demanda.txt"), "w", newline="\n") as f:
        f.write("\n".join(demands) + "\n")
    with open(path("horario.txt"), "w", newline="\n") as f:
        f.write("\n".join(timetable) + "\n")


if __name__ == "__main__":
    main()
