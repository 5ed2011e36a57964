#include "art_check.h"

#include "art_controls.h"
#include "art_geometry.h"
#include "art_params.h"
#include "art_style.h"

#include <cstdio>

namespace art {

namespace {

struct Item {
    std::string name;
    Box box;
};

std::string describe(const Box& b) {
    char text[96];
    std::snprintf(text, sizeof text, "(%.1f, %.1f, %.1f x %.1f)", b.x, b.y, b.w, b.h);
    return text;
}

Box shrunk(const Box& b, double by) {
    return {b.x + by, b.y + by, b.w - 2 * by, b.h - 2 * by};
}

// Everything drawn inside the panels: controls with their marks, labels and panel titles.
std::vector<Item> panelContents(Canvas& measure) {
    std::vector<Item> items;
    for (const PlacedControl& c : placedControls()) {
        items.push_back({std::string(c.image) + " for " + c.label, controlExtent(c)});
        items.push_back({std::string("label ") + c.label, labelExtent(measure, c)});
    }
    for (const Section& s : sections())
        items.push_back({std::string("title ") + s.title, sectionTitleExtent(measure, s)});
    return items;
}

void checkContainment(const std::vector<Item>& items, std::vector<std::string>* problems) {
    constexpr double kMargin = 3; // keeps clear of the panel's rounded border
    for (const Item& item : items) {
        bool inside = false;
        for (const Section& s : sections())
            inside = inside || item.box.inside(shrunk(sectionBox(s), kMargin));
        if (!inside)
            problems->push_back(item.name + " " + describe(item.box) + " leaves its panel");
    }
}

void checkOverlaps(const std::vector<Item>& items, std::vector<std::string>* problems) {
    for (size_t i = 0; i < items.size(); ++i) {
        for (size_t j = i + 1; j < items.size(); ++j) {
            if (items[i].box.intersects(items[j].box)) {
                problems->push_back(items[i].name + " " + describe(items[i].box) + " overlaps " +
                                    items[j].name + " " + describe(items[j].box));
            }
        }
    }
}

// Texts inside the switches: between a stepper's arrows, inside a frame switch's part.
void checkSwitchTexts(Canvas& measure, std::vector<std::string>* problems) {
    const TextStyle plain{kSwitchTextSize, false, kText, Align::kCenter, 0.0};
    TextStyle lit = plain;
    lit.bold = true;
    constexpr double kArrowZone = 16; // from each end
    for (const StepperArt& s : steppers()) {
        for (const std::string& text : paramArt(s.param).texts) {
            if (measure.textWidth(text.c_str(), plain) > kStepperW - 2 * kArrowZone)
                problems->push_back(std::string(s.image) + ": \"" + text + "\" reaches the arrows");
        }
    }
    for (const FrameSwitchArt& s : frameSwitches()) {
        for (const char* option : s.options) {
            if (measure.textWidth(option, lit) > s.partWidth - 8)
                problems->push_back(std::string(s.image) + ": \"" + option + "\" is too wide");
        }
    }
}

} // namespace

std::vector<std::string> layoutProblems() {
    Canvas measure(1, 1, 1);
    std::vector<std::string> problems;
    const std::vector<Item> contents = panelContents(measure);
    checkContainment(contents, &problems);
    checkOverlaps(contents, &problems);
    checkSwitchTexts(measure, &problems);

    std::vector<Item> regions = {{"keyboard", keyboardBed()}, {"name plate", nameplate()}};
    for (const Section& s : sections())
        regions.push_back({std::string("panel ") + s.title, sectionBox(s)});
    const Box editor{0, 0, kEditorW, kEditorH};
    for (const Item& r : regions) {
        if (!r.box.inside(editor)) problems.push_back(r.name + " leaves the editor");
    }
    checkOverlaps(regions, &problems);
    return problems;
}

} // namespace art
