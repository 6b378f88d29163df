#include "skin/reportedslot.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>

namespace {

QEvent::Type relayEventType()
{
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

// Receives the one event that raises the error it carries.
class ErrorRelay final : public QObject
{
public:
    explicit ErrorRelay(std::exception_ptr error) : m_error(std::move(error)) {}

    bool event(QEvent* event) override
    {
        if (event->type() == relayEventType())
            std::rethrow_exception(m_error);
        return QObject::event(event);
    }

private:
    std::exception_ptr m_error;
};

} // namespace

void RaiseThroughApplication(std::exception_ptr error)
{
    ErrorRelay relay(std::move(error));
    QEvent event(relayEventType());
    QCoreApplication::sendEvent(&relay, &event);
}
