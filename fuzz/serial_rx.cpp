// The panel's serial receive path with every reply handler registered.
#include "panel_rx.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::run_panel_input(fuzz::Path::Serial, data, size);
    return 0;
}
