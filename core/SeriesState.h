#pragma once
// The record that carries a series from the first Start to its end or a reset.
// Field names and widths are those of the window's variables; 16-bit fields are
// int16_t on purpose, since their limits are part of the program's behaviour.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace kalvor {

enum ColourCode : int16_t { kNoColour = 0, kRed = 1, kBlack = 2 };

// Position of the zero line: as many red as black throws.
inline constexpr int16_t kZeroLine = 100;

// The European single-zero wheel; index 37 exists and holds no colour.
std::array<int16_t, 38> wheelColours();

// The three even chances of the wheel. Each splits 1-36 into two sides; a series
// plays one of them through the colour table: the side in red's place (kRed) moves
// the position left, the other (kBlack) right. Zero and 37 belong to neither.
enum class EvenChance { RedBlack, EvenOdd, LowHigh };
// The colour table of an even chance: the wheel's for red and black; pair (even)
// and manque (1-18) take red's place.
std::array<int16_t, 38> evenChanceColours(EvenChance chance);

// The number a throw plays for an imported value: the nearest whole number, halves
// to the even one, held at the limits of 32 bits beyond them. Kept in the list in
// place of the value, so that a number costs four bytes.
int32_t playedNumber(double value);

// The empty elements the imported list keeps beyond its last number. They are never
// played: the permanence ends with its last number.
inline constexpr std::size_t kPermMargin = 20;

struct SeriesState {
    std::array<int16_t, 38> farbe{};
    // Imported numbers by throw number, index 0 unused, each already as its throw
    // plays it (playedNumber); an empty field and the margin play as 0.
    // permPresent is false until the first import creates the list.
    std::vector<int32_t> perm;
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
