"""Generated faculties with room features, rules for whole courses and
departments, reserved rooms and preferences, run through the three programs
(a session 1 2 0, alocacao-otimo, alocacao-quadro with calendars, and
alocacao-otimo --plano on the spreadsheet it wrote). Read here from the
files alone, with no code of the programs: no report, spreadsheet or
calendar puts a meeting in a room a hard rule of regras.txt bars or closes,
and every grid report declares the cost recomputed here, preference prices
and the stability price included.

    rules_check.py BUILD_DIR TOOLS_DIR SEED...
"""
import csv
import datetime
import os
import random
import subprocess
import sys
import tempfile

STARTS = ["07:30", "08:20", "09:30", "10:20", "11:20", "12:10", "13:00", "13:50", "15:00",
          "15:50", "16:50", "17:40", "18:30", "19:00", "19:50", "21:00", "21:50"]
DAYS = ["domingo", "segunda-feira", "terça-feira", "quarta-feira", "quinta-feira", "sexta-feira", "sábado"]
GRID_REPORTS = ["solucao.txt", "solucaof.txt", "otima.txt", "plano.txt"]


def minutes(clock):
    hours, mins = clock.split(":")
    return int(hours) * 60 + int(mins)


def records(path):
    if not os.path.exists(path):
        return []
    with open(path, encoding="latin-1") as f:
        return [line.strip().split("|")[:-1] for line in f if line.strip() and not line.startswith("#")]


class Instance:
    """The files of a directory as this check reads them: the standard week,
    the rooms, the sections, the weights and the rules."""

    def __init__(self, directory):
        self.slots = [(2 + day, minutes(start)) for day in range(6) for start in (STARTS if day < 5 else STARTS[:5])]
        self.seats = {int(r[0]): int(r[1]) for r in records(os.path.join(directory, "capacidade.txt"))}
        self.last_room = max(self.seats)
        self.codes = {r[1].upper(): int(r[0]) for r in records(os.path.join(directory, "cursos.txt"))}
        self.names = {int(r[0]): r[1] for r in records(os.path.join(directory, "cursos.txt"))}
        self.sections = [tuple(int(f) for f in r[:4]) for r in records(os.path.join(directory, "demanda.txt"))]
        self.by_class = {(kind, number, turma): i + 1 for i, (kind, number, turma, _) in enumerate(self.sections)}
        with open(os.path.join(directory, "peso.par")) as f:
            self.excess, self.idle = (int(w) for w in f.read().split()[:2])
        self.read_rules(records(os.path.join(directory, "regras.txt")))

    def section_of(self, course, turma):
        """The section of alocacao.csv's `disciplina` ("MTM 121") and `turma`."""
        code, number = course.rsplit(" ", 1)
        return self.by_class[(self.codes[code.upper()], int(number), int(turma))]

    def room_set(self, text):
        rooms = set()
        for item in text.split(","):
            if item[0].isdigit():
                first, _, last = item.partition("-")
                rooms |= set(range(int(first), int(last or first) + 1))
            else:
                rooms |= self.features[item.lower()]
        return rooms

    def names_section(self, fields, section):
        kind, number, turma, _ = self.sections[section - 1]
        wanted_kind = fields[0] if fields[0] == "*" or fields[0].isdigit() else str(self.codes[fields[0].upper()])
        return all(f == "*" or int(f) == v for f, v in zip((wanted_kind, fields[1], fields[2]), (kind, number, turma)))

    def read_rules(self, lines):
        self.features = {}
        for fields in lines:
            if fields[0] == "recurso":
                self.features.setdefault(fields[2].lower(), set()).update(self.room_set(fields[1]))
        every = range(1, len(self.sections) + 1)
        real = set(range(1, self.last_room + 1))
        self.barred = {s: set() for s in every}
        self.pinned = {}
        self.preferences = {s: [] for s in every}
        self.closed = set()
        self.same_room = 0
        reserved, owned = set(), {s: set() for s in every}
        for fields in lines:
            kind = fields[0]
            named = [s for s in every if kind in ("fixa", "evita", "salas", "prefere") and self.names_section(fields[1:4], s)]
            if kind == "fixa":
                self.pinned.update({s: int(fields[4]) for s in named})
            elif kind == "evita":
                for s in named:
                    self.barred[s] |= self.room_set(fields[4])
            elif kind == "salas":
                for s in named:
                    self.barred[s] |= real - self.room_set(fields[4])
            elif kind == "prefere":
                for s in named:
                    self.preferences[s].append((self.room_set(fields[4]), int(fields[5])))
            elif kind == "reservada":
                reserved |= self.room_set(fields[1])
                for s in every:
                    if self.names_section(fields[2:5], s):
                        owned[s] |= self.room_set(fields[1])
            elif kind == "fechada":
                for slot, (day, start) in enumerate(self.slots, start=1):
                    if day == int(fields[2]) and minutes(fields[3]) <= start < minutes(fields[4]):
                        self.closed |= {(slot, room) for room in self.room_set(fields[1])}
            elif kind == "mesma_sala":
                self.same_room = int(fields[1])
        for s in every:
            self.barred[s] |= reserved - owned[s]

    def breach(self, section, column, slots):
        """Why `section` may not hold `column` in `slots`, or None."""
        if column != 0 and column in self.barred[section]:
            return "a room its rules bar"
        if section in self.pinned and column != self.pinned[section]:
            return f"not its fixed room {self.pinned[section]}"
        if any((slot, column) in self.closed for slot in slots):
            return "a closed room"
        return None

    def slots_of(self, day, start, end):
        return [slot for slot, (d, s) in enumerate(self.slots, start=1) if d == day and start <= s < end]

    def class_name(self, section):
        kind, number, turma, _ = self.sections[section - 1]
        return f"{self.names.get(kind, kind)} {number}-{turma}"


