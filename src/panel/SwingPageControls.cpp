#include "panel/SwingPageControls.h"

#include "panel/ValueText.h"

namespace plimsa::swing_page {

std::string_view attachHint(SwingAttach attach) {
    if (attach == SwingAttach::window)
        return "Front window: the swing hangs from the title bar of whichever window is in front. It jumps "
               "to "
               "another window when you click it, moves when you drag that window, and hides when no window "
               "is in front (desktop only).";
    return "Top of the screen: the swing hangs from the top edge of your screen, just under the menu bar, at "
           "the position you pick. It stays exactly there whatever you do with your windows, and it is drawn "
           "above them. Switching apps changes nothing.";
}

std::string_view seatCaption(int seat, int seatCount) {
    if (seatCount == 1) return "Character";
    return seat == 0 ? "Left seat" : "Right seat";
}

std::optional<Hint> fitHint(double size, std::optional<double> maximum, std::optional<double> minimum) {
    constexpr double kTolerance = 0.005;
    if (maximum && size - *maximum > kTolerance)
        return Hint{"The board is full: shown at " + fixedText(*maximum, 2) +
                        ". Shrink the other character to make room.",
                    HintTone::gold};
    if (minimum && *minimum >= 1.99)
        return Hint{
            "Grip height is too low for this character's arms: the hands cannot stay on the chains. "
            "Raise Grip height.",
            HintTone::gold};
    if (minimum && *minimum - size > kTolerance)
        return Hint{"Shown at " + fixedText(*minimum, 2) +
                        ": the smallest size at which the hands still reach the chains.",
                    HintTone::dim};
    return std::nullopt;
}

}  // namespace plimsa::swing_page
