#include "panels/pip.h"

namespace tavrin {

Pip::Pip(Context& c) : c_(c) {}

Pip::~Pip() = default;

void Pip::lab_pip_Click() { }

void Pip::dual_pip_set(const QString& pip_str) { Q_UNUSED(pip_str); }

void Pip::dual_pip_refresh() { }

void Pip::on_reply_PPO() { }

void Pip::on_reply_PSZ() { }

void Pip::on_reply_PSW() { }

void Pip::close_window() { }


}  // namespace tavrin
