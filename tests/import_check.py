"""Registrars' spreadsheets written the ways real ones are, imported by
alocacao-importar, and the files it wrote read back here with no code of
the program's: every class, meeting, time and enrolment of the spreadsheet
is in demanda.txt, horario.txt and cursos.txt, and nothing else is; a week
of the times' own (semana.txt) has a block at each distinct start; every
line of the spreadsheet is named in importacao.txt with the outcome it
should have; the status is 0 when every line is taken and 3 when some are
skipped or refused; and alocacao-otimo takes the files as an instance.

Each style draws its encoding (UTF-8 with or without a byte-order mark,
Windows-1252), separator, line ends (CRLF, LF, CR), quoting, headings
(Portuguese with and without accents, English), column order with extra
columns, how days are written (a row a day, "SEG/QUA", "2,4", "246"), how
times are (three columns as "08:00", "8h", "08h00" or "08:00:00", a whole
schedule in one cell, schedule codes), how courses are ("MTM121", "MTM 121",
code and number apart), and adds online classes and faulty lines. One
style is saved as a real .xlsx workbook (openpyxl) and read through xlsx2csv,
which leaves no temporary file behind.

    import_check.py BUILD_DIR STYLES...
"""
import os
import random
import subprocess
import sys
import tempfile

try:
    import openpyxl
except ImportError:  # Debian's python3-openpyxl serves its own python3
    if os.path.exists("/usr/bin/python3") and os.path.realpath(sys.executable) != os.path.realpath("/usr/bin/python3") \
            and subprocess.run(["/usr/bin/python3", "-c", "import openpyxl"], capture_output=True).returncode == 0:
        os.execv("/usr/bin/python3", ["/usr/bin/python3"] + sys.argv)
    openpyxl = None

DAY_WORDS = {2: ["SEG", "Segunda", "segunda-feira", "2ª", "Mon"], 3: ["TER", "Terça", "3ª", "Tue"],
             4: ["QUA", "Quarta", "4ª", "Wed"], 5: ["QUI", "Quinta", "5ª", "Thu"], 6: ["SEX", "Sexta", "6ª", "Fri"],
             7: ["SAB", "Sábado", "Sat"]}
STANDARD = [450, 500, 570, 620, 680, 730, 780, 830, 900, 950, 1010, 1060, 1110, 1140, 1190, 1260, 1310]
OWN_STARTS = [480, 580, 600, 700, 810, 930, 1140, 1260]  # 08:00, 09:40, 10:00, 11:40, 13:30, 15:30, 19:00, 21:00
HEADINGS = {
    "pt": {"course": "Disciplina", "code": "Sigla", "number": "Número", "section": "Turma", "students": "Matriculados",
           "day": "Dia", "start": "Início", "end": "Término", "time": "Horário", "room": "Sala", "seats": "Lugares"},
    "plain": {"course": "CODIGO", "code": "SIGLA", "number": "NUMERO", "section": "TURMA", "students": "ALUNOS",
              "day": "DIAS", "start": "INICIO", "end": "FIM", "time": "HORARIO", "room": "SALA", "seats": "LUGARES"},
    "en": {"course": "Course", "code": "Subject", "number": "Catalog Number", "section": "Section",
           "students": "Enrollment", "day": "Days", "start": "Start Time", "end": "End Time", "time": "Schedule",
           "room": "Room", "seats": "Seats"}}
CODES = ["MTM", "QUI", "FIS", "CIC", "ADM", "LET"]
PERIODS = {("M", 1): (480, 530), ("M", 2): (530, 580), ("M", 3): (600, 650), ("M", 4): (650, 700),
           ("T", 1): (810, 860), ("T", 2): (860, 910), ("N", 1): (1140, 1190), ("N", 2): (1190, 1240)}


def clock(minutes, form="colon"):
    hours, mins = divmod(minutes, 60)
    if form == "h":
        return f"{hours}h" if mins == 0 else f"{hours}h{mins:02d}"
    if form == "hh":
        return f"{hours:02d}h{mins:02d}"
    if form == "seconds":
        return f"{hours:02d}:{mins:02d}:00"
    return f"{hours:02d}:{mins:02d}"


