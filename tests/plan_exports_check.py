"""The plan's files read back by real readers: alocacao.csv by Python's csv
module and each sala-NN.ics by the icalendar library, compared meeting by
meeting with the plan's grid (otima.txt) and the instance files.

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
DAYS = ["segunda-feira", "terça-feira", "quarta-feira", "quinta-feira", "sexta-feira", "sábado"]


def records(path):
    with open(path, encoding="latin-1") as f:
        return [line.strip().split("|")[:-1] for line in f if line.strip()]


def plan_meetings(directory):
    """(day, start, column, section entry) of every run of one section in one column within a day."""
    rows = [line for line in open(os.path.join(directory, "otima.txt"), encoding="latin-1")
            if line.startswith("| ") and "\t|" in line]
    # A cell that regras.txt closes is all dashes, and holds no class.
    grid = [[0 if set(cell.strip()) == {"-"} else int(cell) for cell in line.split("|")[2:-1]] for line in rows]
    meetings = []
    for slot, cells in enumerate(grid, start=1):
        day, block = (slot - 1) // 17, (slot - 1) % 17
        for column, section in enumerate(cells):
            if section and not (block > 0 and grid[slot - 2][column] == section):
                meetings.append((day, STARTS[block], column, section))
    return meetings


def main():
    directory, first_day, last_day = sys.argv[1], sys.argv[2], sys.argv[3]
    sections = records(os.path.join(directory, "demanda.txt"))
    seats = {int(column): int(count) for column, count in records(os.path.join(directory, "capacidade.txt"))}
    expected = plan_meetings(directory)
    failures = []

    with open(os.path.join(directory, "alocacao.csv"), newline="", encoding="utf-8-sig") as f:
        rows = list(csv.DictReader(f, delimiter=";"))
    if len(rows) != len(expected):
        failures.append(f"alocacao.csv has {len(rows)} rows for {len(expected)} meetings")
    for row, (day, start, column, section) in zip(rows, expected):
        kind, number, turma, students = (int(field) for field in sections[section - 1])
        want = {"dia": DAYS[day], "inicio": start, "sala": "sv" if column == 0 else f"{column:02d}",
                "lugares": str(seats.get(column, 0)), "disciplina": f"{CODES[kind]} {number}",
                "turma": str(turma), "alunos": str(students),
                "acima da capacidade": str(max(0, students - seats.get(column, 0)))}
        got = {key: row[key] for key in want}
        if got != want:
            failures.append(f"alocacao.csv: {got} for {want}")

    until = datetime.datetime.fromisoformat(last_day + "T23:59:59")
    first = datetime.date.fromisoformat(first_day)
    for column in sorted({column for _, _, column, _ in expected}):
        name = "sala-sv.ics" if column == 0 else f"sala-{column:02d}.ics"
        with open(os.path.join(directory, name), "rb") as f:
            calendar = icalendar.Calendar.from_ical(f.read())
        events = list(calendar.walk("VEVENT"))
        wanted = [m for m in expected if m[2] == column]
        if len(events) != len(wanted):
            failures.append(f"{name}: {len(events)} events for {len(wanted)} meetings")
        for event, (day, start, _, _) in zip(events, wanted):
            dtstart = event.decoded("DTSTART")
            rule = event.get("RRULE")
            if dtstart.weekday() != day or dtstart.strftime("%H:%M") != start or not first <= dtstart.date() < first + datetime.timedelta(days=7):
                failures.append(f"{name}: DTSTART {dtstart} for weekday {day} at {start}")
            if rule["FREQ"] != ["WEEKLY"] or rule["UNTIL"] != [until]:
                failures.append(f"{name}: RRULE {rule.to_ical()}")
    for failure in failures[:20]:
        print("FAIL:", failure)
    print(f"{len(expected)} meetings: alocacao.csv and the calendars read back {'with faults' if failures else 'exactly'}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
