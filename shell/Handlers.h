// How event handlers are run: the trapping pattern, and the guard that keeps every failure from
// unwinding through Qt's own frames (which Qt does not support).
#pragma once

#include "shell/modPrincipal.h"

#include <QObject>

#include <exception>
#include <functional>
#include <type_traits>
#include <utility>

namespace shell {

// The trapping pattern: runs the handler's statements; the first failure abandons the rest and
// is reported once through MostrarError; the handler then returns normally and nothing is undone.
template <typename Body>
void trapped(platform::Prompts& prompts, Body&& body) {
    try {
        std::forward<Body>(body)();
    } catch (const std::exception& failure) {
        modPrincipal::MostrarError(prompts, failure);
    } catch (...) {
        modPrincipal::MostrarError(prompts, "An unknown failure occurred.");
    }
}

// Connects a signal to a handler through the guard. Handlers that trap do so themselves (with
// trapped()); a failure that reaches the guard from a handler without a trap is reported through
// MostrarError as well, so nothing unwinds into Qt and nothing crashes.
template <typename Sender, typename Signal, typename Handler>
QMetaObject::Connection connectHandler(Sender* sender, Signal signal, QObject* context,
                                       platform::Prompts& prompts, Handler handler) {
    return QObject::connect(
        sender, signal, context, [&prompts, handler = std::move(handler)](auto&&... arguments) {
            trapped(prompts, [&] {
                // A handler may take the signal's arguments or none.
                if constexpr (std::is_invocable_v<const Handler&, decltype(arguments)...>) {
                    std::invoke(handler, arguments...);
                } else {
                    std::invoke(handler);
                }
            });
        });
}

}  // namespace shell
