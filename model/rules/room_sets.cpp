// Parsing room sets, and the table of features and of distinct sets.
#include "model/rules/room_sets.hpp"

#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <ranges>

#include "model/hash_slot.hpp"

FeatureTable features{};
RoomSetTable room_sets{};

namespace {

// The distinct sets by hash, so that a set named by many lines is kept once:
// open addressing, at most half full.
constexpr std::size_t SET_INDEX_SIZE = std::size_t{1} << 18;
static_assert(SET_INDEX_SIZE >= 2 * MAX_ROOM_SETS);
std::array<int32_t, SET_INDEX_SIZE> set_index;  // set + 1; 0: an empty slot

bool same_name(const char* a, const char* b)
{
    for (; *a != '\0' && *b != '\0'; ++a, ++b)
        if (std::tolower(static_cast<unsigned char>(*a)) != std::tolower(static_cast<unsigned char>(*b)))
            return false;
    return *a == *b;
}

char set_fault[160];  // a reason that names what it refuses

[[gnu::format(printf, 1, 2)]] const char* refuse_item(const char* format, ...)
{
    std::va_list values;
    va_start(values, format);
    std::vsnprintf(set_fault, sizeof set_fault, format, values);
    va_end(values);
    return set_fault;
}

// A column 1..last_room written with digits only, into `room`; false for anything else.
bool parse_column(const char* text, std::size_t length, int32_t& room)
{
    if (length == 0 || length > 9)
        return false;
    room = 0;
    for (std::size_t i = 0; i < length; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(text[i])))
            return false;
        room = room * 10 + (text[i] - '0');
    }
    return true;
}

// One item of a set, `length` bytes at `text`, its rooms added to `rooms`.
const char* add_item(const char* text, std::size_t length, RoomSet& rooms, bool features_known)
{
    char item[64];
    std::snprintf(item, sizeof item, "%.*s", static_cast<int>(length < 40 ? length : 40), text);
    if (length == 0)
        return "conjunto de salas com item vazio (use 1,4,30-34,laboratorio)";
    if (std::isalpha(static_cast<unsigned char>(text[0]))) {
        if (length > MAX_FEATURE_NAME || !is_feature_name(item))
            return refuse_item("recurso '%s' mal escrito (letras, digitos, _ e -, ate 30)", item);
        int feature = features_known ? find_feature(item) : NO_FEATURE;
        if (feature == NO_FEATURE)
            return refuse_item(features_known ? "recurso '%s' que nenhuma sala tem (recurso|SALAS|NOME|)"
                                              : "recurso '%s' numa linha recurso: use colunas e intervalos",
                               item);
        rooms |= features.rooms[feature];
        return nullptr;
    }
    const char* dash = static_cast<const char*>(std::memchr(text, '-', length));
    int32_t first{}, last{};
    std::size_t first_length = dash != nullptr ? static_cast<std::size_t>(dash - text) : length;
    bool columns = parse_column(text, first_length, first);
    if (columns && dash != nullptr)
        columns = parse_column(dash + 1, length - first_length - 1, last);
    else
        last = first;
    if (!columns)
        return refuse_item("sala '%s' nao e coluna, intervalo (30-34) nem recurso", item);
    if (first < 1 || first > last_room)
        return refuse_item("sala %s fora de 1..%d", item, last_room);
    if (last < first)
        return refuse_item("intervalo %s ao contrario", item);
    if (last > last_room)
        return refuse_item("intervalo %s passa da sala %d", item, last_room);
    for (int32_t room = first; room <= last; ++room)
        rooms.set(static_cast<std::size_t>(room));
    return nullptr;
}

}  // namespace

void reset_room_sets()
{
    features.count = 0;
    room_sets.count = 0;
    set_index.fill(0);
}

bool is_feature_name(const char* text)
{
    std::size_t length = std::strlen(text);
    if (length == 0 || length > MAX_FEATURE_NAME || !std::isalpha(static_cast<unsigned char>(text[0])))
        return false;
    for (const char* c = text; *c != '\0'; ++c)
        if (!std::isalnum(static_cast<unsigned char>(*c)) && *c != '_' && *c != '-')
            return false;
    return true;
}

int find_feature(const char* name)
{
    for (int feature = 0; feature < features.count; ++feature)
        if (same_name(features.names[feature].data(), name))
            return feature;
    return NO_FEATURE;
}

bool add_feature(const char* name, const RoomSet& rooms)
{
    int feature = find_feature(name);
    if (feature == NO_FEATURE) {
        if (features.count == MAX_FEATURES)
            return false;
        feature = features.count++;
        std::snprintf(features.names[feature].data(), features.names[feature].size(), "%s", name);
        features.rooms[feature].reset();
    }
    features.rooms[feature] |= rooms;
    return true;
}

RoomSet real_rooms()
{
    RoomSet rooms;
    for (int room = FIRST_ROOM; room <= last_room; ++room)
        rooms.set(static_cast<std::size_t>(room));
    return rooms;
}

const char* parse_room_set(const char* text, RoomSet& rooms, bool features_known)
{
    rooms.reset();
    if (*text == '\0')
        return "falta o conjunto de salas (use 1,4,30-34,laboratorio)";
    for (const char* item = text;;) {
        const char* comma = std::strchr(item, ',');
        std::size_t length = comma != nullptr ? static_cast<std::size_t>(comma - item) : std::strlen(item);
        while (length > 0 && (*item == ' ' || *item == '\t')) {
            ++item;
            --length;
        }
        while (length > 0 && (item[length - 1] == ' ' || item[length - 1] == '\t'))
            --length;
        if (const char* fault = add_item(item, length, rooms, features_known))
            return fault;
        if (comma == nullptr)
            return nullptr;
        item = comma + 1;
    }
}

int32_t keep_room_set(const RoomSet& rooms)
{
    std::size_t slot = hash_slot<SET_INDEX_SIZE>(std::hash<RoomSet>{}(rooms));
    while (set_index[slot] != 0 && room_sets.sets[static_cast<std::size_t>(set_index[slot] - 1)] != rooms)
        slot = next_slot<SET_INDEX_SIZE>(slot);
    if (set_index[slot] != 0)
        return set_index[slot] - 1;
    if (room_sets.count == MAX_ROOM_SETS)
        return NO_ROOM_SET;
    room_sets.sets[static_cast<std::size_t>(room_sets.count)] = rooms;
    set_index[slot] = ++room_sets.count;
    return room_sets.count - 1;
}

void describe_room_features(char* text, std::size_t size, int room)
{
    std::size_t used = 0;
    text[0] = '\0';
    for (int feature : std::views::iota(0, features.count))
        if (features.rooms[feature][static_cast<std::size_t>(room)] && used + 1 < size)
            used += static_cast<std::size_t>(std::snprintf(text + used, size - used, "%s%s", used == 0 ? "" : ", ",
                                                           features.names[feature].data()));
}
