// The simulator's operator console and its --listen parser, on any text.
// Console lines are cut the way the program cuts standard input. A front-panel
// line may only ever become whole protocol lines (no CR or LF inside, so it
// cannot smuggle a second command onto the wire), and those must get a
// well-framed answer from the device.

#include "console.h"
#include "device_model.h"

#include <cstdio>
#include <cstdlib>

using namespace sim;

namespace {
[[noreturn]] void fail(const char* what, const QByteArray& detail = {}) {
    std::fprintf(stderr, "console fuzz: %s %s\n", what, detail.toPercentEncoding().constData());
    std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    DeviceModel m;
    for (const QByteArray& raw : bytes.split('\n')) {
        const QString line = QString::fromLocal8Bit(raw).remove('\r');
        const ConsoleAction a = parse_console_line(line);
        switch (a.kind) {
        case ConsoleAction::Device:
            if (a.commands.isEmpty()) fail("device action without commands", raw);
            for (const QByteArray& c : a.commands) {
                if (c.contains('\r') || c.contains('\n')) fail("line break inside a command", c);
                const QByteArray r = m.execute(c);
                if (!c.isEmpty() && (!r.endsWith('\r') || r.count('\r') != 1)) fail("answer framing", c + " -> " + r);
            }
            break;
        case ConsoleAction::Error:
            if (a.message.isEmpty()) fail("error without a message", raw);
            break;
        default:
            if (!a.commands.isEmpty()) fail("commands on a local action", raw);
        }
        ListenAddress addr;
        QString error;
        if (parse_listen(line, &addr, &error)) {
            if (addr.port < 0 || addr.port > 65535) fail("port out of range", raw);
        } else if (error.isEmpty()) {
            fail("refused without a reason", raw);
        }
    }
    return 0;
}
