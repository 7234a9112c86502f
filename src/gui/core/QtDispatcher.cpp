#include "gui/core/QtDispatcher.h"

#include <QMetaObject>
#include <QThread>

namespace bv {

QtDispatcher::QtDispatcher() = default;
QtDispatcher::~QtDispatcher() = default;

void QtDispatcher::post(std::function<void()> fn)
{
    QMetaObject::invokeMethod(&m_context, std::move(fn), Qt::QueuedConnection);
}

void QtDispatcher::send(std::function<void()> fn)
{
    if (QThread::currentThread() == m_context.thread()) {
        fn();
        return;
    }
    QMetaObject::invokeMethod(&m_context, std::move(fn), Qt::BlockingQueuedConnection);
}

} // namespace bv
