#include "app/EndSignals.h"

#include <QSocketNotifier>

EndSignals::EndSignals()
{
    if (pipe_.ReadEnd() < 0)
        return;
    notifier_ = new QSocketNotifier(pipe_.ReadEnd(), QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] { Read(); });
}

EndSignals::~EndSignals()
{
    delete notifier_;
}

void EndSignals::Read()
{
    while (const int number = pipe_.Next()) {
        if (first_ == 0)
            first_ = number;
        emit Received(number);
    }
}
