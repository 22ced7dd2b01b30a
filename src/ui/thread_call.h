#pragma once

#include <QMetaObject>
#include <QObject>
#include <QThread>

#include <type_traits>
#include <utility>

namespace zelvor {

// Runs fn on owner's thread and returns its result. Called from that thread it runs at once;
// from any other thread the caller waits until owner's thread has run it. The owner's thread
// must therefore never wait for a thread that calls this, or both stop for good.
// If owner is destroyed before its thread gets to fn, the caller is released with a default
// result.
template <class Fn>
std::invoke_result_t<Fn> CallOnOwnerThread(const QObject* owner, Fn&& fn) {
    using Result = std::invoke_result_t<Fn>;
    if (QThread::currentThread() == owner->thread()) {
        return std::forward<Fn>(fn)();
    }
    // Posting to owner does not change it; invokeMethod merely lacks a const overload.
    auto* context = const_cast<QObject*>(owner);
    if constexpr (std::is_void_v<Result>) {
        QMetaObject::invokeMethod(context, std::forward<Fn>(fn), Qt::BlockingQueuedConnection);
    } else {
        Result result{};
        QMetaObject::invokeMethod(context, std::forward<Fn>(fn), Qt::BlockingQueuedConnection,
                                  &result);
        return result;
    }
}

}  // namespace zelvor
