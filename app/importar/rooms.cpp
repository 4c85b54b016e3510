// salas.csv read row by row, and the rooms' names and seats made fit for
// capacidade.txt.
#include "app/importar/rooms.hpp"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "app/importar/cells.hpp"
#include "app/importar/classes.hpp"
#include "app/importar/import.hpp"
#include "io/encoding.hpp"

namespace {

// The features of a room's recursos cell and its building (predio_X).
void room_features(const Sheet& sheet, ImportRoom& room, int32_t line)
{
    read_feature_list(cell(sheet, FEATURES), room.features, salas_outcomes.name, line);
    const char* building = cell(sheet, BUILDING);
    if (*building != '\0') {
        char name[MAX_KEY];
        std::snprintf(name, sizeof name, "predio %s", building);
        int feature = find_or_add_feature(name);
        if (feature >= 0)
            room.features.set(static_cast<std::size_t>(feature));
    }
}

void read_room_row(const Sheet& sheet)
{
    auto line = static_cast<int32_t>(sheet.line);
    auto refuse = [&](ImportColumn column, const char* reason) {
        set_outcome(salas_outcomes, line, Outcome::Refused, column < IMPORT_COLUMNS ? IMPORT_COLUMN_NAMES[column] : nullptr,
                    column < IMPORT_COLUMNS ? cell(sheet, column) : "", reason);
    };
    if (sheet.record.open_quote || sheet.record.too_many_fields || sheet.record.cut)
        return refuse(IMPORT_COLUMNS, "linha mal formada (aspas abertas, campos demais ou celula longa demais)");
    const char* label = cell(sheet, ROOM);
    const char* name = cell(sheet, NAME);
    if (*label == '\0' && *name == '\0')
        return refuse(ROOM, "sala vazia");
    int32_t seats{};
    if (!read_count(cell(sheet, SEATS), seats))
        return refuse(SEATS, "nao e um numero de lugares");
    ImportColumn repeated = ROOM;  // the cell that names an earlier room: its label, or else its name
    int32_t same = *label != '\0' ? find_room(label) : 0;
    if (same == 0 && *name != '\0') {
        repeated = NAME;
        same = find_room(name);
    }
    if (same != 0) {
        set_outcome(salas_outcomes, line, Outcome::Refused, IMPORT_COLUMN_NAMES[repeated], cell(sheet, repeated),
                    "sala repetida da linha");
        salas_outcomes.lines[line].other_line = import_rooms.rooms[same].line;
        return;
    }
    if (import_rooms.count == MAX_ROOM)
        return refuse(ROOM, "mais de 999 salas");
    ImportRoom& room = import_rooms.rooms[++import_rooms.count];
    room = {};
    fold_text(*label != '\0' ? label : name, room.key.data(), room.key.size());
    fold_text(*name != '\0' ? name : label, room.name_key.data(), room.name_key.size());
    std::snprintf(room.name.data(), room.name.size(), "%s", *name != '\0' ? name : label);
    room.seats = seats;
    room.line = line;
    room_features(sheet, room, line);
    set_outcome(salas_outcomes, line, Outcome::Taken, nullptr, "", nullptr);
}

// The bytes of `name` that start a character, cut so that at most `limit` bytes stay.
std::size_t cut_between_characters(const char* name, std::size_t limit)
{
    std::size_t cut = std::min(std::strlen(name), limit);
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80)
        --cut;
    return cut;
}

}  // namespace

const char* missing_room_columns(const Sheet& sheet)
{
    if (!has_column(sheet, ROOM) && !has_column(sheet, NAME))
        return "falta a coluna sala (ou room)";
    if (!has_column(sheet, SEATS))
        return "falta a coluna lugares (ou capacidade, seats)";
    return nullptr;
}

const char* read_room_sheet(Sheet& sheet)
{
    return read_rows(sheet, read_room_row);
}

void drop_rooms_without_seats()
{
    std::array<int32_t, MAX_ROOM_COLUMNS> renumbered{};
    int32_t kept = 0;
    for (int32_t room = FIRST_ROOM; room <= import_rooms.count; ++room) {
        const ImportRoom& entry = import_rooms.rooms[room];
        if (entry.seats < 0) {
            add_note("sala '%s' (linha %d de %s) sem lugares na coluna lugares: fica de fora", entry.name.data(),
                     entry.line, turmas_outcomes.name);
            continue;
        }
        renumbered[room] = ++kept;
        import_rooms.rooms[kept] = entry;
    }
    import_rooms.count = kept;
    for (TimeLine& time : time_lines())
        time.room = renumbered[time.room];
}

void fit_room_names()
{
    for (int32_t room = FIRST_ROOM; room <= import_rooms.count; ++room) {
        RoomName& name = import_rooms.rooms[room].name;
        std::size_t used = 0;
        for (const char* c = name.data(); *c != '\0'; ++c) {
            auto byte = static_cast<unsigned char>(*c);
            if (byte < 0x20 || byte == 0x7F)
                continue;
            name[used++] = byte == '|' ? '/' : *c;
        }
        name[used] = '\0';
        std::size_t kept = cut_between_characters(name.data(), MAX_ROOM_NAME);
        while (kept > 0 && name[kept - 1] == ' ')
            --kept;
        if (kept < used)
            add_note("sala '%s': nome com mais de %d bytes, cortado", name.data(), MAX_ROOM_NAME);
        name[kept] = '\0';
        if (kept == 0)
            std::snprintf(name.data(), name.size(), "Sala %d", room);
    }
}
