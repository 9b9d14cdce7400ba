#include "platform/GlobalHotKeys.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

TEST(GlobalHotKeys, KeycodesOfTheFirstGroupOnly)
{
    constexpr std::uint32_t NoSymbol = 0, CyrillicEl = 0x6cc, CyrillicEL = 0x6ec, CyrillicKa = 0x6cb,
                            CyrillicKA = 0x6eb;
    // Four symbols per code from code 8 on: first group unshifted and shifted, then the second group.
    const std::vector<std::uint32_t> usAndRussian = {
        'k', 'K', CyrillicEl, CyrillicEL,       // 8: K, Л in the second group
        'r', 'R', CyrillicKa, CyrillicKA,       // 9
        CyrillicKa, CyrillicKA, 'k', 'K',       // 10: K only in the second group
        NoSymbol, NoSymbol, NoSymbol, NoSymbol, // 11
        'K', NoSymbol, NoSymbol, NoSymbol,      // 12: upper case alone
    };
    using Syms = std::vector<std::uint32_t>;
    const struct { Syms keysyms; int perCode; char letter; std::vector<int> codes; } cases[] = {
        {usAndRussian, 4, 'K', {8, 12}}, {usAndRussian, 4, 'R', {9}}, {usAndRussian, 4, 'Z', {}},
        {{'z', 'Z'}, 2, 'Z', {8}},
        {{'a', 'A', 'z', 'Z'}, 1, 'Z', {10, 11}},  // one symbol a code
        {{'z', 'Z', 'x'}, 2, 'X', {}},           // a short list ends with the last whole code
        {usAndRussian, 0, 'K', {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(1, c.letter) + " per code " + std::to_string(c.perCode));
        EXPECT_EQ(KeycodesForLetter(c.keysyms, c.perCode, 8, c.letter), c.codes);
    }
}
