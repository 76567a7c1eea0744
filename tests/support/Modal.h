#pragma once

#include <functional>
#include <type_traits>

#include <QWidget>

// Offers the active modal widget to take until take accepts one (returns
// true); fails the test when none is accepted within kPatience.
void OfferModal(std::function<bool(QWidget&)> take);

// Runs action on the next modal dialog of type Dialog once exec() has made it
// the active modal widget; schedule it before whatever runs the dialog.
// action must end the dialog.
template <class Dialog = QWidget>
void WhenModal(std::type_identity_t<std::function<void(Dialog&)>> action)
{
    OfferModal([action = std::move(action)](QWidget& widget) {
        auto* dialog = dynamic_cast<Dialog*>(&widget);
        if (dialog != nullptr)
            action(*dialog);
        return dialog != nullptr;
    });
}
