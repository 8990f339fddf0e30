#include "device_controls/audio.h"

namespace tavrin {

Audio::Audio(Context& c) : c_(c) {}

void Audio::opt_audio_Click(int index) { Q_UNUSED(index); }

void Audio::opt_da_Click(int index) { Q_UNUSED(index); }

void Audio::opt_db_Click(int index) { Q_UNUSED(index); }

void Audio::opt_quad_Click(int index) { Q_UNUSED(index); }

void Audio::cmd_mute_Click() { }

void Audio::on_reply_AUE() { }

void Audio::on_reply_AUA() { }

void Audio::on_reply_AUB() { }

void Audio::on_reply_AUQ() { }

void Audio::on_reply_AUD() { }


}  // namespace tavrin
