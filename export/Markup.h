#pragma once
// Text and elements of the page and its pictures. Every text and attribute value
// passes through htmlText, so nothing read from a file can open markup.

#include <initializer_list>
#include <string>
#include <string_view>

#include "core/TextEncoding.h"

namespace kalvor {

// Text bound for the page: one line, control characters as blanks.
inline constexpr CleanRules kPageCleaning{" ", " "};

// Text for HTML, cleaned as above: & < > " ' as references.
std::string htmlText(std::string_view text);

std::string base64(std::string_view bytes);

// A number of a picture's coordinates: one decimal, rounded half away from zero.
std::string coordinate(double value);

struct Attribute {
    std::string_view name;
    std::string value;
};

// <name a="v" ...>content</name>, or <name a="v" .../> without content. The
// content is markup already; the values are text.
std::string element(std::string_view name, std::initializer_list<Attribute> attributes, std::string_view content = {});

}  // namespace kalvor
