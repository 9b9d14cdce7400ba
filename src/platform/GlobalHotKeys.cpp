#include "GlobalHotKeys.h"

#include <algorithm>

std::vector<int> KeycodesForLetter(std::span<const std::uint32_t> keysyms, int perCode, int firstCode, char letter)
{
    std::vector<int> codes;
    if (perCode <= 0 || letter < 'A' || letter > 'Z')
        return codes;
    const std::uint32_t upper = std::uint32_t(letter);
    const std::uint32_t lower = std::uint32_t(letter - 'A' + 'a');
    // The first group is the first two symbols of each code; the next two are the second group,
    // a layout the user switches to, whose letters lie on other keys.
    const int group = std::min(perCode, 2);
    for (std::size_t at = 0; at + perCode <= keysyms.size(); at += perCode) {
        for (int level = 0; level < group; ++level) {
            const std::uint32_t sym = keysyms[at + level];
            if (sym == upper || sym == lower) {
                codes.push_back(firstCode + int(at / perCode));
                break;
            }
        }
    }
    return codes;
}
