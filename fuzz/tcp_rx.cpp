// The panel's TCP receive path with every reply handler registered.
#include "panel_rx.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::run_panel_input(fuzz::Path::Tcp, data, size);
    return 0;
}
