#include "core/Controls.h"

#include <array>
#include <utility>

namespace kalvor {

void TextBox::setText(std::string text) {
    if (text == text_) return;
    text_ = std::move(text);
    if (onChange) onChange();
}

void OptionGroup::select(int index) {
    if (index < 0 || index >= kCount) return;
    selected_ = index;
    if (onClick) onClick(index);
}

void DriveList::choose(int index) {
    if (index < 0 || index >= static_cast<int>(items.size()) || index == current) return;
    current = index;
    if (onChange) onChange();
}

void DirList::setPath(std::string newPath, std::vector<std::string> newItems, int newPathDepth) {
    const bool changed = newPath != path;
    path = std::move(newPath);
    items = std::move(newItems);
    pathDepth = newPathDepth;
    if (changed && onChange) onChange();
}

void FileList::setPath(std::string newPath, std::vector<std::string> newItems) {
    path = std::move(newPath);
    items = std::move(newItems);
    selected = -1;
}

void FileList::click(int index) {
    selected = (index >= 0 && index < static_cast<int>(items.size())) ? index : selected;
    if (onClick) onClick();
}

std::string FileList::selectedName() const {
    if (selected < 0 || selected >= static_cast<int>(items.size())) return {};
    return items[static_cast<size_t>(selected)];
}

Controls::Controls(ChartRaster chart)
    : okstart{"Start", false, {}},
      okabbrechen{"Abbruch", false, {}},
      okdruck{"Druck", false, {}},
      okcopy{"Copy", true, {}},
      okextern{"Import", true, {}},
      okende{"Ende", true, {}},
      okinfo{"Info", true, {}},
      okexternok{"OK", false, {}},
      okexternabbruch{"Abbr.", true, {}},
      textanzahl(0x00C0FFC0, true),
      haltbei(0x00E0E0E0, false),
      blatt(chart) {}

namespace {

template <typename T, size_t N>
T* find(Controls& c, const std::array<std::pair<std::string_view, T Controls::*>, N>& table, std::string_view name) {
    for (const auto& [n, member] : table)
        if (n == name) return &(c.*member);
    return nullptr;
}

}  // namespace

// In the order of ResultLabel.
constexpr std::array<Label Controls::*, kResultLabelCount> kResults{
    &Controls::lakut, &Controls::lrot,  &Controls::lschwarz, &Controls::lfrot, &Controls::lfschwarz,
    &Controls::ltief, &Controls::lhoch, &Controls::ltouch,   &Controls::lende, &Controls::lzahl,
};

Label& Controls::result(ResultLabel which) { return this->*kResults[which]; }

Label* Controls::label(std::string_view name) {
    if (name == "text") return &text;
    for (size_t i = 0; i < kResultLabelCount; ++i)
        if (kResultLabelNames[i] == name) return &(this->*kResults[i]);
    return nullptr;
}

CommandButton* Controls::button(std::string_view name) {
    static constexpr std::array<std::pair<std::string_view, CommandButton Controls::*>, 9> table{{
        {"okstart", &Controls::okstart},
        {"okabbrechen", &Controls::okabbrechen},
        {"okdruck", &Controls::okdruck},
        {"okcopy", &Controls::okcopy},
        {"okextern", &Controls::okextern},
        {"okende", &Controls::okende},
        {"okinfo", &Controls::okinfo},
        {"okexternok", &Controls::okexternok},
        {"okexternabbruch", &Controls::okexternabbruch},
    }};
    return find(*this, table, name);
}

TextBox* Controls::textBox(std::string_view name) {
    static constexpr std::array<std::pair<std::string_view, TextBox Controls::*>, 2> table{{
        {"textanzahl", &Controls::textanzahl},
        {"haltbei", &Controls::haltbei},
    }};
    return find(*this, table, name);
}

}  // namespace kalvor
