// The renderer's rows of the benchmark: density counting against a bare loop,
// the speedup of threads, and a whole poster with its PNG.
#pragma once

namespace quillon::bench {

void printRenderRows();

}  // namespace quillon::bench
