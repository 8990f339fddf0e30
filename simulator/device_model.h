#pragma once
// The TAVRIN-4X as seen from its control port: command lines in, replies out,
// and the whole device state in between. No sockets, no timers: the program
// around it decides when bytes arrive and when a restart has finished booting.

#include <QByteArray>
#include <QList>
#include <QString>

#include <array>

namespace sim {

// Cuts a byte stream into command lines at CR. LF is dropped wherever it
// appears, so CR LF senders work too. A line longer than max_line is thrown
// away and reported once, at its CR, so a client sending garbage cannot make
// the buffer grow.
class LineAssembler {
public:
    static constexpr int max_line = 256;

    struct Line {
        QByteArray text;
        bool overlong = false;
    };

    QList<Line> push(const QByteArray& bytes);
    void clear();
    int pending_bytes() const { return int(buffer_.size()); }

private:
    QByteArray buffer_;
    bool overflow_ = false;
};

// What the device shows on the wire for one received line.
struct Exchange {
    QByteArray command; // the line as received, without its CR
    QByteArray reply;   // with its CR; empty when the device stays silent
    bool ignored = false; // arrived while the device was booting
};

struct DeviceConfig {
    int resolutions = 14;      // entries of the output resolution table
    int bezel_h_max = 200;     // answered to BEH998
    int bezel_v_max = 150;     // answered to BEV998
    QByteArray version = "300";  // VER + three characters
    QByteArray version2 = "A01"; // VR2 + three characters
    QByteArray ip_address = "192.168.001.100";
    QByteArray net_mask = "255.255.255.000";
    QByteArray gateway = "192.168.001.001";
};

// Picture settings in command-code order.
enum PictureSetting { Brightness = 0, Contrast, Hue, Saturation, PictureSettingCount };

using RouteTable = std::array<std::array<int, 5>, 6>; // [mode 1..5][output 1..4] -> input
// [setting][mode 1..5][row 1..4]; Matrix keeps its one value in row 1.
using PictureTable = std::array<std::array<std::array<int, 5>, 6>, PictureSettingCount>;

// What a preset stores and brings back.
struct PresetSnapshot {
    int mode = 1;
    int selected_output = 1;
    RouteTable route{};
    PictureTable picture{};
};

struct DeviceState {
    bool power_on = true;
    bool locked = false;
    int mode = 1; // 1 Matrix, 2 Dual PoP, 3 TV Wall, 4 Dual PiP, 5 Quad
    int selected_output = 1;
    RouteTable route{};
    PictureTable picture{};
    int bezel_h = 0;
    int bezel_v = 0;
    bool bezel_on = false;
    int resolution = 8; // 1080p60 in the shipped table
    int aspect = 0;
    int audio_edid = 0;
    int dual_a_audio = 1;
    int dual_b_audio = 1;
    int quad_audio = 1;
    bool audio_on = true;
    bool labels_on = false;
    std::array<QByteArray, 5> labels; // [1..4]
    std::array<int, 5> hdcp_in{};     // [1..4] 0 on, 1 off
    std::array<int, 5> hdcp_out{};    // [1..4] 0 follow input, 1 follow output
    std::array<int, 3> pip_position{}; // [1..2] corner 0..3
    std::array<int, 3> pip_size{};     // [1..2] 0 large .. 3 off
    std::array<PresetSnapshot, 5> presets; // [1..4]
};

class DeviceModel {
public:
    // Error replies; the digits tell a log reader what went wrong.
    static constexpr const char* err_unknown_code = "ERR001\r";
    static constexpr const char* err_bad_parameter = "ERR002\r";
    static constexpr const char* err_not_now = "ERR003\r";
    static constexpr const char* err_line_too_long = "ERR004\r";

    explicit DeviceModel(DeviceConfig config = {});

    // Runs every complete line of `bytes` (buffered in `input`) and reports
    // what was received and answered. Empty lines produce no exchange.
    QList<Exchange> feed(LineAssembler& input, const QByteArray& bytes);
    // Single-client convenience: the replies only, in order.
    QList<QByteArray> feed(const QByteArray& bytes);

    // One command line without its CR; returns the reply with its CR, or an
    // empty array for an empty line. Booting is not checked here.
    QByteArray execute(const QByteArray& line);

    // PWR001 and RST001 restart the device: it answers, then ignores
    // everything until finish_boot().
    bool booting() const { return booting_; }
    void finish_boot() { booting_ = false; }
    // True once after each restart, so the transport can drop its clients.
    bool take_restart_request();

    const DeviceState& state() const { return state_; }
    const DeviceConfig& config() const { return config_; }
    QString describe() const;

private:
    QByteArray dispatch(const QByteArray& code, const QByteArray& param);
    QByteArray routing(const QByteArray& code, int p);
    QByteArray setting(const QByteArray& code, int p);
    QByteArray power(const QByteArray& code, int p);
    QByteArray identity(const QByteArray& code, int p);
    QByteArray picture(int setting, const QByteArray& code, int p);
    QByteArray bezel(const QByteArray& code, int& value, int max, int p);
    QByteArray simple_value(const QByteArray& code, int& value, int lo, int hi, int p);
    QByteArray switch_value(const QByteArray& code, bool& on, int p);  // 0 off, 1 on
    QByteArray entry_value(const QByteArray& code, int* table, int entries, int max, int p);
    QByteArray label(const QByteArray& param);
    void restart();
    void factory_reset();
    void reset_picture();
    PresetSnapshot snapshot() const;
    void apply(const PresetSnapshot& preset);

    DeviceConfig config_;
    DeviceState state_;
    LineAssembler own_input_;
    bool booting_ = false;
    bool restart_pending_ = false;
};

// "007" for 7; the device's three-digit parameter form.
QByteArray pad3(int n);

} // namespace sim
