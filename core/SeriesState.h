#pragma once
// The record that carries a series from the first Start to its end or a reset.
// Field names and widths are those of the window's variables; 16-bit fields are
// int16_t on purpose, since their limits are part of the program's behaviour.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kalvor {

enum ColourCode : int16_t { kNoColour = 0, kRed = 1, kBlack = 2 };

// Position of the zero line: as many red as black throws.
inline constexpr int16_t kZeroLine = 100;

// The European single-zero wheel; index 37 exists and holds no colour.
std::array<int16_t, 38> wheelColours();

struct SeriesState {
    std::array<int16_t, 38> farbe{};
    // Imported numbers by throw number, index 0 unused. Empty elements hold nothing.
    // permPresent is false until the first import creates the list.
    std::vector<std::optional<double>> perm;
    bool permPresent = false;
    int16_t extern_ = 0;  // number source: 0 random, 1 the imported list ("extern" is a C++ keyword)
    double anzahl = 0;
    double akut = 0;
    double zeile = 0;
    double durchgang = 0;
    double haltwurf = 0;
    int16_t zrot = 0;
    int16_t zschwarz = 0;
    int16_t beruehrung = 0;
    int16_t hoch = 0;
    int16_t tief = 0;
    double zeilen = 0;
    std::string zeichen;
    std::string druckzeile;
    int16_t spalte = 0;
    int16_t zahl = 0;

    // The record's part of the window's load: everything but the random seed.
    void load();
    // The record's part of a confirmed reset.
    void reset();
};

}  // namespace kalvor
