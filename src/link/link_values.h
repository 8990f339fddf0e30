#pragma once
// Named values of the link's 16-bit state, as Link and the settings file
// keep them.

#include <cstdint>

namespace tavrin {

// Link::link_kind and the settings' first record: which link the panel uses.
struct LinkKind {
    static constexpr int16_t rs232 = 0;
    static constexpr int16_t ethernet = 1;
};

// Link::ip_query_step: the step of Get IP under way (0 address, 1 mask,
// 2 gateway), `answered` once its 16-character answer is in, `none` otherwise.
struct IpQuery {
    static constexpr int16_t answered = 3;
    static constexpr int16_t none = 254;
};

}  // namespace tavrin