class Style:
    def __init__(self, seed):
        draw = random.Random(seed)
        self.seed = seed
        self.draw = draw
        self.encoding = draw.choice(["utf-8", "utf-8-sig", "cp1252"])
        self.separator = draw.choice([";", ","])
        self.line_end = draw.choice(["\r\n", "\n", "\r"])
        self.headings = draw.choice(["pt", "plain", "en"])
        self.courses = draw.choice(["joined", "spaced", "apart"])
        self.times = draw.choice(["columns", "schedule", "codes"])
        self.clock = draw.choice(["colon", "h", "hh", "seconds"])
        self.days = draw.choice(["row", "slash", "commas", "digits"])
        self.standard = self.times == "columns" and draw.random() < 0.4
        self.rooms_sheet = draw.random() < 0.6
        self.faults = draw.random() < 0.7
        self.mapped = draw.random() < 0.3  # the students under a heading only --colunas names
        self.xlsx = False

    def __str__(self):
        return (f"style {self.seed}: {self.encoding}, '{self.separator}', {self.line_end!r}, {self.headings}, "
                f"{self.courses}, {self.times}/{self.clock}/{self.days}{', standard week' if self.standard else ''}"
                f"{', salas.csv' if self.rooms_sheet else ''}{', faults' if self.faults else ''}"
                f"{', --colunas' if self.mapped else ''}"
                f"{', xlsx' if self.xlsx else ''}")


class Class:
    """A class of the model: course code and number, section label and number, students, times by weekday."""

    def __init__(self, code, number, label, section, students, times, room):
        self.code, self.number, self.label, self.section = code, number, label, section
        self.students, self.times, self.room = students, times, room


def make_classes(style, rooms):
    draw = style.draw
    classes = []
    for i in range(draw.randrange(15, 40)):
        code, number = CODES[i % len(CODES)], 100 + i // (2 * len(CODES))
        section = 1 + i // len(CODES) % 2  # two sections a course
        label = draw.choice([f"T{section:02d}", str(section)])
        starts = STANDARD[:14] if style.standard else OWN_STARTS
        weekdays = draw.sample([2, 3, 4, 5, 6], draw.choice([1, 2, 2, 3]))
        if style.standard:
            weekdays = weekdays[:2]  # the standard week keeps two weekdays of a class
        start = draw.choice(starts)
        end = start + 100
        if style.times == "codes":
            shift, first = draw.choice([("M", 1), ("M", 3), ("T", 1), ("N", 1)])
            start, end = PERIODS[(shift, first)][0], PERIODS[(shift, first + 1)][1]
        times = {weekday: [(start, end)] for weekday in weekdays}
        classes.append(Class(code, number, label, section, draw.randrange(5, 90), times, draw.choice(rooms)[0]))
    return classes


def day_text(style, weekdays):
    draw = style.draw
    if len(weekdays) == 1 or style.days == "row":
        return draw.choice(DAY_WORDS[weekdays[0]])
    if style.days == "slash":
        return "/".join(DAY_WORDS[w][0] for w in weekdays)
    if style.days == "commas":
        return ",".join(str(w) for w in weekdays)
    return "".join(str(w) for w in weekdays)


def time_cells(style, weekdays, start, end):
    """(dia, inicio, fim, horario) of one row."""
    if style.times == "codes":
        shift, first = next(key for key, span in PERIODS.items() if span[0] == start)
        return "", "", "", "".join(str(w) for w in weekdays) + f"{shift}{first}{first + 1}"
    if style.times == "schedule":
        return "", "", "", "; ".join(f"{DAY_WORDS[w][0]} {clock(start)}-{clock(end)}" for w in weekdays)
    return day_text(style, weekdays), clock(start, style.clock), clock(end, style.clock), ""


def class_rows(style, entry):
    """The rows of a class, each (cells, weekdays): weekdays on one row, or a row each."""
    groups = [sorted(entry.times)] if style.days != "row" or style.times != "columns" else \
        [[w] for w in sorted(entry.times)]
    rows = []
    for weekdays in groups:
        start, end = entry.times[weekdays[0]][0]
        dia, inicio, fim, horario = time_cells(style, weekdays, start, end)
        rows.append({"course": f"{entry.code}{entry.number}" if style.courses == "joined" else
                     f"{entry.code} {entry.number}", "code": entry.code, "number": str(entry.number),
                     "section": entry.label, "students": str(entry.students), "day": dia, "start": inicio,
                     "end": fim, "time": horario, "room": entry.room, "seats": "", "_outcome": "tomada"})
    return rows


