// The rooms: read from salas.csv (sala, lugares, and optionally nome,
// recursos and predio), or made from turmas.csv's sala and lugares columns;
// then their names made fit for capacidade.txt.
#pragma once

#include "app/importar/sheet.hpp"

// Whether salas.csv has the columns a room needs; nullptr, or what is missing.
const char* missing_room_columns(const Sheet& sheet);

// Reads every row of salas.csv into the rooms, each line's outcome
// recorded; nullptr, or why the file cannot be used.
const char* read_room_sheet(Sheet& sheet);

// Drops the rooms made from turmas.csv that no line gave seats (a note
// names each), renumbering the others and the times' rooms today.
void drop_rooms_without_seats();

// Makes every room's name fit capacidade.txt: no control character or "|",
// at most 40 bytes, cut between characters (a note says so).
void fit_room_names();
