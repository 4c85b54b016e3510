// Sets of rooms as regras.txt writes them, and the features rooms have.
// A set is comma-separated items, each a column ("3"), a range ("30-34") or
// a feature name ("laboratorio"): every room that has that feature. A
// feature name begins with a letter and holds letters, digits, "_" and "-"
// (30 characters at most), compared without case; "recurso|SALAS|NOME|"
// gives it to rooms. Sets are kept once each in a table, and rules refer to
// them by index: a faculty's rules name few sets many times.
#pragma once

#include <array>
#include <bitset>
#include <cstdint>

#include "model/tables.hpp"

using RoomSet = std::bitset<MAX_ROOM_COLUMNS>;  // bit r: room column r (never 0, sv)

inline constexpr int MAX_FEATURES = 1000;
inline constexpr int MAX_FEATURE_NAME = 30;
inline constexpr int MAX_ROOM_SETS = 100000;
inline constexpr int32_t NO_ROOM_SET = -1;

using FeatureName = std::array<char, MAX_FEATURE_NAME + 1>;

// The features named by recurso lines: their names (as first written) and rooms.
struct FeatureTable {
    std::array<FeatureName, MAX_FEATURES> names;
    std::array<RoomSet, MAX_FEATURES> rooms;
    int count;
};
extern FeatureTable features;

// The distinct sets the rules name.
struct RoomSetTable {
    std::array<RoomSet, MAX_ROOM_SETS> sets;
    int count;
};
extern RoomSetTable room_sets;

// Forgets every feature and set.
void reset_room_sets();

// Every real room, FIRST_ROOM..last_room; sv is no room.
RoomSet real_rooms();

// Whether `text` is a feature name's form: a letter, then up to 29 letters,
// digits, "_" or "-".
bool is_feature_name(const char* text);

inline constexpr int NO_FEATURE = -1;

// The feature named `name` (without case); NO_FEATURE when no recurso line names it.
int find_feature(const char* name);

// Adds the rooms of `rooms` to the feature `name`, made when it is new;
// false when the table of features is full.
bool add_feature(const char* name, const RoomSet& rooms);

// Reads the set written in `text` into `rooms`: nullptr, or why it is not a
// set ("sala fora de 1..7", "intervalo 5-2 ao contrario", "recurso 'lab'
// desconhecido"). `features_known`: false while the recurso lines are read,
// when a set names columns and ranges only.
const char* parse_room_set(const char* text, RoomSet& rooms, bool features_known = true);

// The index of `rooms` in the table of sets, added when new; NO_ROOM_SET
// when the table is full.
int32_t keep_room_set(const RoomSet& rooms);

// The rooms of a room's features, for the board: "laboratorio, projetor"
// into `text`; "" when the room has none.
void describe_room_features(char* text, std::size_t size, int room);
