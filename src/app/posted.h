#pragma once
// "Posting" an operation: it runs after the handler running now has returned, behind
// everything posted before it, as a queued call of the receiver's thread.

#include <QMetaObject>

#include <utility>

namespace pdt::app {

template <class Receiver, class Operation> void post(Receiver* to, Operation&& operation) {
    QMetaObject::invokeMethod(to, std::forward<Operation>(operation), Qt::QueuedConnection);
}

} // namespace pdt::app
