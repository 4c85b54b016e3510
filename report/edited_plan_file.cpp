// Writing plano.txt with what it was checked against, and reading that back.
#include "report/edited_plan_file.hpp"

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "io/output_file.hpp"
#include "model/digest.hpp"
#include "report/grid_files.hpp"

LeftOutMeetings edited_left_out{};
EditedPlanData edited_plan_data{};

namespace {

constexpr const char* DIGEST_LABEL = "Dados: ";
constexpr const char* LEFT_OUT_LABEL = "Fora da grade: ";
constexpr int DIGEST_DIGITS = 16;

// "Dados: 0123456789abcdef": 16 lower-case hexadecimal digits, nothing else.
bool take_digest(const char* text, uint64_t& digest)
{
    if (!take_text(text, DIGEST_LABEL) || std::strlen(text) != DIGEST_DIGITS ||
        std::strspn(text, "0123456789abcdef") != DIGEST_DIGITS)
        return false;
    digest = std::strtoull(text, nullptr, 16);
    return true;
}

// Whether the file has nothing more to read.
bool at_end(WrittenFile& file)
{
    int c = std::fgetc(file.stream);
    if (c == EOF)
        return true;
    std::ungetc(c, file.stream);
    return false;
}

}  // namespace

void write_edited_plan_file(const LeftOutMeetings& left)
{
    std::FILE* out = begin_output_file(EDITED_PLAN_FILE, "\n\nArquivo plano.txt nao pode ser criado.\n");
    write_final_report(out, best_grid, best_cost, violation_count);
    std::fprintf(out, "%s%016" PRIx64 "\n", DIGEST_LABEL, instance_digest());
    if (left.count > 0) {
        std::fprintf(out, "%s%d\n", LEFT_OUT_LABEL, left.count);
        write_left_out_records(out, left);
    }
    finish_output_file();
}

bool read_edited_plan_trailer(WrittenFile& file)
{
    edited_plan_data = {};
    clear_left_out(edited_left_out);
    if (at_end(file))
        return true;  // the file ends with the grid: no digest
    if (!next_written_line(file) || !take_digest(file.text, edited_plan_data.digest))
        return false;
    edited_plan_data.has_digest = true;
    if (at_end(file))
        return true;
    if (!next_written_line(file))
        return false;
    const char* text = file.text;
    int32_t count{};
    if (!take_text(text, LEFT_OUT_LABEL) || !take_written_number(text, count) || *text != '\0' || count < 1)
        return false;
    if (read_left_out_records(file, count, edited_left_out) != nullptr)
        return false;
    ++file.line;
    return std::fgetc(file.stream) == EOF;
}

bool edited_plan_of_this_instance()
{
    return edited_plan_data.has_digest && edited_plan_data.digest == instance_digest();
}
