#!/usr/bin/env python3
"""Writes a registrar's spreadsheets for alocacao-importar: turmas.csv (one row
per class meeting, as academic systems export them), salas.csv and turnos.txt.

    tools/make_spreadsheet.py DIRECTORY [--classes N] [--rooms R] [--seed S]
                              [--encoding cp1252|utf-8] [--faults]

turmas.csv has the columns a Brazilian registrar writes, with accents in
their headings: the course code (MTM121), the section (T01, A, 2), the
students enrolled and the places offered, the weekday, start and end, a
schedule code for some classes instead (24M12: Monday and Wednesday,
morning periods 1 and 2, which turnos.txt defines), the room today and the
features a class requires. The times are the university's own (100-minute
classes from 08:00), not the 17 standard blocks. Most classes meet twice a
week, on two rows or on one row with both weekdays ("SEG/QUA"); laboratories
meet once for four periods; a few classes are online (no day, "EAD"). With
--faults some rows are as registrars' data really are: a time that is no
time, a count in words, a class repeated with other students, an unknown
weekday, a row cut short, a room that is not in salas.csv. The same seed
always gives the same files.
"""
import argparse
import os
import random

CODES = ["MTM", "QUI", "FIS", "CIC", "LET", "ADM", "ECO", "BIO"]
# The university's periods: shift letter, period, start, end.
PERIODS = [("M", 1, "08:00", "08:50"), ("M", 2, "08:50", "09:40"), ("M", 3, "10:00", "10:50"),
           ("M", 4, "10:50", "11:40"), ("T", 1, "13:30", "14:20"), ("T", 2, "14:20", "15:10"),
           ("T", 3, "15:30", "16:20"), ("T", 4, "16:20", "17:10"), ("N", 1, "19:00", "19:50"),
           ("N", 2, "19:50", "20:40"), ("N", 3, "21:00", "21:50"), ("N", 4, "21:50", "22:40")]
PAIRS = [("M", 1), ("M", 3), ("T", 1), ("T", 3), ("N", 1), ("N", 3)]  # a 100-minute class: periods p, p+1
DAYS = {2: "SEG", 3: "TER", 4: "QUA", 5: "QUI", 6: "SEX", 7: "SÁB"}
DAY_PAIRS = [(2, 4), (3, 5), (4, 6), (2, 5), (3, 6)]
HEADER = ["Cód. Disciplina", "Nome da Disciplina", "Turma", "Matriculados", "Vagas", "Dia", "Início", "Término",
          "Horário", "Sala", "Recurso"]


def period(shift, number):
    return next(p for p in PERIODS if p[0] == shift and p[1] == number)


def rooms(count, draw):
    """(label, name, seats, features, building) of each room."""
    made = []
    for i in range(count):
        building = "A" if i < count // 2 else "B"
        number = 101 + i
        if i % 7 == 3:
            made.append((f"{building}{number}", f"Laboratório {number}", draw.choice([25, 30, 40]),
                         "laboratório; projetor", building))
        else:
            features = "projetor" if draw.random() < 0.5 else ""
            made.append((f"{building}{number}", f"Sala {number}", draw.choice([30, 40, 45, 50, 60, 80, 100]),
                         features, building))
    return made


def quoted(field):
    text = str(field)
    if any(c in text for c in ';"\r\n'):
        return '"' + text.replace('"', '""') + '"'
    return text


