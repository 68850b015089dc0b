#pragma once
// What a message box offers: its buttons, its icon and which button Enter presses. Callers
// name them (kYesNo + kQuestion + kDefaultButton2); the technician's side of ShowMessBox still
// takes the style number, made from the value once at that edge.
#include <cstdint>

namespace veridane {

// The button sets, by their number in the style.
enum class Buttons : int16_t {
  OkOnly = 0,
  OkCancel = 1,
  AbortRetryIgnore = 2,
  YesNoCancel = 3,
  YesNo = 4,
  RetryCancel = 5,
};

enum class Icon : int16_t { None = 0, Critical = 1, Question = 2, Exclamation = 3, Information = 4 };

// The style's default-button field; InitialFocusIndex (mess_box_style.h) says which shown button
// that gives the focus when the box opens.
enum class DefaultButton : int16_t { First = 0, Second = 1, Third = 2 };

struct BoxStyle {
  Buttons buttons = Buttons::OkOnly;
  Icon icon = Icon::None;
  DefaultButton defaultButton = DefaultButton::First;

  constexpr BoxStyle() = default;
  constexpr BoxStyle(Buttons b) : buttons(b) {}  // NOLINT(google-explicit-constructor): a box with only buttons
  constexpr BoxStyle(Icon i) : icon(i) {}        // NOLINT(google-explicit-constructor): an OK box with an icon
  constexpr BoxStyle(Buttons b, Icon i, DefaultButton d) : buttons(b), icon(i), defaultButton(d) {}

  // The style number: buttons + 16 x icon + 256 x default button.
  constexpr int16_t Code() const {
    return static_cast<int16_t>(static_cast<int16_t>(buttons) + 16 * static_cast<int16_t>(icon) +
                                256 * static_cast<int16_t>(defaultButton));
  }
  // The value of a style number; bits above the three 4-bit fields are ignored, and a field
  // no name is given for keeps its number (the box shows what it makes of it).
  static constexpr BoxStyle FromCode(int16_t code) {
    // Read as the 16 bits the caller wrote, so a negative number cannot smuggle in a sign.
    const unsigned bits = static_cast<uint16_t>(code) & 0x0FFFu;
    return {static_cast<Buttons>(bits & 0x00Fu), static_cast<Icon>((bits >> 4) & 0x00Fu),
            static_cast<DefaultButton>((bits >> 8) & 0x00Fu)};
  }
  friend constexpr bool operator==(const BoxStyle&, const BoxStyle&) = default;
};

constexpr BoxStyle operator+(Buttons b, Icon i) { return {b, i, DefaultButton::First}; }
constexpr BoxStyle operator+(BoxStyle s, DefaultButton d) { return {s.buttons, s.icon, d}; }
constexpr BoxStyle operator+(BoxStyle s, Icon i) { return {s.buttons, i, s.defaultButton}; }
constexpr BoxStyle operator+(Buttons b, DefaultButton d) { return {b, Icon::None, d}; }

inline constexpr Buttons kOkOnly = Buttons::OkOnly;
inline constexpr Buttons kOkCancel = Buttons::OkCancel;
inline constexpr Buttons kAbortRetryIgnore = Buttons::AbortRetryIgnore;
inline constexpr Buttons kYesNoCancel = Buttons::YesNoCancel;
inline constexpr Buttons kYesNo = Buttons::YesNo;
inline constexpr Buttons kRetryCancel = Buttons::RetryCancel;
inline constexpr Icon kCritical = Icon::Critical;
inline constexpr Icon kQuestion = Icon::Question;
inline constexpr Icon kExclamation = Icon::Exclamation;
inline constexpr Icon kInformation = Icon::Information;
inline constexpr DefaultButton kDefaultButton2 = DefaultButton::Second;
inline constexpr DefaultButton kDefaultButton3 = DefaultButton::Third;

}  // namespace veridane
