#pragma once

#include "platform/Dispatcher.h"

#include <QObject>

namespace bv {

// Runs work handed over by worker threads on the Qt user-interface thread: post() queues a call
// into the event loop, send() blocks the worker until the call ran.
class QtDispatcher : public UiDispatcher
{
public:
    QtDispatcher();
    ~QtDispatcher() override;
    void post(std::function<void()> fn) override;
    void send(std::function<void()> fn) override;

private:
    QObject m_context; // lives on the thread that created the dispatcher
};

} // namespace bv
