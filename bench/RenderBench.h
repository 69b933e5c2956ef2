// The renderer's rows of the benchmark: density counting against a bare loop,
// the speedup of threads, a whole poster with its PNG, and a poster's counts
// kept and coloured again.
#pragma once

namespace quillon::bench {

void printRenderRows();
// The last rows alone: a 4096x3072 counts file written, and a picture made
// from it with another look.
void printRetoneRows();
// Frames a second of videos that move.
void printMotionRows();
// A poster made in bands against the same poster made whole.
void printBandRows();

}  // namespace quillon::bench
