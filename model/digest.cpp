// The instance digest: every table that a plan depends on, fed field by field.
#include "model/digest.hpp"

#include <cstring>

#include "model/fnv1a.hpp"
#include "model/rules/rules.hpp"
#include "model/tables.hpp"

namespace {

struct Digest {
    uint64_t value = FNV1A_OFFSET_BASIS;

    void add_bytes(const void* data, std::size_t size) { value = fnv1a(data, size, value); }
    void add(int64_t number) { add_bytes(&number, sizeof number); }
    void add_text(const char* text) { add_bytes(text, std::strlen(text) + 1); }
};

void add_week(Digest& digest)
{
    digest.add(slot_count);
    for (int32_t slot = FIRST_SLOT; slot <= slot_count; ++slot) {
        digest.add(slot_weekday(slot));
        digest.add(slot_start(slot));
        digest.add(slot_end(slot));
    }
}

void add_rooms(Digest& digest)
{
    digest.add(last_room);
    for (int32_t room = 0; room <= last_room; ++room) {
        digest.add(room_capacity[room]);
        digest.add_text(room_names[room].data());
    }
}

void add_sections(Digest& digest)
{
    digest.add(section_count);
    for (int32_t index = FIRST_SECTION; index <= section_count; ++index) {
        const Section& section = sections[index];
        digest.add_text(section.course_code != nullptr ? section.course_code : "");
        digest.add(section.course_number);
        digest.add(section.section_number);
        digest.add(section.demand);
        for (int m : meeting_numbers()) {
            const Meeting& meeting = section.meetings[m];
            digest.add(meeting.weekday);
            digest.add(meeting.earliest_start);
            digest.add(meeting.end_time);
            digest.add(meeting.first_slot);
            digest.add(meeting.last_slot);
        }
    }
}

void add_rules(Digest& digest)
{
    digest.add(rule_count);
    for (const Rule& rule : file_rules()) {
        digest.add(static_cast<int64_t>(rule.kind));
        digest.add(rule.section);
        digest.add(rule.room);
        digest.add(rule.weekday);
        digest.add(rule.from);
        digest.add(rule.to);
        digest.add(rule.weight);
        digest.add(rule.selector.type);
        digest.add(rule.selector.course);
        digest.add(rule.selector.number);
        for (int32_t room = FIRST_ROOM; rule.rooms != NO_ROOM_SET && room <= last_room; ++room)
            digest.add(rule_holds_room(rule, room));
        bool named = rule.feature != NO_FEATURE;
        digest.add_text(named ? features.names[static_cast<std::size_t>(rule.feature)].data() : "");
    }
}

}  // namespace

uint64_t instance_digest()
{
    Digest digest;
    add_week(digest);
    add_rooms(digest);
    add_sections(digest);
    digest.add(excess_weight);
    digest.add(idle_weight);
    add_rules(digest);
    return digest.value;
}
