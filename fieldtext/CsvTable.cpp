#include "fieldtext/CsvTable.h"

#include <iterator>

namespace km640::fieldtext {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";
constexpr char kSeparators[] = {',', ';', '\t'};

bool blankRecord(const CsvRecord& record) { return record.fields.size() == 1 && record.fields[0].empty(); }

}  // namespace

char csvSeparatorOf(std::string_view text) {
    if (text.starts_with(kBom)) text.remove_prefix(kBom.size());
    int counts[std::size(kSeparators)] = {};
    bool quoted = false;
    for (const char c : text) {
        if (c == '"') quoted = !quoted;
        if (quoted) continue;
        if (c == '\n' || c == '\r') break;
        for (std::size_t s = 0; s < std::size(kSeparators); ++s)
            if (c == kSeparators[s]) ++counts[s];
    }
    std::size_t best = 0;
    for (std::size_t s = 1; s < std::size(kSeparators); ++s)
        if (counts[s] > counts[best]) best = s;
    return kSeparators[best];
}

std::string separatorName(char separator) {
    switch (separator) {
    case ',': return "comma";
    case ';': return "semicolon";
    case '\t': return "tab";
    default: return std::string(1, separator);
    }
}

CsvTable parseCsv(std::string_view text) { return parseCsv(text, csvSeparatorOf(text)); }

CsvTable parseCsv(std::string_view text, char separator) {
    CsvTable table;
    table.separator = separator;
    if (text.starts_with(kBom)) text.remove_prefix(kBom.size());

    int line = 1;
    std::size_t i = 0;
    CsvRecord record{line, {}};
    std::string field;
    bool quotedField = false;  // the current field was in quotes
    const auto endRecord = [&] {
        record.fields.push_back(std::move(field));
        field.clear();
        quotedField = false;
        if (!blankRecord(record) || record.fields.size() > 1) table.records.push_back(std::move(record));
        record = CsvRecord{line, {}};
    };

    while (i < text.size()) {
        const char c = text[i];
        if (c == '"' && field.empty() && !quotedField) {
            // A quoted field runs to the next quote that is not doubled.
            const int opened = line;
            ++i;
            for (;;) {
                if (i >= text.size()) {
                    table.error = "line " + std::to_string(opened) + ": a quoted field is not closed";
                    return table;
                }
                if (text[i] == '"') {
                    if (i + 1 < text.size() && text[i + 1] == '"') {
                        field += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                if (text[i] == '\n') ++line;
                field += text[i++];
            }
            quotedField = true;
            // Only a separator or a line end may follow the closing quote; a
            // carriage return alone is no line end.
            const bool lineEnd = i < text.size() && (text[i] == '\n' || text.substr(i).starts_with("\r\n"));
            if (i < text.size() && text[i] != separator && !lineEnd) {
                table.error = "line " + std::to_string(line) + ": text after the closing quote of a field";
                return table;
            }
            continue;
        }
        if (c == '"') {
            table.error = "line " + std::to_string(line) + ": a quote inside a field that is not in quotes";
            return table;
        }
        if (c == separator) {
            record.fields.push_back(std::move(field));
            field.clear();
            quotedField = false;
            ++i;
        } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            i += 2;
            ++line;
            endRecord();
        } else if (c == '\n') {
            ++i;
            ++line;
            endRecord();
        } else {
            field += c;
            ++i;
        }
    }
    if (!field.empty() || quotedField || !record.fields.empty()) endRecord();
    return table;
}

std::string csvField(std::string_view text) {
    const bool quote = text.find_first_of(",\"\r\n") != std::string_view::npos ||
                       (!text.empty() && (text.front() == ' ' || text.back() == ' '));
    if (!quote) return std::string(text);
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

}  // namespace km640::fieldtext
