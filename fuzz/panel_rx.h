#pragma once
// The whole panel on the test fakes, fed by a fuzz input read as a little
// script for the device end of one link. Shared by the serial and TCP
// targets.
//
// Script bytes (op, then its operands):
//   0x00-0x3F  deliver the next op+1 bytes as one read
//   0x40-0x4F  let (op & 15) + 1 event-loop turns pass
//   0x50-0x7F  the operator does something that sends (actions table);
//              the next byte is its argument
//   0x80-0xFF  flood: a length byte L (1..16), L bytes, repeated
//              ((op & 0x7F) + 1) * 16 times in one read
// While an action waits, each command the device receives is answered by
// the next script byte: 0x00-0x7F the device model's own answer (after a
// few turns, maybe cut in two), 0x80-0x87 silence (rarer than the rest: a
// silent device costs a whole reply wait), 0x88-0xBF the model's answer at
// once, 0xC0-0xFF the next (b & 63) + 1 script bytes instead. An exhausted
// script answers like the device model.

#include <cstddef>
#include <cstdint>

namespace fuzz {

enum class Path { Serial, Tcp };

// Runs one input; aborts (with a message on stderr) when the panel ends in
// an inconsistent state.
void run_panel_input(Path path, const uint8_t* data, size_t size);

}  // namespace fuzz