def fault_rows(style):
    """Rows that must be skipped or refused, with their outcome."""
    base = {"course": "BIO900", "code": "BIO", "number": "900", "section": "1", "students": "30", "day": "SEG",
            "start": "08:00", "end": "09:40", "time": "", "room": "", "seats": ""}
    if style.times != "columns":
        base.update(day="", start="", end="", time="SEG 08:00-09:40")
    online = dict(base, course="BIO901", number="901", day="", start="", end="", time="EAD", _outcome="pulada")
    words = dict(base, course="BIO902", number="902", students="trinta", _outcome="recusada")
    late = dict(base, course="BIO903", number="903", _outcome="recusada")
    if style.times == "columns":
        late.update(start="25:00")
    else:
        late.update(time="SEG 25:00-26:00")
    day = dict(base, course="BIO904", number="904", _outcome="recusada")
    if style.times == "columns":
        day.update(day="Xyz")
    else:
        day.update(time="XYZ 08:00-09:40")
    return [online, words, late, day]


def columns(style):
    keys = (["course"] if style.courses != "apart" else ["code", "number"]) + ["section", "students"]
    keys += ["day", "start", "end"] if style.times == "columns" else ["day", "time"]
    keys += ["room"] + ([] if style.rooms_sheet else ["seats"])
    headings = [HEADINGS[style.headings][key] if key != "students" or not style.mapped else "Qtd. Matr."
                for key in keys]
    extra = ["Professor", "Observação"]
    order = list(range(len(keys) + len(extra)))
    style.draw.shuffle(order)
    return [(keys + extra)[i] for i in order], [(headings + extra)[i] for i in order]


def write_sheet(style, directory, classes, rooms):
    """turmas.csv (or .xlsx) and salas.csv; returns the sheet's name and the (line, outcome) of each row."""
    rows = [row for entry in classes for row in class_rows(style, entry)]
    seats = {label: seats for label, seats in rooms}
    for row in rows:
        row["seats"] = str(seats[row["room"]])
    if style.faults:
        for row in fault_rows(style):
            rows.insert(style.draw.randrange(len(rows) + 1), row)
    keys, headings = columns(style)
    notes = ["", "turma nova", 'sala "provisória"; ver; depois', "duas\nlinhas"]
    table = [headings] + [[row.get(key, style.draw.choice(notes)) for key in keys] for row in rows]
    expected, line = [], 2  # a row starts after the line breaks of the rows before it
    for values, row in zip(table[1:], rows):
        expected.append((line, row["_outcome"]))
        line += 1 + sum(value.count("\n") for value in values)
    if style.xlsx:
        workbook = openpyxl.Workbook()
        sheet = workbook.active
        for values in table:
            sheet.append([int(v) if v.isdigit() else v for v in values])
        name = "turmas.xlsx"
        workbook.save(os.path.join(directory, name))
    else:
        name = "turmas.csv"
        with open(os.path.join(directory, name), "w", encoding=style.encoding, newline="") as f:
            for values in table:
                f.write(style.separator.join(quoted(value, style.separator) for value in values) + style.line_end)
    if style.rooms_sheet:
        with open(os.path.join(directory, "salas.csv"), "w", encoding=style.encoding, newline="") as f:
            f.write(style.separator.join(["Sala", "Lugares"]) + style.line_end)
            for label, count in rooms:
                f.write(f"{label}{style.separator}{count}{style.line_end}")
    with open(os.path.join(directory, "turnos.txt"), "w") as f:
        for (shift, period), (start, end) in PERIODS.items():
            f.write(f"{shift}|{period}|{clock(start)}|{clock(end)}|\n")
    return name, expected


def quoted(value, separator):
    """A field as spreadsheets save it: quoted, its quotes doubled, when it holds the separator, a quote or a line end."""
    if any(c in value for c in (separator, '"', "\r", "\n")):
        return '"' + value.replace('"', '""') + '"'
    return value


def records(path):
    with open(path, encoding="utf-8", errors="replace") as f:
        return [line.rstrip("\n").split("|")[:-1] for line in f if line.strip() and not line.startswith("#")]


def minutes(text):
    hours, mins = text.split(":")
    return int(hours) * 60 + int(mins)


def read_back(directory):
    """The classes the files describe: (code, number) -> sorted [(students, {weekday: (start, end)})]."""
    codes = {int(t): code for t, code in records(os.path.join(directory, "cursos.txt"))}
    classes = {}
    for kind, number, section, students in records(os.path.join(directory, "demanda.txt")):
        classes[(codes[int(kind)], int(number), int(section))] = [int(students), {}]
    for kind, number, section, _, day, start, end in records(os.path.join(directory, "horario.txt")):
        meetings = classes[(codes[int(kind)], int(number), int(section))][1]
        span = meetings.get(int(day), (minutes(start), minutes(end)))
        meetings[int(day)] = (min(span[0], minutes(start)), max(span[1], minutes(end)))
    by_course = {}
    for (code, number, _), (students, meetings) in classes.items():
        by_course.setdefault((code, number), []).append((students, sorted(meetings.items())))
    return {course: sorted(sections) for course, sections in by_course.items()}