def class_rows(index, draw, room_list):
    """The rows of one class."""
    code = CODES[index % len(CODES)]
    number = 101 + index // len(CODES) // 3
    course = f"{code}{number}"
    section_number = 1 + index // len(CODES) % 3  # three sections a course, each of its own label
    section = ("T{:02d}", "{}", "T{:02d}", "{}", "ABC")[number % 5]
    section = section[section_number - 1] if section == "ABC" else section.format(section_number)
    students = draw.randrange(12, 95)
    places = students + draw.randrange(0, 15)
    name = f"Disciplina {course}"
    lab = draw.random() < 0.1
    room = draw.choice(room_list)[0] if draw.random() < 0.9 else ""
    feature = "laboratório" if lab else ("projetor" if draw.random() < 0.15 else "")
    base = [course, name, section, students, places]
    if draw.random() < 0.04:  # taught online: no day, no time, no room
        return [base + ["", "", "", "EAD", "", ""]]
    if lab:
        day = draw.choice(list(DAYS))
        shift = draw.choice("MT")
        return [base + [DAYS[day], period(shift, 1)[2], period(shift, 4)[3], "", room, feature]]
    shift, first = draw.choice(PAIRS)
    start, end = period(shift, first)[2], period(shift, first + 1)[3]
    days = draw.choice(DAY_PAIRS)
    style = draw.random()
    if style < 0.25:  # a schedule code
        return [base + ["", "", "", f"{days[0]}{days[1]}{shift}{first}{first + 1}", room, feature]]
    if style < 0.5:  # both weekdays in one cell
        return [base + [f"{DAYS[days[0]]}/{DAYS[days[1]]}", start, end, "", room, feature]]
    return [base + [DAYS[day], start, end, "", room, feature] for day in days]


def faulty_rows(draw, room_list):
    room = room_list[0][0]
    return [
        ["MTM999", "Disciplina MTM999", "T01", 30, 35, "SEG", "25:00", "26:40", "", room, ""],
        ["QUI998", "Disciplina QUI998", "T01", "quarenta", 40, "TER", "08:00", "09:40", "", room, ""],
        ["FIS997", "Disciplina FIS997", "T01", 30, 30, "QUA", "10:00", "11:40", "", room, ""],
        ["FIS997", "Disciplina FIS997", "T01", 33, 30, "SEX", "10:00", "11:40", "", room, ""],
        ["CIC996", "Disciplina CIC996", "T02", 20, 25, "XYZ", "13:30", "15:10", "", room, ""],
        ["LET995", "Disciplina LET995", "T01", 25, 30, "QUI", "19:00", "20:40", "", "Auditório Central", ""],
        ["ADM994", "Disciplina ADM994", "A", 40, 45, "SEG", "08:00", "09:40", "", room, ""],
        ["ADM994", "Disciplina ADM994", "A", 40, 45, "SEG", "10:00", "11:40", "", room, ""],
        ["BIO993", "Disciplina BIO993", "T01"],
    ]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("directory")
    parser.add_argument("--classes", type=int, default=120)
    parser.add_argument("--rooms", type=int, default=14)
    parser.add_argument("--seed", type=int, default=2026)
    parser.add_argument("--encoding", default="cp1252")
    parser.add_argument("--faults", action="store_true")
    arguments = parser.parse_args()
    draw = random.Random(arguments.seed)
    os.makedirs(arguments.directory, exist_ok=True)
    room_list = rooms(arguments.rooms, draw)
    rows = [row for index in range(arguments.classes) for row in class_rows(index, draw, room_list)]
    if arguments.faults:
        for row in faulty_rows(draw, room_list):
            rows.insert(draw.randrange(len(rows)), row)
    with open(os.path.join(arguments.directory, "turmas.csv"), "w", encoding=arguments.encoding, newline="") as f:
        for row in [HEADER] + rows:
            f.write(";".join(quoted(field) for field in row) + "\r\n")
    with open(os.path.join(arguments.directory, "salas.csv"), "w", encoding=arguments.encoding, newline="") as f:
        f.write("Sala;Nome;Lugares;Recursos;Prédio\r\n")
        for label, name, seats, features, building in room_list:
            f.write(f"{label};{name};{seats};{quoted(features)};{building}\r\n")
    with open(os.path.join(arguments.directory, "turnos.txt"), "w", encoding="ascii") as f:
        f.write("# Os periodos dos codigos de horario: turno|periodo|inicio|fim|\n")
        for shift, number, start, end in PERIODS:
            f.write(f"{shift}|{number}|{start}|{end}|\n")


if __name__ == "__main__":
    main()
