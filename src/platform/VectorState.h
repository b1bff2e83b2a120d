#pragma once
// Qt's painting routines leave the upper halves of the processor's vector registers in use. Until
// they are cleared, every call from plain SSE code into the C library's vector-encoded routines
// (sin, memcpy, the number formatting of snprintf) pays a state transition: measured on these
// machines, sin took 176 ns instead of 13 and snprintf 100 ns more. Clearing is one instruction;
// calls into outside modules do it first, so a module's arithmetic never pays for Qt's painting.

namespace kova {

// Clears the upper vector state where the processor has one (AVX); nothing elsewhere.
void clearUpperVectorState() noexcept;

}  // namespace kova