def model_courses(classes):
    by_course = {}
    for entry in classes:
        meetings = sorted((day, (spans[0][0], spans[0][1])) for day, spans in entry.times.items())
        by_course.setdefault((entry.code, entry.number), []).append((entry.students, meetings))
    return {course: sorted(sections) for course, sections in by_course.items()}


def week_faults(directory, classes):
    path = os.path.join(directory, "semana.txt")
    if not os.path.exists(path):
        return []
    blocks = [(int(d), minutes(s), minutes(e)) for d, s, e in records(path)]
    faults = []
    for day in range(1, 8):
        starts = sorted({span[0] for entry in classes for d, spans in entry.times.items() if d == day for span in spans})
        ends = [span[1] for entry in classes for d, spans in entry.times.items() if d == day for span in spans]
        want = [(day, s, starts[i + 1] if i + 1 < len(starts) else max(ends)) for i, s in enumerate(starts)]
        got = [block for block in blocks if block[0] == day]
        if got != want:
            faults.append(f"semana.txt, weekday {day}: {got} for {want}")
    return faults


def report_faults(directory, expected):
    with open(os.path.join(directory, "importacao.txt"), encoding="latin-1") as f:
        text = f.read()
    faults = []
    for line, outcome in expected:
        named = [row for row in text.splitlines() if row.startswith(f"linha {line}: ")]
        if len(named) != 1 or not named[0].startswith(f"linha {line}: {outcome}"):
            faults.append(f"importacao.txt names line {line} as {named}, not '{outcome}'")
    return faults


def check_style(build, style, directory):
    os.makedirs(directory)
    rooms = [(f"{100 + i}", style.draw.choice([30, 45, 60, 90])) for i in range(10)]
    classes = make_classes(style, rooms)
    name, expected = write_sheet(style, directory, classes, rooms)
    command = [os.path.join(build, "alocacao-importar"), name] + (["salas.csv"] if style.rooms_sheet else [])
    command += ["--turnos", "turnos.txt"] + (["--colunas", "alunos=qtd matr"] if style.mapped else [])
    temporary = directory + "-tmp"  # where a workbook is converted: nothing is left there
    os.makedirs(temporary)
    result = subprocess.run(command, cwd=directory, capture_output=True, env=dict(os.environ, TMPDIR=temporary))
    console = result.stdout.decode("latin-1") + result.stderr.decode("latin-1")
    want_status = 3 if style.faults else 0
    if result.returncode != want_status:
        return [f"status {result.returncode}, not {want_status}:\n{console}"]
    faults = [f"left behind in TMPDIR: {name}" for name in os.listdir(temporary)]
    got, want = read_back(directory), model_courses(classes)
    for course in sorted(set(got) | set(want)):
        if got.get(course) != want.get(course):
            faults.append(f"{course}: the files give {got.get(course)}, the spreadsheet {want.get(course)}")
    faults += week_faults(directory, classes)
    if style.standard and os.path.exists(os.path.join(directory, "semana.txt")):
        faults.append("times on the standard blocks, yet semana.txt was written")
    faults += report_faults(directory, expected)
    optimum = subprocess.run([os.path.join(build, "alocacao-otimo")], cwd=directory, capture_output=True)
    if optimum.returncode not in (0, 3):  # 3: a block with more classes than rooms, left out of the plan
        faults.append(f"alocacao-otimo ended {optimum.returncode}:\n{optimum.stdout.decode('latin-1')[-600:]}")
    return faults


def main():
    build, seeds = os.path.abspath(sys.argv[1]), [int(seed) for seed in sys.argv[2:]]
    styles = [Style(seed) for seed in seeds]
    xlsx_note = ""
    if openpyxl is None:
        xlsx_note = " (no .xlsx: python3-openpyxl is not installed)"
    elif subprocess.run(["sh", "-c", "command -v xlsx2csv"], capture_output=True).returncode != 0:
        xlsx_note = " (no .xlsx: xlsx2csv is not installed)"
    else:
        styles[0].xlsx = True
    failures = 0
    with tempfile.TemporaryDirectory() as scratch:
        for style in styles:
            faults = check_style(build, style, os.path.join(scratch, str(style.seed)))
            for fault in faults[:8]:
                print(f"FAIL: {style}: {fault}")
            failures += bool(faults)
    print(f"{len(styles)} spreadsheets imported{xlsx_note}: "
          f"{'faults found' if failures else 'every class, meeting, time and line as written'}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