def read_grid(path):
    """The declared cost and the grid of a grid report: one list of cells per slot."""
    with open(path, encoding="latin-1") as f:
        lines = f.read().splitlines()
    declared = int(next(line for line in lines if line.startswith("Fun")).split(":")[1])
    grid = [[None if set(cell.strip()) == {"-"} else int(cell) for cell in line.split("|")[2:-1]]
            for line in lines if line.startswith("| ") and "\t|" in line]
    return declared, grid


def grid_faults(instance, name, declared, grid):
    """The cells that break a hard rule, and a cost that is not the one recomputed."""
    faults = []
    cost = 0
    first_column = {}  # (section, weekday): the column of the meeting's first slot
    for slot, cells in enumerate(grid, start=1):
        day = instance.slots[slot - 1][0]
        for column, section in enumerate(cells):
            if section is None or (section == 0 and (slot, column) in instance.closed):
                if section is not None or (slot, column) not in instance.closed:
                    faults.append(f"{name}: slot {slot}, column {column}: closed cell shown wrongly")
                continue
            demand = instance.sections[section - 1][3] if section else 0
            seats = instance.seats.get(column, 0)
            cost += (demand - seats) * instance.excess if demand > seats else (seats - demand) * instance.idle
            if section:
                first_column.setdefault((section, day), column)
                why = instance.breach(section, column, [slot])
                if why:
                    faults.append(f"{name}: slot {slot}: {instance.class_name(section)} in column {column}, {why}")
    columns = {}
    for (section, _), column in first_column.items():
        columns.setdefault(section, set()).add(column)
        cost += sum(weight for rooms, weight in instance.preferences[section] if column not in rooms)
    cost += instance.same_room * sum(len(taken) - 1 for taken in columns.values())
    if cost != declared:
        faults.append(f"{name}: declares {declared}, recomputed {cost}")
    return faults


def spreadsheet_faults(instance, directory):
    """Rooms of alocacao.csv, alternativas.csv (and the class a swap moves) a rule bars."""
    faults = []
    for name in ("alocacao.csv", "alternativas.csv"):
        with open(os.path.join(directory, name), newline="", encoding="utf-8-sig") as f:
            for line, row in enumerate(csv.DictReader(f, delimiter=";"), start=2):
                day = DAYS.index(row["dia"]) + 1
                slots = instance.slots_of(day, minutes(row["inicio"]), minutes(row["fim"]))
                section = instance.section_of(row["disciplina"], row["turma"])
                room = row.get("sala proposta", row["sala"])
                moves = [(section, room)]
                if row.get("troca com"):
                    course, turma = row["troca com"].rsplit("-", 1)
                    moves.append((instance.section_of(course, turma), row["sala"]))
                for moved, column in moves:
                    why = column and instance.breach(moved, 0 if column == "sv" else int(column), slots)
                    if why:
                        faults.append(f"{name}, line {line}: {instance.class_name(moved)} in {column}, {why}")
    return faults


def calendar_faults(instance, directory):
    """Events of the rooms' calendars in a room a rule bars."""
    faults = []
    for name in sorted(os.listdir(directory)):
        if not (name.startswith("sala-") and name.endswith(".ics")) or name == "sala-sv.ics":
            continue
        column = int(name[5:-4])
        with open(os.path.join(directory, name), encoding="utf-8") as f:
            events = f.read().split("BEGIN:VEVENT")[1:]
        for event in events:
            fields = dict(line.split(":", 1) for line in event.splitlines() if ":" in line)
            start, end = fields["DTSTART"], fields["DTEND"]
            weekday = datetime.date(int(start[:4]), int(start[4:6]), int(start[6:8])).isoweekday() % 7 + 1
            course, turma = fields["SUMMARY"].rsplit("-", 1)
            section = instance.section_of(course, turma)
            slots = instance.slots_of(weekday, int(start[9:11]) * 60 + int(start[11:13]),
                                      int(end[9:11]) * 60 + int(end[11:13]))
            why = instance.breach(section, column, slots)
            if why or not slots:
                faults.append(f"{name}: {fields['SUMMARY']} on weekday {weekday}, {why or 'no block'}")
    return faults


