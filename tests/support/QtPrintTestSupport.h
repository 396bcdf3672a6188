#pragma once
// Shared by the tests that print through the Qt backend: running poppler's
// tools on the produced PDF, and a window picture to print.

#include <QColor>
#include <QImage>
#include <QPainter>

#include <charconv>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

namespace kalvor::testing {

// The standard output of a shell command.
inline std::string commandOutput(const std::string& command) {
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        std::size_t n = 0;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
        pclose(pipe);
    }
    return out;
}

inline std::string shellQuoted(const std::string& path) { return "'" + path + "'"; }

// The text of a PDF from pdftotext in the given mode, non-empty lines only,
// trailing blanks cut.
inline std::vector<std::string> pdfLines(const std::string& pdf, const std::string& mode) {
    std::vector<std::string> lines;
    std::istringstream text(commandOutput("pdftotext " + mode + " " + shellQuoted(pdf) + " -"));
    for (std::string line; std::getline(text, line);) {
        std::erase(line, '\f');  // page breaks
        while (!line.empty() && line.back() == ' ') line.pop_back();
        if (!line.empty()) lines.push_back(line);
    }
    return lines;
}

// The left edges, in points, of every word of a PDF that equals `word`, top to bottom.
inline std::vector<double> wordLefts(const std::string& pdf, const std::string& word) {
    std::vector<double> lefts;
    std::istringstream text(commandOutput("pdftotext -bbox " + shellQuoted(pdf) + " -"));
    const std::string key = "xMin=\"";
    for (std::string line; std::getline(text, line);) {
        const auto at = line.find(key);
        if (at == std::string::npos || line.find(">" + word + "</word>") == std::string::npos) continue;
        // pdftotext writes a full stop whatever the locale; std::stod would follow it.
        double left = 0;
        std::from_chars(line.data() + at + key.size(), line.data() + line.size(), left);
        lefts.push_back(left);
    }
    return lefts;
}

// A stand-in for the window: grey with a coloured block, 4:3 like the real one.
inline QImage windowStandIn() {
    QImage image(640, 480, QImage::Format_RGB32);
    image.fill(QColor(0xE0, 0xE0, 0xE0));
    QPainter painter(&image);
    painter.fillRect(40, 40, 300, 200, QColor(0, 0, 0xC0));
    painter.drawText(60, 300, QStringLiteral("Kalvor 1"));
    return image;
}

}  // namespace kalvor::testing
