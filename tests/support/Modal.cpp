#include "tests/support/Modal.h"

#include <chrono>
#include <memory>

#include <QApplication>
#include <QTimer>
#include <gtest/gtest.h>

#include "tests/support/Wait.h"

namespace {

struct ModalWait {
    std::function<bool(QWidget&)> take;
    std::chrono::steady_clock::time_point deadline;
};

void TryModal(const std::shared_ptr<ModalWait>& wait)
{
    QWidget* modal = QApplication::activeModalWidget();
    if (modal != nullptr && modal->isActiveWindow() && wait->take(*modal))
        return;
    if (std::chrono::steady_clock::now() > wait->deadline) {
        ADD_FAILURE() << "no modal dialog of the expected type appeared";
        return;
    }
    QTimer::singleShot(10, [wait] { TryModal(wait); });
}

}  // namespace

void OfferModal(std::function<bool(QWidget&)> take)
{
    auto wait = std::make_shared<ModalWait>(
        ModalWait{std::move(take), std::chrono::steady_clock::now() + kPatience});
    QTimer::singleShot(0, [wait] { TryModal(wait); });
}