def write_rules(directory, seed):
    """A regras.txt of every kind, drawn from the seed, over the rooms' names."""
    draw = random.Random(seed)
    rooms = records(os.path.join(directory, "capacidade.txt"))
    last = len(rooms)
    labs = [int(r[0]) for r in rooms if r[2].startswith("Lab.")]
    halls = [int(r[0]) for r in rooms if r[2].startswith("Anfiteatro")]
    plain = [int(r[0]) for r in rooms if r[2].startswith("Sala") and 2 < int(r[0]) < last - 1]
    projector = sorted(draw.sample(range(1, last + 1), last // 3))
    pin_room, closed = plain[0], plain[1:3]
    pinned = next(i + 1 for i, r in enumerate(records(os.path.join(directory, "demanda.txt"))) if r[0] == "5")
    kind, number, turma = records(os.path.join(directory, "demanda.txt"))[pinned - 1][:3]
    lines = [
        f"recurso|{','.join(map(str, labs))}|laboratorio|",
        f"recurso|{','.join(map(str, halls))}|Auditorio|",
        f"recurso|{','.join(map(str, projector))}|projetor|",
        f"recurso|1-{last // 2}|predio_a|",
        f"salas|CIC|*|*|LABORATORIO,{last // 2}-{last - 1}|",
        f"reservada|{labs[-2]}|CIC|*|*|",
        "evita|MTM|*|*|laboratorio|",
        f"evita|*|*|*|{last}|",
        f"salas|2|120|*|laboratorio,auditorio,{last // 2 + 1}-{last - 2}|",
        f"fixa|{kind}|{number}|{turma}|{pin_room}|",
        f"prefere|MTM|*|*|projetor|{draw.choice([5, 10, 40])}|",
        f"prefere|*|*|*|predio_a|{draw.choice([1, 3])}|",
        f"prefere|FIS|*|*|auditorio,{pin_room}|{draw.choice([20, 50])}|",
        f"prefere|3|*|*|projetor|{draw.choice([0, 7])}|",
        f"fechada|{','.join(map(str, closed))}|{draw.choice([2, 4])}|07:30|12:00|",
        f"mesma_sala|{draw.choice([0, 20, 60])}|",
    ]
    with open(os.path.join(directory, "regras.txt"), "w", encoding="latin-1") as f:
        f.write("\n".join(lines) + "\n")


def run(directory, command, stdin=""):
    result = subprocess.run(command, cwd=directory, input=stdin.encode(), capture_output=True)
    return result.returncode, result.stdout.decode("latin-1") + result.stderr.decode("latin-1")


def check_seed(build, tools, seed, directory):
    subprocess.run([sys.executable, os.path.join(tools, "make_instance.py"), directory, "--rooms", "16",
                    "--sections", "120", "--names", "--courses", "6", "--seed", str(seed)], check=True)
    write_rules(directory, seed)
    steps = [([os.path.join(build, "alocacao")], "1\n2\n0\n", (0,)),
             ([os.path.join(build, "alocacao-otimo")], "", (0, 3)),
             ([os.path.join(build, "alocacao-quadro"), "--semestre", "2026-03-02:2026-07-04"], "", (0, 3)),
             ([os.path.join(build, "alocacao-otimo"), "--plano", "alocacao.csv"], "", (0,))]
    for command, stdin, statuses in steps:
        status, console = run(directory, command, stdin)
        if status not in statuses:
            return [f"seed {seed}: {os.path.basename(command[0])} {' '.join(command[1:])} ended {status}:\n{console[-800:]}"]
    instance = Instance(directory)
    faults = []
    for name in GRID_REPORTS:
        faults += grid_faults(instance, name, *read_grid(os.path.join(directory, name)))
    faults += spreadsheet_faults(instance, directory)
    faults += calendar_faults(instance, directory)
    return [f"seed {seed}: {fault}" for fault in faults]


def main():
    build, tools, seeds = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2]), [int(seed) for seed in sys.argv[3:]]
    faults = []
    with tempfile.TemporaryDirectory() as scratch:
        for seed in seeds:
            faults += check_seed(build, tools, seed, os.path.join(scratch, str(seed)))
    for fault in faults[:20]:
        print("FAIL:", fault)
    print(f"{len(seeds)} generated faculties under room rules: "
          f"{'faults found' if faults else 'every report keeps the rules and declares its cost'}")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
