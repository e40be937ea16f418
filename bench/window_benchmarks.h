// The window the window benchmarks share.
#pragma once

namespace dabro::bench {

// Closes the window the window benchmarks share; it must go before the QApplication does.
void release_window();

}  // namespace dabro::bench
