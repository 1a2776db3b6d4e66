#include "pulse_module_sweep.h"

#include "pulse_modules.h"

namespace kalvor::audiolib {

void PulseModuleSweep::start(pa_context* context, pid_t owner, Done done, void* data) {
  context_ = context;
  owner_ = owner;
  done_ = done;
  data_ = data;
  pending_ = 0;
  listed_ = false;
  unloaded_ = 0;
  pa_operation* operation = pa_context_get_module_info_list(context, &on_module, this);
  if (operation == nullptr) {
    listed_ = true;
    finish_if_done();
    return;
  }
  pa_operation_unref(operation);
}

void PulseModuleSweep::on_module(pa_context* context, const pa_module_info* info, int eol,
                                 void* data) {
  auto* self = static_cast<PulseModuleSweep*>(data);
  if (context != self->context_) return;
  if (eol != 0 || info == nullptr) {
    self->listed_ = true;
    self->finish_if_done();
    return;
  }
  if (!PulseModules::is_ours(info->name, info->argument)) return;
  if (self->owner_ != 0 && PulseModules::owner(info->argument) != self->owner_) return;
  pa_operation* operation = pa_context_unload_module(context, info->index, &on_unloaded, self);
  if (operation == nullptr) return;
  pa_operation_unref(operation);
  ++self->pending_;
}

void PulseModuleSweep::on_unloaded(pa_context* context, int success, void* data) {
  auto* self = static_cast<PulseModuleSweep*>(data);
  if (context != self->context_) return;
  --self->pending_;
  if (success != 0) ++self->unloaded_;
  self->finish_if_done();
}

void PulseModuleSweep::finish_if_done() {
  if (context_ == nullptr || !listed_ || pending_ > 0) return;
  context_ = nullptr;
  if (done_ != nullptr) done_(data_);
}

}  // namespace kalvor::audiolib
