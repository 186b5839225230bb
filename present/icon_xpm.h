// The window's icon: a floppy disk, 32 x 32 pixels in 16 colours (XPM).
#pragma once

namespace trivane::present {

// clang-format off
inline const char* const kIconXpm[] = {
"32 32 8 1",
"  c None",
". c #000000",
"b c #000080",
"B c #0000FF",
"s c #C0C0C0",
"d c #808080",
"w c #FFFFFF",
"r c #FF0000",
"                                ",
" ........dssssssssssssd.....    ",
" .bbbbbbbdssssssssssssdbbbbb.   ",
" .bbbbbbbdssssss....ssdbbbbbb.  ",
" .bbbbbbbdssssss....ssdbbbbbbb. ",
" .bbbbbbbdssssss....ssdbbbbbbb. ",
" .bbbbbbbdssssss....ssdbbbbbbb. ",
" .bbbbbbbdssssss....ssdbbbbbbb. ",
" .bbbbbbbdssssss....ssdbbbbbbb. ",
" .bbbbbbbdssssss....ssdbbbbbbb. ",
" .bbbbbbbdssssssssssssdbbbbbbb. ",
" .bbbbbbbddddddddddddddbbbbbbb. ",
" .bbbbbbbbbbbbbbbbbbbbbbbbbbbb. ",
" .bbbbbbbbbbbbbbbbbbbbbbbbbbbb. ",
" .bbbbbbbbbbbbbbbbbbbbbbbbbbbb. ",
" .bbbdwwwwwwwwwwwwwwwwwwwwdbbb. ",
" .bbbdrrrrrrrrrrrrrrrrrrrrdbbb. ",
" .bbbdrrrrrrrrrrrrrrrrrrrrdbbb. ",
" .bbbdwwwwwwwwwwwwwwwwwwwwdbbb. ",
" .bbbdwwwwwwwwwwwwwwwwwwwwdbbb. ",
" .bbbdwwwwwwwwwwwwwwwwwwwwdbbb. ",
" .bbbdwwBBBBBBBBBBBBBBBBwwdbbb. ",
" .bbbdwwwwwwwwwwwwwwwwwwwwdbbb. ",
" .bbbdwwwwwwwwwwwwwwwwwwwwdbbb. ",
" .bbbdwwBBBBBBBBBBBBBBBBwwdbbb. ",
" .b..dwwwwwwwwwwwwwwwwwwwwdbbb. ",
" .b..dwwwwwwwwwwwwwwwwwwwwdbbb. ",
" .b..dwwBBBBBBBBBBBBBBBBwwdbbb. ",
" .bbbdwwwwwwwwwwwwwwwwwwwwdbbb. ",
" .bbbddddddddddddddddddddddbbb. ",
" .............................. ",
"                                "};
// clang-format on

}  // namespace trivane::present
