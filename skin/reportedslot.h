#pragma once

// Slots whose errors reach the application's general report without unwinding
// through the widget code that emitted the signal.
//
// An error escaping a slot would travel back through the button, list or combo
// box that emitted the signal. Qt's widget libraries are built without
// exception cleanups: the copies and states they hold while they emit (the
// text of a picked item, a pressed button) would be left behind. So each slot
// of the windows catches its own error and raises it again from an event sent
// through the application, where the general report catches errors escaping an
// event: the same box, at the same moment, and the emitting widget returns
// normally.

#include <exception>
#include <functional>
#include <type_traits>

// Raises `error` again from an event sent through the application object.
// Under an application that reports errors escaping events this returns once
// the report is closed; under any other it throws `error` to the caller.
void RaiseThroughApplication(std::exception_ptr error);

// Runs `step`, handing an error escaping it to RaiseThroughApplication.
template <typename Step> void RunSlot(Step&& step)
{
    try {
        step();
    } catch (...) {
        RaiseThroughApplication(std::current_exception());
    }
}

// A slot for QObject::connect that runs `slot` (a member function of
// `receiver` taking no argument, or a callable taking none) through RunSlot.
template <typename Receiver, typename Slot> auto Reported(Receiver* receiver, Slot slot)
{
    return [receiver, slot] {
        RunSlot([&] {
            if constexpr (std::is_member_function_pointer_v<Slot>)
                std::invoke(slot, receiver);
            else
                slot();
        });
    };
}
