"""The plan's files read back by real readers: alocacao.csv by Python's csv
module and each sala-NN.ics by the icalendar library, compared meeting by
meeting with the plan's grid (otima.txt) and the instance files, on the
standard week or the instance's own (semana.txt); and no room of
alocacao.csv held by two classes at the same real time.

    plan_exports_check.py DIR FIRST_DAY LAST_DAY
"""
import csv
import datetime
import os
import sys

import icalendar

CODES = {1: "MTM", 2: "QUI", 3: "FIS", 4: "CIC", 5: "COM", 6: "CBI"}
STARTS = ["07:30", "08:20", "09:30", "10:20", "11:20", "12:10", "13:00", "13:50", "15:00",
          "15:50", "16:50", "17:40", "18:30", "19:00", "19:50", "21:00", "21:50"]
DAYS = ["domingo", "segunda-feira", "terça-feira", "quarta-feira", "quinta-feira", "sexta-feira", "sábado"]


def minutes(clock):
    hours, mins = clock.split(":")
    return int(hours) * 60 + int(mins)


def week_slots(directory):
    """(weekday 1..7, start "hh:mm") of each weekly slot, in slot order."""
    path = os.path.join(directory, "semana.txt")
    if not os.path.exists(path):
        return [(2 + day, start) for day in range(6) for start in (STARTS if day < 5 else STARTS[:5])]
    blocks = sorted((int(day), minutes(start)) for day, start, _ in records(path))
    return [(day, "%02d:%02d" % divmod(start, 60)) for day, start in blocks]


def line_starts(directory):
    """The earliest start of each (course type, course, section, weekday) in horario.txt."""
    earliest = {}
    for kind, number, section, _, day, start, _ in records(os.path.join(directory, "horario.txt")):
        key = (int(kind), int(number), int(section), int(day))
        earliest[key] = min(earliest.get(key, start), start, key=minutes)
    return earliest


def records(path):
    with open(path, encoding="latin-1") as f:
        return [line.strip().split("|")[:-1] for line in f if line.strip()]


def plan_meetings(directory):
    """(day, start, column, section entry) of every run of one section in one column within a day."""
    rows = [line for line in open(os.path.join(directory, "otima.txt"), encoding="latin-1")
            if line.startswith("| ") and "\t|" in line]
    # A cell that regras.txt closes is all dashes, and holds no class.
    grid = [[0 if set(cell.strip()) == {"-"} else int(cell) for cell in line.split("|")[2:-1]] for line in rows]
    slots = week_slots(directory)
    meetings = []
    for slot, cells in enumerate(grid, start=1):
        day, start = slots[slot - 1]
        first_of_day = slot == 1 or slots[slot - 2][0] != day
        for column, section in enumerate(cells):
            if section and not (not first_of_day and grid[slot - 2][column] == section):
                meetings.append((day, start, column, section))
    return meetings


def line_start(meeting, sections, starts):
    """The start that horario.txt gives a whole meeting of the plan: its lines' earliest on its weekday."""
    day, start, _, section = meeting
    kind, number, turma, _ = (int(field) for field in sections[section - 1])
    return starts.get((kind, number, turma, day), start)


def overlaps(rows):
    """Rooms that alocacao.csv gives two classes at once: one text per clash."""
    held = {}
    for row in rows:
        if row["sala"] != "sv":
            held.setdefault((row["sala"], row["dia"]), []).append((minutes(row["inicio"]), minutes(row["fim"]), row))
    clashes = []
    for (room, day), spans in held.items():
        spans.sort(key=lambda span: span[:2])
        for (_, end, a), (start, _, b) in zip(spans, spans[1:]):
            if start < end:
                clashes.append(f"sala {room}, {day}: {a['disciplina']}-{a['turma']} and {b['disciplina']}-{b['turma']}")
    return clashes


def main():
    directory, first_day, last_day = sys.argv[1], sys.argv[2], sys.argv[3]
    sections = records(os.path.join(directory, "demanda.txt"))
    seats = {int(column): int(count) for column, count, *_ in records(os.path.join(directory, "capacidade.txt"))}
    starts = line_starts(directory)
    width = 3 if max(seats) >= 100 else 2  # columns of three digits from room 100 on
    expected = [(day, line_start((day, start, column, section), sections, starts), column, section)
                for day, start, column, section in plan_meetings(directory)]
    failures = []

    with open(os.path.join(directory, "alocacao.csv"), newline="", encoding="utf-8-sig") as f:
        rows = list(csv.DictReader(f, delimiter=";"))
    if len(rows) != len(expected):
        failures.append(f"alocacao.csv has {len(rows)} rows for {len(expected)} meetings")
    for row, (day, start, column, section) in zip(rows, expected):
        kind, number, turma, students = (int(field) for field in sections[section - 1])
        want = {"dia": DAYS[day - 1], "inicio": start, "sala": "sv" if column == 0 else f"{column:0{width}d}",
                "lugares": str(seats.get(column, 0)), "disciplina": f"{CODES[kind]} {number}",
                "turma": str(turma), "alunos": str(students),
                "acima da capacidade": str(max(0, students - seats.get(column, 0)))}
        got = {key: row[key] for key in want}
        if got != want:
            failures.append(f"alocacao.csv: {got} for {want}")
    failures += [f"alocacao.csv: {clash}" for clash in overlaps(rows)]

    until = datetime.datetime.fromisoformat(last_day + "T23:59:59")
    first = datetime.date.fromisoformat(first_day)
    for column in sorted({column for _, _, column, _ in expected}):
        name = "sala-sv.ics" if column == 0 else f"sala-{column:0{width}d}.ics"
        with open(os.path.join(directory, name), "rb") as f:
            calendar = icalendar.Calendar.from_ical(f.read())
        events = list(calendar.walk("VEVENT"))
        wanted = [m for m in expected if m[2] == column]
        if len(events) != len(wanted):
            failures.append(f"{name}: {len(events)} events for {len(wanted)} meetings")
        for event, (day, start, _, _) in zip(events, wanted):
            dtstart = event.decoded("DTSTART")
            rule = event.get("RRULE")
            if (dtstart.weekday() + 1) % 7 + 1 != day or dtstart.strftime("%H:%M") != start or not first <= dtstart.date() < first + datetime.timedelta(days=7):
                failures.append(f"{name}: DTSTART {dtstart} for weekday {day} at {start}")
            if rule["FREQ"] != ["WEEKLY"] or rule["UNTIL"] != [until]:
                failures.append(f"{name}: RRULE {rule.to_ical()}")
    for failure in failures[:20]:
        print("FAIL:", failure)
    print(f"{len(expected)} meetings: alocacao.csv and the calendars read back {'with faults' if failures else 'exactly'}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
