#include "platform/quitSignals.h"

#include <glib-unix.h>

#include <csignal>

namespace keyloom::platform {
namespace {

gboolean dispatch(gpointer onSignal) {
    (*static_cast<std::function<void()>*>(onSignal))();
    return G_SOURCE_CONTINUE;
}

}  // namespace

QuitSignals::QuitSignals(std::function<void()> onSignal) : onSignal_(std::move(onSignal)) {
    const int signals[] = {SIGTERM, SIGHUP, SIGINT};
    for (std::size_t i = 0; i < std::size(signals); ++i)
        sources_[i] = g_unix_signal_add(signals[i], dispatch, &onSignal_);
}

QuitSignals::~QuitSignals() {
    for (unsigned source : sources_)
        if (source != 0) g_source_remove(source);
}

}  // namespace keyloom::platform
