#pragma once

// The window's layout as data: every control in creation order, with its
// kind, parent, geometry, start text and look. The Qt window builds itself
// from this table; the in-memory window takes the start texts from it.

#include <array>
#include <optional>

#include "resolve/window_surface.h"

namespace kestrane {

enum class ControlKind { kGroupBox, kLabel, kEditBox, kPushButton, kRadioButton };

struct Rgb {
    int red, green, blue;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

struct ControlLook {
    std::optional<Rgb> textColour;
    std::optional<Rgb> background;
    bool bold = false;
    const char* fontFamily = nullptr;  // UTF-8; null for the window's font
    int characterHeight = 0;           // 0 for the window's font size
    bool centred = false;
    bool wraps = false;
};

struct ControlLayout {
    Control id;
    const char* name;  // UTF-8, as the window names it
    ControlKind kind;
    std::optional<Control> parent;  // a group box, or the window itself
    int left, top, width, height;
    const char* startText;  // UTF-8
    ControlLook look;
};

inline constexpr const char* kWindowCaption = "Kestrane";
inline constexpr int kWindowLeft = 50;
inline constexpr int kWindowTop = 50;
inline constexpr int kWindowOuterWidth = 379;
inline constexpr int kWindowOuterHeight = 449;

const std::array<ControlLayout, kControlCount>& ControlTable();

// The three download-address boxes, which copy themselves when pressed.
bool IsAddressBox(Control id);

}  // namespace kestrane
