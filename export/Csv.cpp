#include "export/Csv.h"

namespace kalvor {

std::string csvText(std::string_view bytes) {
    std::string text = cleanText(bytes, kCsvCleaning);
    if (!text.empty() && std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos)
        text.insert(text.begin(), '\'');
    return text;
}

void appendCsvField(std::string& out, std::string_view field) {
    if (field.find_first_of(",\"\r\n") == std::string_view::npos) {
        out.append(field);
        return;
    }
    out.push_back('"');
    for (char c : field) {
        if (c == '"') out.push_back('"');
        out.push_back(c);
    }
    out.push_back('"');
}

void appendCsvLine(std::string& out, std::span<const std::string> fields) {
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) out.push_back(',');
        appendCsvField(out, fields[i]);
    }
    out.append("\r\n");
}

}  // namespace kalvor
